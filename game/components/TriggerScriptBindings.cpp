#include "game/components/TriggerScriptBindings.h"

#include <lua.hpp>

#include "engine/ObjectBindings.h"
#include "engine/ScriptBindings.h"
#include "engine/ScriptValue.h"
#include "game/components/Trigger.h"

namespace QV {
namespace {

int ResetTrigger(lua_State* L) {
    auto* trigger = static_cast<Trigger*>(SD::LiveComponent(SD::CheckScriptValue(L, 1, "Trigger")));
    if (!trigger) return SD::ReportNullThis(L, "Trigger", "ResetTrigger", false);
    trigger->SetFired(false);
    return 0;
}

const SD::ScriptMethod kMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"ResetTrigger", ResetTrigger},
};

}  // namespace

const SD::ScriptClass& TriggerScriptClass() {
    static const SD::ScriptClass record{"Trigger", kMethods, sizeof kMethods / sizeof kMethods[0], true};
    return record;
}

}  // namespace QV
