#pragma once
// The base of every engine system: configured once, initialised in order, updated each
// frame with the frame time and shut down in reverse order by the engine core. A system that
// simulates (physics, the components that fly and follow) also steps on the simulation's fixed
// clock (core/FixedSteps.h).

namespace SD {

class ConfigFile;

class ISystem {
public:
    virtual ~ISystem() = default;
    // The system's name, which is also its section in the configuration file.
    virtual const char* GetName() const = 0;
    // The configuration file's current section is already the system's name.
    virtual void ReadConfig(ConfigFile& config) { (void)config; }
    virtual void Initialize() {}
    virtual void Shutdown() {}
    virtual void Update(float dt) = 0;
    // Whether the system steps on the fixed clock. The core runs the frame's fixed steps where
    // the first such system stands in the update order: each step calls FixedUpdate on every one
    // of them in order, so the steps of several systems interleave as one simulation.
    virtual bool TakesFixedSteps() const { return false; }
    virtual void FixedUpdate(float step) { (void)step; }
};

}  // namespace SD
