#pragma once
// The game states, supplied to start-up; the loading state is told to go on to the
// menu when start-up begins with the splash.
namespace SD {
class Registrations;
}

namespace QV {

void SupplyGameStates(SD::Registrations& registrations);

}  // namespace QV
