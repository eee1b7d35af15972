#pragma once
// What the physics library gives start-up: the Body and Collider component creators, the
// physics system at its place in the update order, and the script classes "Body" and
// "Physics_System".
namespace SD {
class Registrations;
}

namespace Gedankenexperiment {

// Supplies the classes to the registrations and adds the script classes to the lists that
// scripting registers when it opens (once, however often it is called).
void SupplyPhysicsClasses(SD::Registrations& registrations);

}  // namespace Gedankenexperiment
