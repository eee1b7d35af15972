// Every reflected property of the world logic components written through the reflection and
// read back, one table per component, and the accessor names each class publishes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GameTestSupport.h"
#include "WorldTestSupport.h"
#include "core/Delegate.h"
#include "game/components/CircularSpinningLightLogic.h"
#include "game/components/CloudLogic.h"
#include "game/components/Collector.h"
#include "game/components/FloatingBulbLogic.h"
#include "game/components/GrassLogic.h"
#include "game/components/IslandLogic.h"
#include "game/components/LightLogic.h"
#include "game/components/LilyPadLogic.h"
#include "game/components/MoonLogic.h"
#include "game/components/ProximityTriggers.h"
#include "game/components/QuorvPhantom.h"
#include "game/components/RainLogic.h"
#include "game/components/SceneryMarkers.h"
#include "game/components/SeasonTransitionLogic.h"
#include "game/components/SeasonalColorInterpLogic.h"
#include "game/components/SimpleTombstoneLogic.h"
#include "game/components/StarfallLeaves.h"
#include "game/components/SyncLogic.h"
#include "game/components/TallTombstoneLogic.h"
#include "game/components/Tombstones.h"
#include "game/components/Wind.h"
#include "game/fireflies/Firefly.h"
#include "game/hud/CheckBox.h"
#include "game/hud/HudCollector.h"
#include "game/hud/Slider.h"

namespace {

using namespace worldtest;

struct Row {
    const char* getter;
    const char* setter;
    char kind;  // 'f' float, 'i' int, 'b' bool, 's' text
    double number;
    const char* text;
};

MFCore::BoundFunction* Find(IRTTIUser::ClassInfo& info, const std::string& name) {
    for (auto& entry : info.functions)
        if (entry.name == name) return entry.function.get();
    return nullptr;
}

std::vector<std::string> Names(const IRTTIUser::ClassInfo& info) {
    std::vector<std::string> names;
    for (const auto& entry : info.functions) names.push_back(entry.name);
    return names;
}

// Writes each row's value through its setter and reads it back through its getter.
void RoundTrip(IRTTIUser& object, const std::vector<Row>& rows) {
    IRTTIUser::ClassInfo info = object.GetBoundClassInfo();
    for (const Row& row : rows) {
        MFCore::BoundFunction* set = Find(info, row.setter);
        MFCore::BoundFunction* get = Find(info, row.getter);
        ASSERT_TRUE(set && get) << row.getter;
        std::vector<MFCore::Any> args;
        switch (row.kind) {
            case 'f':
                args.emplace_back(static_cast<float>(row.number));
                break;
            case 'i':
                args.emplace_back(static_cast<int>(row.number));
                break;
            case 'b':
                args.emplace_back(row.number != 0.0);
                break;
            default:
                args.emplace_back(static_cast<const char*>(row.text));
                break;
        }
        set->Invoke(args);
        std::vector<MFCore::Any> none;
        get->Invoke(none);
        const MFCore::Any& result = *get->GetResult();
        switch (row.kind) {
            case 'f':
                EXPECT_FLOAT_EQ(MFCore::Any::Extract<float>(result), static_cast<float>(row.number)) << row.getter;
                break;
            case 'i':
                EXPECT_EQ(MFCore::Any::Extract<int>(result), static_cast<int>(row.number)) << row.getter;
                break;
            case 'b':
                EXPECT_EQ(MFCore::Any::Extract<bool>(result), row.number != 0.0) << row.getter;
                break;
            default:
                EXPECT_STREQ(MFCore::Any::Extract<const char*>(result), row.text) << row.getter;
                break;
        }
    }
}

class WorldReflectionTest : public WorldFixture {
protected:
    gametest::ReflectionScope reflection;
};

TEST_F(WorldReflectionTest, FloatingLogic) {
    QV::FloatingLogic logic;
    EXPECT_EQ(Names(logic.GetClassInfo()),
              (std::vector<std::string>{"GetMoveDelta", "SetMoveDelta", "GetMoveSpeed", "SetMoveSpeed"}));
    RoundTrip(logic, {{"GetMoveDelta", "SetMoveDelta", 'f', 7.5, nullptr},
                      {"GetMoveSpeed", "SetMoveSpeed", 'f', -1.25, nullptr}});
}

TEST_F(WorldReflectionTest, SpinningLogic) {
    QV::SpinningLogic logic;
    EXPECT_EQ(Names(logic.GetClassInfo()).size(), 10u);
    RoundTrip(logic, {{"GetSpinAxis", "SetSpinAxis", 'i', 2, nullptr},
                      {"GetSpinSpeed", "SetSpinSpeed", 'f', 3.5, nullptr},
                      {"GetSpinActivationDistance", "SetSpinActivationDistance", 'f', 40.0, nullptr},
                      {"GetSpinTimeToActivate", "SetSpinTimeToActivate", 'f', 0.75, nullptr},
                      {"GetSpinStarted", "SetSpinStarted", 'b', 1, nullptr}});
}

TEST_F(WorldReflectionTest, Spawner) {
    QV::Spawner spawner;
    EXPECT_EQ(Names(spawner.GetClassInfo()).size(), 10u);
    RoundTrip(spawner, {{"GetSpawn_fn", "SetSpawn_fn", 's', 0, "Spawn_Green_Firefly"},
                        {"GetPos_fn", "SetPos_fn", 's', 0, "GeneratePos_AtSpawner"},
                        {"GetNum_active_objects", "SetNum_active_objects", 'i', 12, nullptr},
                        {"GetNum_active_objects", "SetNum_active_objects", 'i', 0, nullptr},
                        {"GetSpawn_rate", "SetSpawn_rate", 'f', 2.5, nullptr},
                        {"GetSpawn_state", "SetSpawn_state", 'b', 1, nullptr}});
}

TEST_F(WorldReflectionTest, GroupSpawner) {
    QV::GroupSpawner spawner;
    EXPECT_EQ(Names(spawner.GetClassInfo()),
              (std::vector<std::string>{"GetGroupName", "SetGroupName", "GetAction", "SetAction"}));
    RoundTrip(spawner, {{"GetGroupName", "SetGroupName", 's', 0, "Group_03"},
                        {"GetAction", "SetAction", 's', 0, "SpawnWithDelay"},
                        {"GetAction", "SetAction", 's', 0, "Invalid Action"}});
}

TEST_F(WorldReflectionTest, SpawnLogic) {
    QV::SpawnLogic logic;
    EXPECT_EQ(Names(logic.GetClassInfo()),
              (std::vector<std::string>{"GetDelay", "SetDelay", "GetDuration", "SetDuration", "GetActionName",
                                        "SetActionName", "GetSinkDepth", "SetSinkDepth"}));
    RoundTrip(logic, {{"GetDelay", "SetDelay", 'f', 2.5, nullptr},
                      {"GetDuration", "SetDuration", 'f', 3.0, nullptr},
                      {"GetActionName", "SetActionName", 's', 0, "RiseUp"},
                      {"GetSinkDepth", "SetSinkDepth", 'f', 12.0, nullptr}});
    // A negative duration reads back as 0; the sink depth's getter is the one bound without const.
    IRTTIUser::ClassInfo info = logic.GetBoundClassInfo();
    std::vector<MFCore::Any> args{MFCore::Any(-1.0f)};
    Find(info, "SetDuration")->Invoke(args);
    EXPECT_FLOAT_EQ(logic.GetDuration(), 0.0f);
    using SinkDepthGetter = MFCore::Delegate_0Parameters<float, QV::SpawnLogic>;
    EXPECT_NE(dynamic_cast<SinkDepthGetter*>(Find(info, "GetSinkDepth")), nullptr);
}

TEST_F(WorldReflectionTest, FadeInLightLogic) {
    QV::FadeInLightLogic logic;
    EXPECT_EQ(Names(logic.GetClassInfo()),
              (std::vector<std::string>{"GetLightFadeTime", "SetLightFadeTime", "GetFadeLightDistanceCheck",
                                        "SetFadeLightDistanceCheck"}));
    RoundTrip(logic, {{"GetLightFadeTime", "SetLightFadeTime", 'f', 4.5, nullptr},
                      {"GetFadeLightDistanceCheck", "SetFadeLightDistanceCheck", 'f', -30.0, nullptr}});
}

TEST_F(WorldReflectionTest, PulsingLightLogic) {
    QV::PulsingLightLogic logic;
    EXPECT_EQ(Names(logic.GetClassInfo()),
              (std::vector<std::string>{"GetLightPulseSpeed", "SetLightPulseSpeed", "GetLightPulseIntensity",
                                        "SetLightPulseIntensity", "GetPulseStart", "SetPulseStart"}));
    RoundTrip(logic, {{"GetLightPulseSpeed", "SetLightPulseSpeed", 'f', 2.25, nullptr},
                      {"GetLightPulseIntensity", "SetLightPulseIntensity", 'f', 1e6, nullptr},
                      {"GetPulseStart", "SetPulseStart", 'b', 1, nullptr},
                      {"GetPulseStart", "SetPulseStart", 'b', 0, nullptr}});
}

TEST_F(WorldReflectionTest, CircularSpinningLightLogic) {
    QV::CircularSpinningLightLogic logic;
    const std::vector<std::string> names = Names(logic.GetClassInfo());
    EXPECT_EQ(names, (std::vector<std::string>{
                         "GetSpinningLightRadius", "SetSpinningLightRadius", "GetSpinSpeed", "SetSpinSpeed",
                         "GetSpinningLightsColorR", "SetSpinningLightsColorR", "GetSpinningLightsColorG",
                         "SetSpinningLightsColorG", "GetSpinningLightsColorB", "SetSpinningLightsColorB",
                         "GetSpinningLightsColorA", "SetSpinningLightsColorA", "GetSpinningLightsAttenNear",
                         "SetSpinningLightsAttenNear", "GetSpinningLightsAttenFar", "SetSpinningLightsAttenFar"}))
        << "\"Number Of Lights\" has no accessor";
    // Each colour channel is written alone: the rows read back only if the others stay.
    RoundTrip(logic, {{"GetSpinningLightRadius", "SetSpinningLightRadius", 'f', 25.0, nullptr},
                      {"GetSpinSpeed", "SetSpinSpeed", 'f', -0.5, nullptr},
                      {"GetSpinningLightsColorR", "SetSpinningLightsColorR", 'f', 0.1, nullptr},
                      {"GetSpinningLightsColorG", "SetSpinningLightsColorG", 'f', 0.2, nullptr},
                      {"GetSpinningLightsColorB", "SetSpinningLightsColorB", 'f', 0.3, nullptr},
                      {"GetSpinningLightsColorA", "SetSpinningLightsColorA", 'f', 0.4, nullptr},
                      {"GetSpinningLightsAttenNear", "SetSpinningLightsAttenNear", 'f', 5.0, nullptr},
                      {"GetSpinningLightsAttenFar", "SetSpinningLightsAttenFar", 'f', 500.0, nullptr}});
    EXPECT_FLOAT_EQ(logic.GetSpinningLightsColorR(), 0.1f);
    EXPECT_FLOAT_EQ(logic.GetSpinningLightsColorG(), 0.2f);
    EXPECT_FLOAT_EQ(logic.GetSpinningLightsColorB(), 0.3f);
}

TEST_F(WorldReflectionTest, FloatingLightLogic) {
    QV::FloatingLightLogic logic;
    EXPECT_EQ(Names(logic.GetClassInfo()),
              (std::vector<std::string>{"GetExtents", "SetExtents", "GetSpeed", "SetSpeed"}));
    RoundTrip(logic, {{"GetExtents", "SetExtents", 'f', 12.0, nullptr}, {"GetSpeed", "SetSpeed", 'f', 0.0, nullptr}});
}

TEST_F(WorldReflectionTest, MainTombstone) {
    QV::MainTombstone tombstone;
    EXPECT_EQ(Names(tombstone.GetClassInfo()), (std::vector<std::string>{"GetGroupName", "SetGroupName"}));
    RoundTrip(tombstone,
              {{"GetGroupName", "SetGroupName", 's', 0, "Stones_North"}, {"GetGroupName", "SetGroupName", 's', 0, ""}});
    // The getter hands out the field's own text, no copy.
    IRTTIUser::ClassInfo info = tombstone.GetBoundClassInfo();
    std::vector<MFCore::Any> args{MFCore::Any(static_cast<const char*>("Ring"))};
    Find(info, "SetGroupName")->Invoke(args);
    std::vector<MFCore::Any> none;
    Find(info, "GetGroupName")->Invoke(none);
    EXPECT_EQ(MFCore::Any::Extract<const char*>(*Find(info, "GetGroupName")->GetResult()), tombstone.GetGroupName());
}

TEST_F(WorldReflectionTest, MoonLogic) {
    QV::MoonLogic moon;
    EXPECT_EQ(Names(moon.GetClassInfo()),
              (std::vector<std::string>{"GetRadius", "SetRadius", "GetStartingZRotation", "SetStartingZRotation",
                                        "GetMoonScale", "SetMoonScale"}));
    // Stored as given: no conversion of the angle, no clamping.
    RoundTrip(moon, {{"GetRadius", "SetRadius", 'f', 2500.0, nullptr},
                     {"GetStartingZRotation", "SetStartingZRotation", 'f', -45.0, nullptr},
                     {"GetMoonScale", "SetMoonScale", 'f', 12.5, nullptr},
                     {"GetRadius", "SetRadius", 'f', -1.0, nullptr}});
    EXPECT_EQ(moon.GetRadius(), -1.0f);
    EXPECT_EQ(moon.GetStartingZRotation(), -45.0f);
    EXPECT_EQ(moon.GetMoonScale(), 12.5f);
}

TEST_F(WorldReflectionTest, HackProximitySpawn) {
    QV::HackProximitySpawn hack;
    EXPECT_EQ(Names(hack.GetClassInfo()), (std::vector<std::string>{"GetProximity", "SetProximity"}));
    RoundTrip(hack, {{"GetProximity", "SetProximity", 'f', 300.0, nullptr}});
    EXPECT_EQ(hack.GetProximity(), 300.0f);
}

TEST_F(WorldReflectionTest, CameraTransitionTrigger) {
    QV::CameraTransitionTrigger camera;
    EXPECT_EQ(Names(camera.GetClassInfo()), (std::vector<std::string>{"GetTransRadius", "SetTransRadius"}));
    RoundTrip(camera, {{"GetTransRadius", "SetTransRadius", 'f', 75.0, nullptr}});
    EXPECT_EQ(camera.GetTransRadius(), 75.0f);
}

// The music-aware phantom publishes exactly the phantom's entries, bound to itself.
TEST_F(WorldReflectionTest, QuorvPhantom) {
    QV::QuorvPhantom phantom;
    SD::Phantom plain;
    EXPECT_EQ(Names(phantom.GetClassInfo()),
              (std::vector<std::string>{"Get3D", "Set3D", "GetBegin", "SetBegin", "GetEventName", "SetEventName"}));
    EXPECT_EQ(Names(phantom.GetClassInfo()), Names(plain.GetClassInfo()));
    RoundTrip(phantom, {{"Get3D", "Set3D", 'b', 1, nullptr},
                        {"GetBegin", "SetBegin", 'b', 1, nullptr},
                        {"GetBegin", "SetBegin", 'b', 0, nullptr},
                        {"GetEventName", "SetEventName", 's', 0, "Play_Island"}});
    EXPECT_TRUE(phantom.Get3D());
    EXPECT_FALSE(plain.Get3D());
    EXPECT_STREQ(phantom.GetEventName(), "Play_Island");
}

// Each component's identity, and whether it publishes anything: those without properties to
// publish stay out of the reflection altogether.
TEST_F(WorldReflectionTest, ComponentIdentityAndReflection) {
    struct Case {
        const char* name;
        std::function<SD::Component*()> make;
        SD::ComponentID id;
        bool reflected;
    };
    const std::vector<Case> cases = {
        {"HudCollector", [] { return new QV::HudCollector; }, SD::CID_HudCollector, false},
        {"CheckBox", [] { return new QV::CheckBox; }, SD::CID_CheckBox, false},
        {"Slider", [] { return new QV::Slider; }, SD::CID_Slider, false},
        {"CloudLogic", [] { return new QV::CloudLogic; }, SD::CID_CloudLogic, false},
        {"StarfallTreeLeafLogic", [] { return new QV::StarfallTreeLeafLogic; }, SD::CID_StarfallTreeLeafLogic, false},
        {"NaiveGrassBillboardLogic", [] { return new QV::NaiveGrassBillboardLogic; }, SD::CID_NaiveGrassBillboardLogic,
         false},
        {"SpringStarfallTreeLeafLogic", [] { return new QV::SpringStarfallTreeLeafLogic; },
         SD::CID_SpringStarfallTreeLeafLogic, false},
        {"SummerStarfallTreeLeafLogic", [] { return new QV::SummerStarfallTreeLeafLogic; },
         SD::CID_SummerStarfallTreeLeafLogic, false},
        {"GrassPatchLogic", [] { return new QV::GrassPatchLogic; }, SD::CID_GrassPatchLogic, false},
        {"ShortTombstone", [] { return new QV::ShortTombstone; }, SD::CID_ShortTombstone, false},
        {"TallTombstoneLogic", [] { return new QV::TallTombstoneLogic; }, SD::CID_TallTombstoneLogic, false},
        {"LilyPadLogic", [] { return new QV::LilyPadLogic; }, SD::CID_LilyPadLogic, false},
        {"WindTubeLogic", [] { return new QV::WindTubeLogic; }, SD::CID_WindTubeLogic, false},
        {"QuorvPhantom", [] { return new QV::QuorvPhantom; }, SD::CID_QuorvPhantom, true},
        {"FloatingBulbLogic", [] { return new QV::FloatingBulbLogic; }, SD::CID_FloatingBulbLogic, false},
        {"MainTombstone", [] { return new QV::MainTombstone; }, SD::CID_MainTombstone, true},
        {"Collector", [] { return new QV::Collector; }, SD::CID_Collector, false},
        {"WindTrigger", [] { return new QV::WindTrigger; }, SD::CID_WindTrigger, false},
        {"SeasonTransitionLogic", [] { return new QV::SeasonTransitionLogic; }, SD::CID_SeasonTransitionLogic, false},
        {"MountainSplitLogic", [] { return new QV::MountainSplitLogic; }, SD::CID_MountainSplitLogic, false},
        {"SeasonalColorInterpLogic", [] { return new QV::SeasonalColorInterpLogic; }, SD::CID_SeasonalColorInterpLogic,
         false},
        {"HudFadeTrigger", [] { return new QV::HudFadeTrigger; }, SD::CID_HudFadeTrigger, false},
        {"RainLogic", [] { return new QV::RainLogic; }, SD::kRainLogicID, false},
        {"CameraTransitionTrigger", [] { return new QV::CameraTransitionTrigger; }, SD::kCameraTransitionTriggerID,
         true},
        {"RingTreeWindStreamLogic", [] { return new QV::RingTreeWindStreamLogic; }, SD::kRingTreeWindStreamLogicID,
         false},
        {"SyncLogic", [] { return new QV::SyncLogic; }, SD::kSyncLogicID, false},
        {"FloatingIslandLogic", [] { return new QV::FloatingIslandLogic; }, SD::kFloatingIslandLogicID, false},
        {"MoonLogic", [] { return new QV::MoonLogic; }, SD::kMoonLogicID, true},
        {"SimpleTombstoneLogic", [] { return new QV::SimpleTombstoneLogic; }, SD::kSimpleTombstoneLogicID, false},
        {"HackProximitySpawn", [] { return new QV::HackProximitySpawn; }, SD::kHackProximitySpawnID, true},
        {"CrystalLogic", [] { return new QV::CrystalLogic; }, SD::kCrystalLogicID, false},
        {"FloatingIslandGlowLogic", [] { return new QV::FloatingIslandGlowLogic; }, SD::kFloatingIslandGlowLogicID,
         false},
    };
    for (const Case& c : cases) {
        std::unique_ptr<SD::Component> component(c.make());
        EXPECT_EQ(component->VGetID(), c.id) << c.name;
        EXPECT_EQ(dynamic_cast<IRTTIUser*>(component.get()) != nullptr, c.reflected) << c.name;
    }
}

// A property name a class does not publish: logged, and the description gains nothing.
TEST_F(WorldReflectionTest, AnUnknownPropertyNameIsLoggedAndAddsNothing) {
    QV::SpawnLogic spawn;
    QV::MainTombstone tombstone;
    QV::PulsingLightLogic light;
    struct Case {
        IRTTIUser* object;
        const char* name;
    };
    for (const Case& c : {Case{&spawn, "SetAction"}, Case{&tombstone, "getGroupName"}, Case{&light, ""},
                          Case{&light, "SetLightPulseSpeed "}}) {
        IRTTIUser::ClassInfo info = c.object->GetBoundClassInfo();
        const size_t before = info.functions.size();
        EXPECT_EQ(IRTTIUser::FindFunction(info, c.name), nullptr) << c.name;
        EXPECT_NE(std::string(logger.Buffer()).find(std::string("\"") + c.name + "\""), std::string::npos) << c.name;
        EXPECT_EQ(info.functions.size(), before);
        EXPECT_EQ(c.object->GetClassInfo().functions.size(), before) << "the class description is untouched";
    }
    IRTTIUser::ClassInfo info = light.GetBoundClassInfo();
    ASSERT_NE(IRTTIUser::FindFunction(info, "SetLightPulseSpeed"), nullptr);
}

// Behaviour chosen by a name that no table holds: logged, and no callable is made or queued.
TEST_F(WorldReflectionTest, AnUnknownActionNameIsLoggedAndCreatesNothing) {
    auto logged = [this](const char* name) {
        return std::string(logger.Buffer()).find(std::string("\"") + name + "\"") != std::string::npos;
    };
    QV::SpawnLogic spawn;
    ValueReader reader;
    reader.strings = {"NoSuchEntrance"};
    spawn.VSerialize(reader, 2);
    EXPECT_TRUE(logged("NoSuchEntrance"));
    EXPECT_EQ(spawn.GetQueuedCount(), 0u);

    QV::GroupSpawner group;
    group.SetAction("NoSuchSpawn");
    EXPECT_TRUE(logged("NoSuchSpawn"));
    EXPECT_STREQ(group.GetAction(), "Invalid Action");

    QV::Trigger trigger;
    EXPECT_FALSE(trigger.AddCallback(std::string("NoSuchTriggerAction")));
    EXPECT_TRUE(logged("NoSuchTriggerAction"));
    EXPECT_EQ(trigger.GetCallbackCount(), 0u);
    EXPECT_EQ(QV::Trigger::FindAction("NoSuchTriggerAction"), nullptr);
    EXPECT_EQ(trigger.GetCallbackCount(), 0u) << "looking up inserts nothing";

    // A collector keeps only the actions whose names its table holds, exactly as written.
    QV::Collector collector;
    for (const char* name : {"NoSuchCollectorAction", "createflower", "CreateFlower "}) {
        ValueReader actions;
        actions.strings = {"Flowers", "CreateFlower", name};
        actions.ints = {2};
        collector.VSerialize(actions, 1);
        EXPECT_TRUE(logged(name)) << name;
        EXPECT_EQ(collector.GetActionNames(), std::vector<std::string>{"CreateFlower"}) << name;
    }
    EXPECT_EQ(QV::Collector::FindAction("NoSuchCollectorAction"), nullptr);
    EXPECT_NE(QV::Collector::FindAction("CreateFlower"), nullptr);

    QV::Firefly firefly;
    EXPECT_FALSE(firefly.PutOnLane(QV::Firefly::kLaneIdle, SD::SharedString("NoSuchBehaviour")));
    EXPECT_TRUE(logged("NoSuchBehaviour"));
    EXPECT_EQ(firefly.BehaviourOn(QV::Firefly::kLaneIdle), nullptr);
}

}  // namespace
