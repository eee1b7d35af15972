#include "game/GameRegistration.h"

#include <memory>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/ScriptBindings.h"
#include "game/cameras/ChaseCameras.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/components/CircularSpinningLightLogic.h"
#include "game/components/CloudLogic.h"
#include "game/components/Collector.h"
#include "game/components/CrystalMist.h"
#include "game/components/DustSystem.h"
#include "game/components/FloatingBulbLogic.h"
#include "game/components/FloatingLogic.h"
#include "game/components/FlowerCollection.h"
#include "game/components/GrassLogic.h"
#include "game/components/GroupSpawner.h"
#include "game/components/IslandLogic.h"
#include "game/components/LightLogic.h"
#include "game/components/LilyPadLogic.h"
#include "game/components/MoonLogic.h"
#include "game/components/ProximityTriggers.h"
#include "game/components/QuorvPhantom.h"
#include "game/components/QuorvantaLogic.h"
#include "game/components/RainLogic.h"
#include "game/components/SafeZone.h"
#include "game/components/SceneryMarkers.h"
#include "game/components/SeasonTransitionLogic.h"
#include "game/components/SeasonalColorInterpLogic.h"
#include "game/components/ShaderWind.h"
#include "game/components/SimpleTombstoneLogic.h"
#include "game/components/SpawnLogic.h"
#include "game/components/Spawner.h"
#include "game/components/SpinningLogic.h"
#include "game/components/StarfallLeaves.h"
#include "game/components/SyncLogic.h"
#include "game/components/TallTombstoneLogic.h"
#include "game/components/Tombstones.h"
#include "game/components/Trigger.h"
#include "game/components/TriggerScriptBindings.h"
#include "game/components/Wind.h"
#include "game/editor/CursorLogic.h"
#include "game/fireflies/FireflyDust.h"
#include "game/editor/LevelEditor.h"
#include "game/editor/LevelEditorScript.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "game/hud/HudRegistration.h"
#include "game/hud/HudScript.h"
#include "game/states/GraphicsArtLoaders.h"
#include "game/player/PlayerLogic.h"
#include "game/player/PlayerScript.h"
#include "game/states/StateRegistration.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/GameSoundLogic.h"
#include "game/systems/SowlarSystem.h"
#include "game/systems/TweakableSystem.h"
#include "game/systems/WindSystem.h"
#include "graphics/Graphics.h"
#include "physics/OverlapTests.h"
#include "runtime/Registration.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/SoundSystemRegistration.h"

namespace QV {
namespace {

SD::ISystem* MakeTweakableSystem() { return new TweakableSystem(); }
SD::ISystem* TheFireflyManager() { return &Firefly_Manager::GetInstance(); }
// The game's sound logic is the engine's sound system's game part.
class GameSoundLogicMaker : public SD::IGameSoundPartMaker {
public:
    std::unique_ptr<SD::IGhostSubsystem> Make() override { return std::make_unique<GameSoundLogic>(); }
};
SD::ISystem* TheWindSystem() { return &WindSystem_::GetInstance(); }
SD::ISystem* TheSowlarSystem() { return &SowlarSystem_::GetInstance(); }

SD::ISystem* TheLevelEditor() { return &LevelEditor::GetInstance(); }

// Where an object with an entrance comes to rest, for the box the physics keeps its mesh in.
class SpawnRestingPosition : public Gedankenexperiment::IRestingPositionQuery {
public:
    bool RestingPosition(SD::GameObject* object, SD::Vec3* position) const override {
        auto* spawn = static_cast<SpawnLogic*>(object->GetComponent(SD::CID_SpawnLogic));
        if (!spawn) return false;
        *position = spawn->GetRestingPosition();
        return true;
    }
};

}  // namespace

void SupplyGameClasses(SD::Registrations& registrations) {
    // Fireflies and tweaks act on the objects the components and scripts updated, before the state
    // may change the level.
    registrations.SupplySystem("Firefly_Manager", &TheFireflyManager, false,
                               {{"LuaComponentManager"}, {"GameStateManager"}});
    registrations.SupplySystem("TweakableSystem", &MakeTweakableSystem, true,
                               {{"LuaComponentManager"}, {"GameStateManager"}});
    // The wind's sound parameters reach the sound system in the frame they are worked out.
    registrations.SupplySystem("WindSystem_", &TheWindSystem, false, {{"Factory"}, {"GhostEngine_"}});
    // The editor edits what this frame placed and sounded, before the level's layers change.
    registrations.SupplySystem("LevelEditor", &TheLevelEditor, false, {{"GhostEngine_"}, {"LevelLayerManager"}});
    // The season cycle runs last and sets the look the next frame is drawn with.
    registrations.SupplySystem("SowlarSystem_", &TheSowlarSystem, false, {{"LevelLayerManager"}, {}});
    registrations.SupplyComponent("PlayerLogic", SD::CID_Player, &SD::MakeComponentCreator<PlayerLogic>);
    registrations.SupplyComponent("VernholmCameraLogic", SD::CID_VernholmCameraLogic,
                                  &SD::MakeComponentCreator<VernholmCameraLogic>);
    registrations.SupplyComponent("ObscuraCameraLogic", SD::CID_ObscuraCamera,
                                  &SD::MakeComponentCreator<ObscuraCameraLogic>);
    registrations.SupplyComponent("DataBarController", SD::CID_DataBarController,
                                  &SD::MakeComponentCreator<DataBarController>);
    registrations.SupplyComponent("PimselCamera", SD::CID_PimselMouse, &SD::MakeComponentCreator<PimselCamera>);
    registrations.SupplyComponent("CursorLogic", SD::CID_CursorLogic, &SD::MakeComponentCreator<CursorLogic>);
    registrations.SupplyComponent("Firefly", SD::CID_Firefly, &SD::MakeComponentCreator<Firefly>);
    registrations.SupplyComponent("FloatingLogic", SD::CID_Floating, &SD::MakeComponentCreator<FloatingLogic>);
    registrations.SupplyComponent("SpawnLogic", SD::CID_SpawnLogic, &SD::MakeComponentCreator<SpawnLogic>);
    registrations.SupplyComponent("Spawner", SD::CID_Spawner, &SD::MakeComponentCreator<Spawner>);
    registrations.SupplyComponent("Trigger", SD::CID_Trigger, &SD::MakeComponentCreator<Trigger>);
    registrations.SupplyComponent("FlowerCollection", SD::CID_FlowerCollection,
                                  &SD::MakeComponentCreator<FlowerCollection>);
    registrations.SupplyComponent("GroupSpawner", SD::CID_GroupSpawner, &SD::MakeComponentCreator<GroupSpawner>);
    registrations.SupplyComponent("SpinningLogic", SD::kSpinningLogicID, &SD::MakeComponentCreator<SpinningLogic>);
    registrations.SupplyComponent("PulsingLightLogic", SD::CID_PulsingLightLogic,
                                  &SD::MakeComponentCreator<PulsingLightLogic>);
    registrations.SupplyComponent("FloatingLightLogic", SD::kFloatingLightLogicID,
                                  &SD::MakeComponentCreator<FloatingLightLogic>);
    registrations.SupplyComponent("FadeInLightLogic", SD::kFadeInLightLogicID,
                                  &SD::MakeComponentCreator<FadeInLightLogic>);
    registrations.SupplyComponent("CircularSpinningLightLogic", SD::kCircularSpinningLightLogicID,
                                  &SD::MakeComponentCreator<CircularSpinningLightLogic>);
    registrations.SupplyComponent("SimpleTombstoneLogic", SD::kSimpleTombstoneLogicID,
                                  &SD::MakeComponentCreator<SimpleTombstoneLogic>);
    registrations.SupplyComponent("ShortTombstone", SD::CID_ShortTombstone, &SD::MakeComponentCreator<ShortTombstone>);
    registrations.SupplyComponent("MainTombstone", SD::CID_MainTombstone, &SD::MakeComponentCreator<MainTombstone>);
    registrations.SupplyComponent("TallTombstoneLogic", SD::CID_TallTombstoneLogic,
                                  &SD::MakeComponentCreator<TallTombstoneLogic>);
    registrations.SupplyComponent("WindLogic", SD::CID_WindLogic, &SD::MakeComponentCreator<WindLogic>);
    registrations.SupplyComponent("WindTubeLogic", SD::CID_WindTubeLogic, &SD::MakeComponentCreator<WindTubeLogic>);
    registrations.SupplyComponent("WindTrigger", SD::CID_WindTrigger, &SD::MakeComponentCreator<WindTrigger>);
    registrations.SupplyComponent("SeasonTransitionLogic", SD::CID_SeasonTransitionLogic,
                                  &SD::MakeComponentCreator<SeasonTransitionLogic>);
    registrations.SupplyComponent("SeasonalColorInterpLogic", SD::CID_SeasonalColorInterpLogic,
                                  &SD::MakeComponentCreator<SeasonalColorInterpLogic>);
    registrations.SupplyComponent("RainLogic", SD::kRainLogicID, &SD::MakeComponentCreator<RainLogic>);
    registrations.SupplyComponent("MoonLogic", SD::kMoonLogicID, &SD::MakeComponentCreator<MoonLogic>);
    registrations.SupplyComponent("SyncLogic", SD::kSyncLogicID, &SD::MakeComponentCreator<SyncLogic>);
    registrations.SupplyComponent("HackProximitySpawn", SD::kHackProximitySpawnID,
                                  &SD::MakeComponentCreator<HackProximitySpawn>);
    registrations.SupplyComponent("CameraTransitionTrigger", SD::kCameraTransitionTriggerID,
                                  &SD::MakeComponentCreator<CameraTransitionTrigger>);
    registrations.SupplyComponent("HudFadeTrigger", SD::CID_HudFadeTrigger, &SD::MakeComponentCreator<HudFadeTrigger>);
    registrations.SupplyComponent("Collector", SD::CID_Collector, &SD::MakeComponentCreator<Collector>);
    registrations.SupplyComponent("QuorvPhantom", SD::CID_QuorvPhantom, &SD::MakeComponentCreator<QuorvPhantom>);
    registrations.SupplyComponent("FloatingIslandGlowLogic", SD::kFloatingIslandGlowLogicID,
                                  &SD::MakeComponentCreator<FloatingIslandGlowLogic>);
    registrations.SupplyComponent("CrystalLogic", SD::kCrystalLogicID, &SD::MakeComponentCreator<CrystalLogic>);
    registrations.SupplyComponent("MountainSplitLogic", SD::CID_MountainSplitLogic,
                                  &SD::MakeComponentCreator<MountainSplitLogic>);
    registrations.SupplyComponent("FloatingIslandLogic", SD::kFloatingIslandLogicID,
                                  &SD::MakeComponentCreator<FloatingIslandLogic>);
    registrations.SupplyComponent("RingTreeWindStreamLogic", SD::kRingTreeWindStreamLogicID,
                                  &SD::MakeComponentCreator<RingTreeWindStreamLogic>);
    registrations.SupplyComponent("QuorvantaLogic", SD::CID_QuorvantaLogic, &SD::MakeComponentCreator<QuorvantaLogic>);
    registrations.SupplyComponent("FloatingBulbLogic", SD::CID_FloatingBulbLogic,
                                  &SD::MakeComponentCreator<FloatingBulbLogic>);
    registrations.SupplyComponent("LilyPadLogic", SD::CID_LilyPadLogic, &SD::MakeComponentCreator<LilyPadLogic>);
    registrations.SupplyComponent("GrassPatchLogic", SD::CID_GrassPatchLogic,
                                  &SD::MakeComponentCreator<GrassPatchLogic>);
    registrations.SupplyComponent("NaiveGrassBillboardLogic", SD::CID_NaiveGrassBillboardLogic,
                                  &SD::MakeComponentCreator<NaiveGrassBillboardLogic>);
    registrations.SupplyComponent("StarfallTreeLeafLogic", SD::CID_StarfallTreeLeafLogic,
                                  &SD::MakeComponentCreator<StarfallTreeLeafLogic>);
    registrations.SupplyComponent("SummerStarfallTreeLeafLogic", SD::CID_SummerStarfallTreeLeafLogic,
                                  &SD::MakeComponentCreator<SummerStarfallTreeLeafLogic>);
    registrations.SupplyComponent("SpringStarfallTreeLeafLogic", SD::CID_SpringStarfallTreeLeafLogic,
                                  &SD::MakeComponentCreator<SpringStarfallTreeLeafLogic>);
    registrations.SupplyComponent("CloudLogic", SD::CID_CloudLogic, &SD::MakeComponentCreator<CloudLogic>);
    registrations.SupplyComponent("DustSystem", SD::CID_DustSystem, &SD::MakeComponentCreator<DustSystem>);
    registrations.SupplyComponent("FireflyDust", SD::CID_FireflyDust, &SD::MakeComponentCreator<FireflyDust>);
    registrations.SupplyComponent("CrystalMist", SD::CID_CrystalMist, &SD::MakeComponentCreator<CrystalMist>);
    registrations.SupplyComponent("ShaderWind", SD::CID_ShaderWind, &SD::MakeComponentCreator<ShaderWind>);
    registrations.SupplyComponent("SafeZone", SD::kSafeZoneID, &SD::MakeComponentCreator<SafeZone>);
    static GameSoundLogicMaker gameSoundLogic;
    SD::SupplyGameSoundPart(&gameSoundLogic);
    SupplyHudClasses(registrations);
    SupplyGameStates(registrations);
    InstallGraphicsArtLoaders();
    static SpawnRestingPosition restingPosition;
    Gedankenexperiment::SetRestingPositionQuery(&restingPosition);
    static bool scriptsAdded = false;
    if (scriptsAdded) return;
    scriptsAdded = true;
    SD::AddScriptClass(LevelEditorScriptClass());
    SD::AddScriptClass(TriggerScriptClass());
    SD::AddScriptClass(HudScriptClass());
    SD::AddScriptClass(PlayerScriptClass());
    SD::AddScriptClass(AudioLogicScriptClass());
    SD::AddScriptClass(VernholmCameraScriptClass());
}

}  // namespace QV
