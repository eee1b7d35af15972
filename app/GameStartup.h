#pragma once
// The one start-up sequence of the whole game, used by the executable, the whole-game tests and
// the benchmarks alike: the physics, the graphics, the engine's sound system, the game's classes
// (its sound logic as the sound system's game part) and the particle effects' sounds.
namespace SD {
class Registrations;
}

namespace QV {

void SupplyWholeGame(SD::Registrations& registrations);

}  // namespace QV
