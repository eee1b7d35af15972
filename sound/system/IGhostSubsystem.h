#pragma once
// A game-side part of the sound system, run by the engine's sound system in its list order:
// initialised at start-up, updated each frame, terminated at shutdown.

namespace SD {

class IGhostSubsystem {
public:
    virtual ~IGhostSubsystem() = default;
    virtual const char* GetName() const = 0;
    virtual void Init() = 0;
    virtual void Term() = 0;
    virtual void Update(float dt) = 0;
};

}  // namespace SD
