#pragma once
// The HUD system and the widget components, supplied to start-up.
namespace SD {
class Registrations;
}

namespace QV {

void SupplyHudClasses(SD::Registrations& registrations);

}  // namespace QV
