#include "game/GameRegistration.h"

#include "engine/ScriptBindings.h"
#include "game/editor/CursorLogic.h"
#include "game/editor/LevelEditor.h"
#include "game/editor/LevelEditorScript.h"
#include "game/hud/HudRegistration.h"
#include "game/hud/HudScript.h"
#include "game/states/StateRegistration.h"
#include "game/systems/TweakableSystem.h"
#include "runtime/Registration.h"

namespace QV {
namespace {

SD::ISystem* MakeTweakableSystem() { return new TweakableSystem(); }
SD::ISystem* TheLevelEditor() { return &LevelEditor::GetInstance(); }

}  // namespace

void SupplyGameClasses(SD::Registrations& registrations) {
    registrations.SupplySystem("TweakableSystem", &MakeTweakableSystem, true);
    registrations.SupplySystem("LevelEditor", &TheLevelEditor, false);
    registrations.SupplyComponent("CursorLogic", &SD::MakeComponentCreator<CursorLogic>);
    SupplyHudClasses(registrations);
    SupplyFrontEndStates(registrations);
    static bool scriptsAdded = false;
    if (!scriptsAdded) {
        SD::AddScriptClass(LevelEditorScriptClass());
        SD::AddScriptClass(HudScriptClass());
    }
    scriptsAdded = true;
}

}  // namespace QV
