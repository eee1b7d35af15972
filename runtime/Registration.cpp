#include "runtime/Registration.h"

#include <algorithm>

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
namespace {

constexpr ComponentID ID(unsigned value) { return static_cast<ComponentID>(value); }

}  // namespace

const std::vector<ComponentRegistration>& ComponentRegistrationOrder() {
    static const std::vector<ComponentRegistration> order = {
        {"Transform", ID(0)},
        {"Geometry", ID(7)},
        {"Body", ID(6)},
        {"Collider", ID(24)},
        {"Phantom", ID(9)},
        {"Light", ID(8)},
        {"PlayerLogic", ID(12)},
        {"Camera", ID(13)},
        {"SphericalCamera", ID(17)},
        {"OrthoCamera", ID(18)},
        {"Sprite", ID(14)},
        {"UISprite", ID(15)},
        {"CursorLogic", ID(19)},
        {"Text", ID(20)},
        {"FloatingLogic", ID(22)},
        {"VernholmCameraLogic", ID(23)},
        {"LuaLogic", ID(2)},
        {"Firefly", ID(25)},
        {"ParticleSystem", ID(26)},
        {"DustSystem", ID(27)},
        {"PlayerTrail", ID(28)},
        {"Button", ID(29)},
        {"Collider2D", ID(30)},
        {"FlowerPollen", ID(32)},
        {"FlowerCollection", ID(33)},
        {"SpawnLogic", ID(35)},
        {"FireflyDust", ID(36)},
        {"HudCollector", ID(37)},
        {"HudFade", ID(38)},
        {"CircleEffect", ID(39)},
        {"CheckBox", ID(40)},
        {"Slider", ID(41)},
        {"Snow", ID(42)},
        {"ShootingStar", ID(43)},
        {"TwinklingStars", ID(44)},
        {"CrystalMist", ID(45)},
        {"FireflyTrail", ID(46)},
        {"QuorvantaLogic", ID(48)},
        {"CloudLogic", ID(49)},
        {"Spawner", ID(51)},
        {"StarfallTreeLeafLogic", ID(52)},
        {"Group", ID(4)},
        {"Fog", ID(53)},
        {"WaterfallEffect", ID(47)},
        {"WaterfallMist", ID(54)},
        {"NaiveGrassBillboardLogic", ID(55)},
        {"Trigger", ID(56)},
        {"GroupSpawner", ID(57)},
        {"SpringStarfallTreeLeafLogic", ID(58)},
        {"SummerStarfallTreeLeafLogic", ID(59)},
        {"GrassPatchLogic", ID(60)},
        {"PulsingLightLogic", ID(61)},
        {"WindLogic", ID(65)},
        {"ShortTombstone", ID(62)},
        {"TallTombstoneLogic", ID(63)},
        {"LilyPadLogic", ID(64)},
        {"WindTubeLogic", ID(66)},
        {"ObscuraCameraLogic", ID(67)},
        {"ShaderWind", ID(69)},
        {"QuorvPhantom", ID(68)},
        {"FloatingBulbLogic", ID(70)},
        {"Collector", ID(72)},
        {"MainTombstone", ID(71)},
        {"DirtParticles", ID(73)},
        {"WindTrigger", ID(75)},
        {"GateDust", ID(76)},
        {"DataBarController", ID(74)},
        {"PimselCamera", ID(78)},
        {"Aperture::Photon::FireflyBlink", ID(79)},
        {"SeasonTransitionLogic", ID(80)},
        {"MountainSplitLogic", ID(81)},
        {"SeasonalColorInterpLogic", ID(82)},
        {"HudFadeTrigger", ID(84)},
        {"PlayerSuperTrail", ID(85)},
        {"Aperture::Terrain", ID(83)},
        {"Aperture::Photon::WindStreamer", ID(86)},
        {"RainSystem", ID(87)},
        {"RainLogic", ID(88)},
        {"SafeZone", ID(89)},
        {"QuadParticleSystem", ID(90)},
        {"FallingLeaves", ID(91)},
        {"MoonGlow", ID(92)},
        {"CameraTransitionTrigger", ID(93)},
        {"RingTreeWindStreamLogic", ID(94)},
        {"SyncLogic", ID(95)},
        {"LuaComponent", ID(5)},
        {"ParticleTester", ID(96)},
        {"VineTrail", ID(97)},
        {"FloatingIslandLogic", ID(98)},
        {"CircularSpinningLightLogic", ID(99)},
        {"FloatingLightLogic", ID(100)},
        {"MoonLogic", ID(101)},
        {"SimpleTombstoneLogic", ID(102)},
        {"BubbleEffect", ID(103)},
        {"SpinningLogic", ID(104)},
        {"Name", ID(105)},
        {"FadeInLightLogic", ID(106)},
        {"HackProximitySpawn", ID(107)},
        {"FireflyCollectionSparkles", ID(108)},
        {"CrystalLogic", ID(109)},
        {"GrassDust", ID(110)},
        {"FloatingIslandGlowLogic", ID(111)},
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

const std::vector<std::string>& SuppliedSystemOrder() {
    static const std::vector<std::string> order = {
        "Physics_System", "Firefly_Manager", "TweakableSystem", "HudSystem",     "Graphics_",
        "WindSystem_",    "GhostEngine_",    "LevelEditor",     "SowlarSystem_",
    };
    return order;
}

bool Registrations::SupplySystem(const std::string& name, SystemMaker make, bool ownedByCore) {
    const auto& order = SuppliedSystemOrder();
    if (!make || std::find(order.begin(), order.end(), name) == order.end()) return false;
    auto supplied = systems_.find(name);
    if (supplied == systems_.end()) {
        systems_[name] = SystemSupply{make, ownedByCore};
        return true;
    }
    if (supplied->second.make == make) return true;
    refused_.push_back("System \"" + name + "\" supplied twice: the first supply is kept.");
    return false;
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
    for (const ComponentRegistration& entry : ComponentRegistrationOrder()) {
        if (make && registeredName == entry.name) {
            components_[registeredName] = make;
            return true;
        }
    }
    return false;
}

bool Registrations::SupplyLevel(const std::string& name, LevelMaker make) {
    for (const std::string& entry : LevelRegistrationOrder()) {
        if (make && name == entry) {
            levels_[name] = make;
            return true;
        }
    }
    return false;
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
