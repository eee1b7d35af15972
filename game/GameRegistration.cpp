#include "game/GameRegistration.h"

#include <memory>

#include "engine/ScriptBindings.h"
#include "game/components/FloatingLogic.h"
#include "game/components/GroupSpawner.h"
#include "game/components/Spawner.h"
#include "game/components/SpinningLogic.h"
#include "game/components/Trigger.h"
#include "game/components/TriggerScriptBindings.h"
#include "game/editor/CursorLogic.h"
#include "game/editor/LevelEditor.h"
#include "game/editor/LevelEditorScript.h"
#include "game/editor/PhysicsEditorHooks.h"
#include "game/systems/TweakableSystem.h"
#include "runtime/Registration.h"

namespace QV {
namespace {

SD::ISystem* MakeTweakableSystem() { return new TweakableSystem(); }

SD::ISystem* TheLevelEditor() {
    LevelEditor& editor = LevelEditor::GetInstance();
    editor.SetHooks(std::make_unique<PhysicsEditorHooks>());
    return &editor;
}

}  // namespace

void SupplyGameClasses(SD::Registrations& registrations) {
    registrations.SupplySystem("TweakableSystem", &MakeTweakableSystem, true);
    registrations.SupplySystem("LevelEditor", &TheLevelEditor, false);
    registrations.SupplyComponent("CursorLogic", &SD::MakeComponentCreator<CursorLogic>);
    registrations.SupplyComponent("FloatingLogic", &SD::MakeComponentCreator<FloatingLogic>);
    registrations.SupplyComponent("Spawner", &SD::MakeComponentCreator<Spawner>);
    registrations.SupplyComponent("Trigger", &SD::MakeComponentCreator<Trigger>);
    registrations.SupplyComponent("GroupSpawner", &SD::MakeComponentCreator<GroupSpawner>);
    registrations.SupplyComponent("SpinningLogic", &SD::MakeComponentCreator<SpinningLogic>);
    static bool scriptsAdded = false;
    if (scriptsAdded) return;
    scriptsAdded = true;
    SD::AddScriptClass(LevelEditorScriptClass());
    SD::AddScriptClass(TriggerScriptClass());
}

}  // namespace QV
