#pragma once
// What the sound system adds to start-up: the engine's sound system in its place in the update
// order, the Phantom component, and the sound part of the run's summary.
#include <memory>

namespace SD {

class IGhostSubsystem;
class Registrations;

void SupplySoundSystem(Registrations& registrations);

// Makes the game's part of the sound system: start-up hands a new one to the sound system each
// time it makes it, before any system is configured.
class IGameSoundPartMaker {
public:
    virtual std::unique_ptr<IGhostSubsystem> Make() = 0;

protected:
    ~IGameSoundPartMaker() = default;
};
// The first maker supplied is kept; returns whether `make` is the one. Null leaves the sound
// system without a game part.
bool SupplyGameSoundPart(IGameSoundPartMaker* make);

}  // namespace SD
