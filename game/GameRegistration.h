#pragma once
// What the game layer adds to start-up: its systems, its component classes and its script
// classes. Call before the program runs (scripting is opened by start-up).

namespace SD {
class Registrations;
}

namespace QV {

void SupplyGameClasses(SD::Registrations& registrations);

}  // namespace QV
