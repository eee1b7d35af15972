#include "game/GameRegistration.h"

#include <memory>

#include "engine/GameObject.h"
#include "engine/ScriptBindings.h"
#include "game/components/CircularSpinningLightLogic.h"
#include "game/components/FloatingLogic.h"
#include "game/components/FlowerCollection.h"
#include "game/components/GameHooks.h"
#include "game/components/GroupSpawner.h"
#include "game/components/LightLogic.h"
#include "game/components/SimpleTombstoneLogic.h"
#include "game/components/SpawnLogic.h"
#include "game/components/Spawner.h"
#include "game/components/SpinningLogic.h"
#include "game/components/Tombstones.h"
#include "game/components/Trigger.h"
#include "game/components/TriggerScriptBindings.h"
#include "game/editor/CursorLogic.h"
#include "game/editor/LevelEditor.h"
#include "game/editor/LevelEditorScript.h"
#include "game/editor/GameEditorHooks.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "game/hud/HudRegistration.h"
#include "game/hud/HudScript.h"
#include "game/states/StateRegistration.h"
#include "game/systems/TweakableSystem.h"
#include "physics/OverlapTests.h"
#include "runtime/Registration.h"

namespace QV {
namespace {

SD::ISystem* MakeTweakableSystem() { return new TweakableSystem(); }
SD::ISystem* TheFireflyManager() { return &Firefly_Manager::GetInstance(); }

SD::ISystem* TheLevelEditor() {
    LevelEditor& editor = LevelEditor::GetInstance();
    editor.SetHooks(std::make_unique<GameEditorHooks>());
    return &editor;
}

// Where an object with an entrance comes to rest, for the box the physics keeps its mesh in.
bool RestingPosition(SD::GameObject* object, SD::Vec3* position) {
    auto* spawn = static_cast<SpawnLogic*>(object->GetComponent(SD::CID_SpawnLogic));
    if (!spawn) return false;
    *position = spawn->GetRestingPosition();
    return true;
}

}  // namespace

void SupplyGameClasses(SD::Registrations& registrations) {
    registrations.SupplySystem("Firefly_Manager", &TheFireflyManager, false);
    registrations.SupplySystem("TweakableSystem", &MakeTweakableSystem, true);
    registrations.SupplySystem("LevelEditor", &TheLevelEditor, false);
    registrations.SupplyComponent("CursorLogic", &SD::MakeComponentCreator<CursorLogic>);
    registrations.SupplyComponent("Firefly", &SD::MakeComponentCreator<Firefly>);
    registrations.SupplyComponent("FloatingLogic", &SD::MakeComponentCreator<FloatingLogic>);
    registrations.SupplyComponent("SpawnLogic", &SD::MakeComponentCreator<SpawnLogic>);
    registrations.SupplyComponent("Spawner", &SD::MakeComponentCreator<Spawner>);
    registrations.SupplyComponent("Trigger", &SD::MakeComponentCreator<Trigger>);
    registrations.SupplyComponent("FlowerCollection", &SD::MakeComponentCreator<FlowerCollection>);
    registrations.SupplyComponent("GroupSpawner", &SD::MakeComponentCreator<GroupSpawner>);
    registrations.SupplyComponent("SpinningLogic", &SD::MakeComponentCreator<SpinningLogic>);
    registrations.SupplyComponent("PulsingLightLogic", &SD::MakeComponentCreator<PulsingLightLogic>);
    registrations.SupplyComponent("FloatingLightLogic", &SD::MakeComponentCreator<FloatingLightLogic>);
    registrations.SupplyComponent("FadeInLightLogic", &SD::MakeComponentCreator<FadeInLightLogic>);
    registrations.SupplyComponent("CircularSpinningLightLogic", &SD::MakeComponentCreator<CircularSpinningLightLogic>);
    registrations.SupplyComponent("SimpleTombstoneLogic", &SD::MakeComponentCreator<SimpleTombstoneLogic>);
    registrations.SupplyComponent("ShortTombstone", &SD::MakeComponentCreator<ShortTombstone>);
    registrations.SupplyComponent("MainTombstone", &SD::MakeComponentCreator<MainTombstone>);
    SupplyHudClasses(registrations);
    SupplyFrontEndStates(registrations);
    Gedankenexperiment::SetRestingPositionQuery(&RestingPosition);
    // Hooks installed before (by a test world, say) stay.
    static GameHooks gameHooks;
    if (!WorldHooksInstalled()) SetWorldHooks(&gameHooks);
    static bool scriptsAdded = false;
    if (scriptsAdded) return;
    scriptsAdded = true;
    SD::AddScriptClass(LevelEditorScriptClass());
    SD::AddScriptClass(TriggerScriptClass());
    SD::AddScriptClass(HudScriptClass());
}

}  // namespace QV
