#pragma once
// The front-end game states, supplied to start-up; the loading state is told to go on to the
// menu when start-up begins with the splash.
namespace SD {
class Registrations;
}

namespace QV {

void SupplyFrontEndStates(SD::Registrations& registrations);

}  // namespace QV
