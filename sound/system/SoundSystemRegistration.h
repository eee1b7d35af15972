#pragma once
// What the sound system adds to start-up: the engine's sound system in its place in the update
// order, the Phantom component, and the sound part of the run's summary.

namespace SD {

class Registrations;

void SupplySoundSystem(Registrations& registrations);

}  // namespace SD
