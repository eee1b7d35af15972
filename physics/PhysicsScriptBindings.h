#pragma once
// The script classes of the physics: "Body" (a component class) and "Physics_System".
namespace SD {
struct ScriptClass;
}

namespace Gedankenexperiment {

const SD::ScriptClass& BodyScriptClass();
const SD::ScriptClass& PhysicsScriptClass();

}  // namespace Gedankenexperiment
