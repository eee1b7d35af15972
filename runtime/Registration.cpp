#include "runtime/Registration.h"

#include <algorithm>
#include <utility>

#include "core/EngineCore.h"
#include "core/Logger.h"
#include "engine/Factory.h"
#include "engine/Group.h"
#include "engine/Level.h"
#include "engine/LuaComponent.h"
#include "engine/LuaLogic.h"
#include "engine/Name.h"
#include "engine/Transform.h"
#include "runtime/GameStateManager.h"

namespace SD {
const std::vector<ComponentRegistration>& ComponentRegistrationOrder() {
    static const std::vector<ComponentRegistration> order = {
        {"Transform", CID_Transform},
        {"Geometry", CID_Geometry},
        {"Body", CID_Body},
        {"Collider", CID_Collider},
        {"Phantom", CID_Phantom},
        {"Light", CID_Light},
        {"PlayerLogic", CID_Player},
        {"Camera", CID_Camera},
        {"SphericalCamera", CID_SphericalCamera},
        {"OrthoCamera", CID_OrthoCamera},
        {"Sprite", CID_Sprite},
        {"UISprite", CID_UISprite},
        {"CursorLogic", CID_CursorLogic},
        {"Text", CID_Text},
        {"FloatingLogic", CID_Floating},
        {"VernholmCameraLogic", CID_VernholmCameraLogic},
        {"LuaLogic", CID_LuaLogic},
        {"Firefly", CID_Firefly},
        {"ParticleSystem", CID_ParticleSystem},
        {"DustSystem", CID_DustSystem},
        {"PlayerTrail", CID_PlayerTrail},
        {"Button", CID_Button},
        {"Collider2D", CID_Collider2D},
        {"FlowerPollen", CID_FlowerPollen},
        {"FlowerCollection", CID_FlowerCollection},
        {"SpawnLogic", CID_SpawnLogic},
        {"FireflyDust", CID_FireflyDust},
        {"HudCollector", CID_HudCollector},
        {"HudFade", CID_HudFade},
        {"CircleEffect", CID_CircleEffect},
        {"CheckBox", CID_CheckBox},
        {"Slider", CID_Slider},
        {"Snow", CID_Snow},
        {"ShootingStar", CID_ShootingStar},
        {"TwinklingStars", CID_TwinklingStars},
        {"CrystalMist", CID_CrystalMist},
        {"FireflyTrail", CID_FireflyTrail},
        {"QuorvantaLogic", CID_QuorvantaLogic},
        {"CloudLogic", CID_CloudLogic},
        {"Spawner", CID_Spawner},
        {"StarfallTreeLeafLogic", CID_StarfallTreeLeafLogic},
        {"Group", CID_Group},
        {"Fog", CID_Fog},
        {"WaterfallEffect", CID_WaterfallEffect},
        {"WaterfallMist", CID_WaterfallMist},
        {"NaiveGrassBillboardLogic", CID_NaiveGrassBillboardLogic},
        {"Trigger", CID_Trigger},
        {"GroupSpawner", CID_GroupSpawner},
        {"SpringStarfallTreeLeafLogic", CID_SpringStarfallTreeLeafLogic},
        {"SummerStarfallTreeLeafLogic", CID_SummerStarfallTreeLeafLogic},
        {"GrassPatchLogic", CID_GrassPatchLogic},
        {"PulsingLightLogic", CID_PulsingLightLogic},
        {"WindLogic", CID_WindLogic},
        {"ShortTombstone", CID_ShortTombstone},
        {"TallTombstoneLogic", CID_TallTombstoneLogic},
        {"LilyPadLogic", CID_LilyPadLogic},
        {"WindTubeLogic", CID_WindTubeLogic},
        {"ObscuraCameraLogic", CID_ObscuraCamera},
        {"ShaderWind", CID_ShaderWind},
        {"QuorvPhantom", CID_QuorvPhantom},
        {"FloatingBulbLogic", CID_FloatingBulbLogic},
        {"Collector", CID_Collector},
        {"MainTombstone", CID_MainTombstone},
        {"DirtParticles", CID_DirtParticles},
        {"WindTrigger", CID_WindTrigger},
        {"GateDust", CID_GateDust},
        {"DataBarController", CID_DataBarController},
        {"PimselCamera", CID_PimselMouse},
        {"Aperture::Photon::FireflyBlink", CID_FireflyBlink},
        {"SeasonTransitionLogic", CID_SeasonTransitionLogic},
        {"MountainSplitLogic", CID_MountainSplitLogic},
        {"SeasonalColorInterpLogic", CID_SeasonalColorInterpLogic},
        {"HudFadeTrigger", CID_HudFadeTrigger},
        {"PlayerSuperTrail", CID_PlayerSuperTrail},
        {"Aperture::Terrain", kTerrainID},
        {"Aperture::Photon::WindStreamer", kWindStreamerID},
        {"RainSystem", CID_RainSystem},
        {"RainLogic", kRainLogicID},
        {"SafeZone", kSafeZoneID},
        {"QuadParticleSystem", kQuadParticleSystemID},
        {"FallingLeaves", kFallingLeavesID},
        {"MoonGlow", kMoonGlowID},
        {"CameraTransitionTrigger", kCameraTransitionTriggerID},
        {"RingTreeWindStreamLogic", kRingTreeWindStreamLogicID},
        {"SyncLogic", kSyncLogicID},
        {"LuaComponent", kLuaComponentID},
        {"ParticleTester", kParticleTesterID},
        {"VineTrail", kVineTrailID},
        {"FloatingIslandLogic", kFloatingIslandLogicID},
        {"CircularSpinningLightLogic", kCircularSpinningLightLogicID},
        {"FloatingLightLogic", kFloatingLightLogicID},
        {"MoonLogic", kMoonLogicID},
        {"SimpleTombstoneLogic", kSimpleTombstoneLogicID},
        {"BubbleEffect", kBubbleEffectID},
        {"SpinningLogic", kSpinningLogicID},
        {"Name", kNameID},
        {"FadeInLightLogic", kFadeInLightLogicID},
        {"HackProximitySpawn", kHackProximitySpawnID},
        {"FireflyCollectionSparkles", kFireflyCollectionSparklesID},
        {"CrystalLogic", kCrystalLogicID},
        {"GrassDust", kGrassDustID},
        {"FloatingIslandGlowLogic", kFloatingIslandGlowLogicID},
    };
    return order;
}

const std::vector<std::string>& LevelRegistrationOrder() {
    static const std::vector<std::string> order = {
        "TestLevel",     "BuildMode",           "World",         "MainMenu",   "LoadLevel", "Credits", "SplashLevel",
        "SowlarTestBed", "World_EscortMission", "Graphics_Test", "Logic_Test",
    };
    return order;
}

bool Registrations::SupplySystem(const std::string& name, SystemMaker make, bool ownedByCore, SystemPlace place) {
    return make && KeepFirst(systems_, "System", name, SystemSupply{make, ownedByCore, std::move(place)});
}

std::vector<PlacedSystem> Registrations::SuppliedSystemPlaces() const {
    std::vector<PlacedSystem> places;
    for (const auto& [name, supply] : systems_) places.push_back(PlacedSystem{name, supply.place});
    return places;
}

void Registrations::LogRefusedSupplies() const {
    for (const std::string& line : refused_) SD_WARNING(Debug::kLogError, "%s", line.c_str());
}

ISystem* Registrations::AddSuppliedSystem(Core& core, const std::string& name) const {
    auto found = systems_.find(name);
    if (found == systems_.end()) return nullptr;
    ISystem* system = found->second.make();
    if (system) core.AddSystem(system, found->second.ownedByCore);
    return system;
}

bool Registrations::SupplyComponent(const std::string& registeredName, ComponentCreatorMaker make) {
    const auto& order = ComponentRegistrationOrder();
    const bool known = std::any_of(order.begin(), order.end(),
                                   [&](const ComponentRegistration& entry) { return registeredName == entry.name; });
    return make && known && KeepFirst(components_, "Component", registeredName, make);
}

bool Registrations::SupplyLevel(const std::string& name, LevelMaker make) {
    const auto& order = LevelRegistrationOrder();
    return make && std::find(order.begin(), order.end(), name) != order.end() &&
           KeepFirst(levels_, "Level", name, make);
}

std::vector<std::string> Registrations::RegisterComponents(Factory_& factory) const {
    std::vector<std::string> registered;
    for (const ComponentRegistration& entry : ComponentRegistrationOrder()) {
        auto found = components_.find(entry.name);
        if (found == components_.end()) continue;
        factory.RegisterComponentCreator(entry.name, entry.id, found->second());
        registered.push_back(entry.name);
    }
    return registered;
}

std::vector<std::string> Registrations::RegisterLevels(GameStateManager_& manager) const {
    std::vector<std::string> registered;
    for (const std::string& name : LevelRegistrationOrder()) {
        auto found = levels_.find(name);
        if (found == levels_.end()) continue;
        manager.RegisterLevel(found->second(), name);
        registered.push_back(name);
    }
    return registered;
}

std::vector<std::string> Registrations::ComponentsToCome() const {
    std::vector<std::string> missing;
    for (const ComponentRegistration& entry : ComponentRegistrationOrder()) {
        auto found = components_.find(entry.name);
        if (found == components_.end()) missing.push_back(entry.name);
    }
    return missing;
}

std::vector<std::string> Registrations::LevelsToCome() const {
    std::vector<std::string> missing;
    for (const std::string& name : LevelRegistrationOrder()) {
        auto found = levels_.find(name);
        if (found == levels_.end()) missing.push_back(name);
    }
    return missing;
}

Level* Registrations::ChooseFirstState(GameStateManager_& manager) const {
    Level* loading = manager.FindLevel("LoadLevel");
    if (!loading) return nullptr;
    manager.ChangeLevelTo("SplashLevel");
    if (prepare_) prepare_->PrepareLoadLevel(*loading);
    return loading;
}

void SupplyEngineClasses(Registrations& registrations) {
    registrations.SupplyComponent("Transform", &MakeComponentCreator<Transform>);
    registrations.SupplyComponent("LuaLogic", &MakeComponentCreator<LuaLogic>);
    registrations.SupplyComponent("LuaComponent", &MakeComponentCreator<LuaComponent>);
    registrations.SupplyComponent("Group", &MakeComponentCreator<Group>);
    registrations.SupplyComponent("Name", &MakeComponentCreator<::Name>);
}

Registrations& StartupRegistrations() {
    static Registrations registrations = [] {
        Registrations r;
        SupplyEngineClasses(r);
        return r;
    }();
    return registrations;
}

}  // namespace SD
