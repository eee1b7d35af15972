#include "game/GameRegistration.h"

#include "engine/ScriptBindings.h"
#include "game/editor/CursorLogic.h"
#include "game/editor/LevelEditor.h"
#include "game/editor/LevelEditorScript.h"
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
    static bool scriptsAdded = false;
    if (!scriptsAdded) SD::AddScriptClass(LevelEditorScriptClass());
    scriptsAdded = true;
}

}  // namespace QV
