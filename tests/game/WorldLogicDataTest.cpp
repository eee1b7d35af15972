// Malformed level data for the weather, wind, trigger and scenery components: each bad field is
// logged or ignored, the object still loads with what could be read, and the others load whole.
#include <gtest/gtest.h>

#include "WorldLogicTestSupport.h"

namespace {

using namespace worldtest;

class WorldLogicDataTest : public WorldLogicFixture {};

TEST_F(WorldLogicDataTest, BadFieldsAreLoggedOrIgnoredAndTheObjectsStillLoad) {
    Blueprints(
        Blueprint("GreedyCollector", TransformXml({}) + Component("Collector", 1,
                                                                  StringXml("Group Name", "Flowers") +
                                                                      IntXml("Action Count", 2000000000) +
                                                                      StringXml("Action Name", "CreateFlower"))) +
        Blueprint("NegativeCollector", TransformXml({}) + Component("Collector", 1,
                                                                    StringXml("Group Name", "Flowers") +
                                                                        IntXml("Action Count", -4))) +
        Blueprint("HugePatch", TransformXml({}) + Component("GrassPatchLogic", 0,
                                                            StringXml("Name of Grass Object To Make", "Nowhere") +
                                                                IntXml("Number of Grass Objects To Make", 100000000))) +
        Blueprint("NegativePatch", TransformXml({}) + Component("GrassPatchLogic", 0,
                                                                StringXml("Name of Grass Object To Make", "Blade") +
                                                                    IntXml("Number of Grass Objects To Make", -3))) +
        Blueprint("Blade", TransformXml({})) +
        Blueprint("BadWind", TransformXml({}) + Component("WindLogic", 0,
                                                          Vec3Xml("Direction", 1, 0, 0) +
                                                              "<Float name=\"Power\" value=\"strong\"/>" +
                                                              FloatXml("Duration", 0.1f) + BoolXml("Imortal", true))) +
        Blueprint("FutureSeason", TransformXml({}) + Component("SeasonTransitionLogic", 9,
                                                               IntXml("Volume Type", 0) +
                                                                   StringXml("Transition Season", "Summer"))) +
        Blueprint("OddSeason", TransformXml({}) + Component("SeasonTransitionLogic", 1,
                                                            IntXml("Volume Type", -1) +
                                                                StringXml("Transition Season", "Summer"))) +
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
    EXPECT_EQ(Get<QV::Collector>(greedy, SD::CID_Collector)->GetActionNames(), std::vector<std::string>{"CreateFlower"});
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
    EXPECT_TRUE(world.Calls("sound").empty());  // the odd volume holds nobody
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetSeason(), 1);
}

}  // namespace
