#pragma once
// What the sound system adds to start-up: the engine's sound system in its place in the update
// order, the Phantom component, and the sound part of the run's summary.
#include <memory>

namespace SD {

class IGhostSubsystem;
class Registrations;

void SupplySoundSystem(Registrations& registrations);

// The game's part of the sound system: start-up hands a new one to the sound system each time
// it makes it, before any system is configured. Null leaves the sound system without one.
using GameSoundPartMaker = std::unique_ptr<IGhostSubsystem> (*)();
void SupplyGameSoundPart(GameSoundPartMaker make);

}  // namespace SD
