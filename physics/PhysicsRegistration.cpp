#include "physics/PhysicsRegistration.h"

#include "engine/ScriptBindings.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/PhysicsScriptBindings.h"
#include "physics/PhysicsSystem.h"
#include "runtime/Registration.h"

namespace Gedankenexperiment {
namespace {

SD::ISystem* PhysicsSystemInstance() { return Physics_System::GetInstance(); }

}  // namespace

void SupplyPhysicsClasses(SD::Registrations& registrations) {
    registrations.SupplyComponent("Body", SD::CID_Body, &SD::MakeComponentCreator<Body>);
    registrations.SupplyComponent("Collider", SD::CID_Collider, &SD::MakeComponentCreator<Collider>);
    // Bodies move once the window's input is in, before splines, components and scripts read them.
    registrations.SupplySystem("Physics_System", &PhysicsSystemInstance, false, {{"Window"}, {"SplineSystem"}});
    static bool scriptClassesAdded = false;
    if (scriptClassesAdded) return;
    scriptClassesAdded = true;
    SD::AddScriptClass(BodyScriptClass());
    SD::AddScriptClass(PhysicsScriptClass());
}

}  // namespace Gedankenexperiment
