#pragma once
// The game states, supplied to start-up; when start-up begins with the splash, the loading
// state is told to go on to the menu and the sky is off until the menu loads.
namespace SD {
class Registrations;
}

namespace QV {

void SupplyGameStates(SD::Registrations& registrations);

}  // namespace QV
