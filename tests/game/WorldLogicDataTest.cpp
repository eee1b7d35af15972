// Malformed level data for the weather, wind, trigger and scenery components: each bad field is
// logged or ignored, the object still loads with what could be read, and the others load whole.
#include <gtest/gtest.h>

#include "WorldLogicTestSupport.h"

namespace {

using namespace worldtest;

class WorldLogicDataTest : public WorldLogicFixture {
protected:
    WorldSound sound;
};

TEST_F(WorldLogicDataTest, BadFieldsAreLoggedOrIgnoredAndTheObjectsStillLoad) {
    Blueprints(
        Blueprint("GreedyCollector",
                  TransformXml({}) + Component("Collector", 1,
                                               StringXml("Group Name", "Flowers") + IntXml("Action Count", 2000000000) +
                                                   StringXml("Action Name", "CreateFlower"))) +
        Blueprint("NegativeCollector",
                  TransformXml({}) +
                      Component("Collector", 1, StringXml("Group Name", "Flowers") + IntXml("Action Count", -4))) +
        Blueprint("HugePatch", TransformXml({}) + Component("GrassPatchLogic", 0,
                                                            StringXml("Name of Grass Object To Make", "Nowhere") +
                                                                IntXml("Number of Grass Objects To Make", 100000000))) +
        Blueprint("NegativePatch", TransformXml({}) + Component("GrassPatchLogic", 0,
                                                                StringXml("Name of Grass Object To Make", "Blade") +
                                                                    IntXml("Number of Grass Objects To Make", -3))) +
        Blueprint("Blade", TransformXml({})) +
        Blueprint("BadWind", TransformXml({}) +
                                 Component("WindLogic", 0,
                                           Vec3Xml("Direction", 1, 0, 0) + "<Float name=\"Power\" value=\"strong\"/>" +
                                               FloatXml("Duration", 0.1f) + BoolXml("Imortal", true))) +
        Blueprint("FutureSeason",
                  TransformXml({}) + Component("SeasonTransitionLogic", 9,
                                               IntXml("Volume Type", 0) + StringXml("Transition Season", "Summer"))) +
        Blueprint("OddSeason",
                  TransformXml({}) + Component("SeasonTransitionLogic", 1,
                                               IntXml("Volume Type", -1) + StringXml("Transition Season", "Summer"))) +
        Blueprint("AimlessSync", TransformXml({}) + Component("SyncLogic", 0, "")) +
        Blueprint("NamelessTall", TransformXml({}) + Component("TallTombstoneLogic", 0, "")) +
        Blueprint("Player", TransformXml({})));
    qvtest::StderrCapture capture;
    SD::GameObject* greedy = Spawn("GreedyCollector", "Greedy", {});
    SD::GameObject* negative = Spawn("NegativeCollector", "Negative", {});
    SD::GameObject* huge = Spawn("HugePatch", "Huge", {});
    SD::GameObject* few = Spawn("NegativePatch", "Few", {});
    SD::GameObject* wind = Spawn("BadWind", "Wind", {});
    SD::GameObject* future = Spawn("FutureSeason", "Future", {1000, 0, 0});
    SD::GameObject* odd = Spawn("OddSeason", "Odd", {});
    SD::GameObject* sync = Spawn("AimlessSync", "Sync", {4, 5, 6});
    SD::GameObject* tall = Spawn("NamelessTall", "Tall", {});
    Spawn("Player", "Player", {});
    ASSERT_TRUE(greedy && negative && huge && few && wind && future && odd && sync && tall);
    EXPECT_EQ(Get<QV::Collector>(greedy, SD::CID_Collector)->GetActionNames(),
              std::vector<std::string>{"CreateFlower"});
    EXPECT_TRUE(Get<QV::Collector>(negative, SD::CID_Collector)->GetActionNames().empty());
    EXPECT_NE(capture.Text().find("action names expected"), std::string::npos);
    EXPECT_TRUE(huge->GetChildren().Empty());
    EXPECT_TRUE(few->GetChildren().Empty());
    auto* season = Get<QV::SeasonTransitionLogic>(future, SD::CID_SeasonTransitionLogic);
    EXPECT_EQ(season->GetVolumeType(), QV::SeasonTransitionLogic::kBox);  // a version it does not know: defaults
    EXPECT_EQ(season->GetSeason(), "");
    EXPECT_EQ(Get<QV::WindLogic>(wind, SD::CID_WindLogic)->GetPower(), 0.0f);
    Frames(3, 0.1f);
    EXPECT_EQ(factory.GetGameObject(std::string("Wind")), wind);  // its immortality was read
    EXPECT_EQ(sync->GetTransform().GetLocalPos(), SD::Vec3(4, 5, 6));
    EXPECT_EQ(Get<QV::TallTombstoneLogic>(tall, SD::CID_TallTombstoneLogic)->GetStage(), 0);
    EXPECT_EQ(factory.GetGameObject(std::string("Tall")), tall);  // keeps its name
    EXPECT_TRUE(sound.Sounds().empty());                          // the odd volume holds nobody
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetSeason(), 1);
}

// Each component read from its level data writes the same fields back, in order.
TEST_F(WorldLogicDataTest, EachComponentWritesBackWhatItRead) {
    struct Case {
        const char* kind;
        SD::ComponentID id;
        int version;
        std::string fields;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"SeasonalColorInterpLogic",
         SD::CID_SeasonalColorInterpLogic,
         0,
         Vec4Xml("Spring Color", {1, 2, 3, 4}) + Vec4Xml("Summer Color", {5, 6, 7, 8}) +
             Vec4Xml("Fall Color", {9, 10, 11, 12}) + Vec4Xml("Winter Color", {13, 14, 15, 16}),
         {"=1", "=2", "=3", "=4", "=5", "=6", "=7", "=8", "=9", "=10", "=11", "=12", "=13", "=14", "=15", "=16"}},
        {"RainLogic", SD::kRainLogicID, 0, "", {}},
        {"SyncLogic",
         SD::kSyncLogicID,
         0,
         StringXml("Target", "Moon") + BoolXml("Sync Pos", false) + BoolXml("Sync Orient", true),
         {"Target=Moon", "Sync Pos=false", "Sync Orient=true"}},
        {"HackProximitySpawn",
         SD::kHackProximitySpawnID,
         0,
         FloatXml("Proximity Radius", 12.5f),
         {"Proximity Radius=12.5"}},
        {"CameraTransitionTrigger",
         SD::kCameraTransitionTriggerID,
         0,
         FloatXml("Trans Radius", 40),
         {"Trans Radius=40"}},
        {"HudFadeTrigger",
         SD::CID_HudFadeTrigger,
         0,
         FloatXml("Distance To Trigger", 7) + StringXml("Hud Name", "Poem"),
         {"Distance To Trigger=7", "Hud Name=Poem"}},
        {"WindLogic",
         SD::CID_WindLogic,
         0,
         Vec3Xml("Direction", 0, 0, 1) + FloatXml("Power", 3) + FloatXml("Duration", 4) + BoolXml("Imortal", true),
         {"=0", "=0", "=1", "Power=3", "Duration=4", "Imortal=true"}},
        {"FloatingBulbLogic",
         SD::CID_FloatingBulbLogic,
         0,
         FloatXml("Rotation Scale", 2) + FloatXml("Movement Distance Scale", 3),
         {"Rotation Scale=2", "Movement Distance Scale=3"}},
        {"LilyPadLogic",
         SD::CID_LilyPadLogic,
         0,
         FloatXml("Rotation Scale", 4) + FloatXml("Movement Distance Scale", 5),
         {"Rotation Scale=4", "Movement Distance Scale=5"}},
        {"GrassPatchLogic",
         SD::CID_GrassPatchLogic,
         0,
         StringXml("Name of Grass Object To Make", "Nothing") + IntXml("Number of Grass Objects To Make", 0),
         {"Name of Grass Object To Make=Nothing", "Number of Grass Objects To Make=0"}},
        {"CrystalLogic",
         SD::kCrystalLogicID,
         0,
         FloatXml("Min Dist", 5) + FloatXml("Max Dist", 6),
         {"Min Dist=5", "Max Dist=6"}},
        {"TallTombstoneLogic", SD::CID_TallTombstoneLogic, 0, StringXml("Object Name", "Stone"), {"Object Name=Stone"}},
        {"CloudLogic", SD::CID_CloudLogic, 0, "", {}},
        {"QuorvantaLogic", SD::CID_QuorvantaLogic, 0, "", {}},
        {"NaiveGrassBillboardLogic", SD::CID_NaiveGrassBillboardLogic, 0, "", {}},
        {"FloatingIslandLogic", SD::kFloatingIslandLogicID, 0, "", {}},
    };
    std::string blueprints;
    for (const Case& c : cases)
        blueprints +=
            Blueprint(std::string("Data") + c.kind, TransformXml({}) + Component(c.kind, c.version, c.fields));
    Blueprints(blueprints);
    for (const Case& c : cases) {
        SD::GameObject* object = Spawn((std::string("Data") + c.kind).c_str(), c.kind, {0, 1000, 0});
        SD::Component* component = object ? object->GetComponent(c.id) : nullptr;
        ASSERT_NE(component, nullptr) << c.kind;
        EXPECT_EQ(component->VGetVersion(), c.version) << c.kind;
        ValueWriter writer;
        component->VSerialize(writer, component->VGetVersion());
        EXPECT_EQ(writer.values, c.written) << c.kind;
    }
}

}  // namespace
