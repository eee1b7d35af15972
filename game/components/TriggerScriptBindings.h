#pragma once
// The script class "Trigger": scripts re-arm a trigger with "ResetTrigger".
namespace SD {
struct ScriptClass;
}

namespace QV {

const SD::ScriptClass& TriggerScriptClass();

}  // namespace QV
