// Large scenery in a small world: the floating island's glow, the crystal's chimes, the
// mountain whose pieces drift apart, and the tall tombstone that shakes and then sets its
// pieces in a row.
#include <gtest/gtest.h>

#include <cmath>

#include "WorldLogicTestSupport.h"
#include "core/Random.h"

namespace {

using namespace worldtest;

class IslandLogicTest : public WorldLogicFixture {
protected:
    IslandLogicTest() {
        Blueprints(Blueprint("Player", TransformXml({})) +
                   Blueprint("Island", TransformXml({}) +
                                           Component("FloatingIslandGlowLogic", 2,
                                                     FloatXml("Min Distance", 100) + FloatXml("Max Distance", 10000) +
                                                         StringXml("Sound To Emit", "Play_Island"))) +
                   Blueprint("OldIsland", TransformXml({}) +
                                              Component("FloatingIslandGlowLogic", 0, FloatXml("Min Distance", 100))) +
                   Blueprint("Tomb", TransformXml({}) +
                                         Component("SimpleTombstoneLogic", 1,
                                                   FloatXml("Min Distance", 100) + FloatXml("Max Distance", 10000))) +
                   Blueprint("Crystal",
                             TransformXml({}, {2, 2, 2}) +
                                 Component("CrystalLogic", 0, FloatXml("Min Dist", 1) + FloatXml("Max Dist", 400))) +
                   Blueprint("SmallCrystal",
                             TransformXml({}) +
                                 Component("CrystalLogic", 0, FloatXml("Min Dist", 1) + FloatXml("Max Dist", 400))) +
                   Mountain("Peak", "Mountain") + Mountain("Lonely", "Alone") +
                   Blueprint("Hermit", TransformXml({}) + Component("MountainSplitLogic", 0,
                                                                    StringXml("Mountain Group Name", "Nowhere"))) +
                   Blueprint("Stone", TransformXml({}) + GroupXml("Nowhere")) +
                   Blueprint("Tall", TransformXml({}, {9, 1, 1}) +
                                         Component("TallTombstoneLogic", 0, StringXml("Object Name", "TallStone"))) +
                   Blueprint("Piece", TransformXml({})));
    }
    static std::string Mountain(const char* name, const char* group) {
        return Blueprint(name, TransformXml({}) + GroupXml(group) +
                                   Component("MountainSplitLogic", 0,
                                             StringXml("Mountain Group Name", group) + FloatXml("Movement Speed", 10)));
    }

    WorldSound sound;
};

TEST_F(IslandLogicTest, TheIslandGlowsAsThePlayerComesAndSettlesAtTwoWithoutASound) {
    SD::GameObject* island = Lit("Island", "Island", {});
    auto* glow = Get<QV::FloatingIslandGlowLogic>(island, SD::kFloatingIslandGlowLogicID);
    EXPECT_EQ(glow->VGetVersion(), 2);
    EXPECT_EQ(GeometryColour(island).w, 0.0f);
    SD::GameObject* player = Spawn("Player", "Player", {200, 0, 0});
    Frames(1, 0.1f);
    EXPECT_EQ(GeometryColour(island).w, 0.0f);  // beyond its reach
    Place(player, {50, 0, 0});
    Frames(3, 0.1f);
    EXPECT_TRUE(glow->GetGlow().WasApproached());
    EXPECT_GT(GeometryColour(island).w, 0.0f);
    Place(player, {5, 0, 0});
    Frames(200, 0.1f);
    EXPECT_TRUE(glow->GetGlow().IsDone());
    EXPECT_NEAR(GeometryColour(island).w, 2.0f, 1e-3f);
    EXPECT_TRUE(sound.Sounds().empty());
    EXPECT_EQ(Written(*glow, 2),
              (std::vector<std::string>{"Min Distance=100", "Max Distance=10000", "Sound To Emit=Play_Island"}));
    EXPECT_EQ(Written(*glow, 1), (std::vector<std::string>{"Min Distance=100", "Max Distance=10000"}));
    EXPECT_TRUE(Written(*glow, 0).empty());
    // Data of version 0 holds nothing: the defaults stay.
    auto* old = Get<QV::FloatingIslandGlowLogic>(Spawn("OldIsland", "Old", {}), SD::kFloatingIslandGlowLogicID);
    EXPECT_EQ(old->GetMinDistance(), 10000000.0f);
    EXPECT_EQ(old->GetMaxDistance(), 20000000.0f);
}

TEST_F(IslandLogicTest, ATombstoneWithoutASoundNamePlaysItsDefaultSoundOnItsObject) {
    sound.Name(Lit("Tomb", "Tomb", {}));
    Spawn("Player", "Player", {50, 0, 0});
    Frames(3, 0.1f);
    EXPECT_EQ(sound.Sounds(), std::vector<std::string>{"sound 50B62F0E on Tomb"});
}

TEST_F(IslandLogicTest, ACrystalChimesAndFlashesWhileThePlayerIsNear) {
    SD::SetRandomState(SD::kRandomStartState);
    SD::GameObject* crystal = Lit("Crystal", "Crystal", {}, {0.5f, 0.5f, 0.5f, 0.5f});
    SD::GameObject* small = Lit("SmallCrystal", "Small", {}, {0.5f, 0.5f, 0.5f, 0.5f});
    sound.Name(crystal);
    sound.Name(small);
    auto* logic = Get<QV::CrystalLogic>(crystal, SD::kCrystalLogicID);
    EXPECT_GE(logic->GetCountdown(), 0.75f);
    EXPECT_LT(logic->GetCountdown(), 4.5f);
    SD::GameObject* player = Spawn("Player", "Player", {30, 0, 0});
    Frames(100, 0.1f);
    EXPECT_TRUE(sound.Sounds().empty());  // 900 is beyond 400
    Place(player, {10, 0, 0});
    float brightest = 0.0f;
    for (int i = 0; i < 100; ++i) {
        Frames(1, 0.1f);
        brightest = std::max(brightest, GeometryColour(crystal).x);
    }
    // Ten seconds hold at least two chimes, each flashing the glow up by 6.4.
    EXPECT_GE(sound.Sounds("sound BE414BAB on Crystal").size(), 2u);
    EXPECT_GT(brightest, 7.0f);
    EXPECT_EQ(GeometryColour(crystal).x, GeometryColour(crystal).w);
    // A crystal not scaled up never chimes and keeps its colour.
    EXPECT_EQ(GeometryColour(small), SD::Vec4(0.5f, 0.5f, 0.5f, 0.5f));
    EXPECT_TRUE(sound.Sounds("sound BE414BAB on Small").empty());
    EXPECT_EQ(Written(*logic, 0), (std::vector<std::string>{"Min Dist=1", "Max Dist=400"}));
}

TEST_F(IslandLogicTest, TheMountainsPiecesDriftApartAndTrembleAndALonePieceOnlyTrembles) {
    SD::GameObject* east = Spawn("Peak", "East", {10, 0, 0});
    SD::GameObject* west = Spawn("Peak", "West", {-10, 0, 0});
    SD::GameObject* lonely = Spawn("Lonely", "Lonely", {0, 0, 50});
    auto* eastLogic = Get<QV::MountainSplitLogic>(east, SD::CID_MountainSplitLogic);
    EXPECT_EQ(eastLogic->GetSplitDirection(), SD::Vec3(1, 0, 0));
    EXPECT_EQ(Get<QV::MountainSplitLogic>(west, SD::CID_MountainSplitLogic)->GetSplitDirection(), SD::Vec3(-1, 0, 0));
    EXPECT_EQ(Get<QV::MountainSplitLogic>(lonely, SD::CID_MountainSplitLogic)->GetSplitDirection(), SD::Vec3());
    Frames(50, 0.1f);
    // Five seconds at 10 units a second, less the wobble's share (at most 2 %).
    EXPECT_GT(east->GetTransform().GetLocalPos().x, 10.0f + 45.0f);
    EXPECT_LT(west->GetTransform().GetLocalPos().x, -10.0f - 45.0f);
    EXPECT_EQ(lonely->GetTransform().GetLocalPos().x, 0.0f);
    EXPECT_EQ(lonely->GetTransform().GetLocalPos().z, 50.0f);
    EXPECT_NE(lonely->GetTransform().GetLocalPos().y, 0.0f);  // the wobble lifts it
    // The tremor: a small turn, never more than a few thousandths.
    const SD::Vec3 right = east->GetTransform().GetRight();
    EXPECT_NE(right, SD::Vec3(1, 0, 0));
    EXPECT_NEAR(right.x, 1.0f, 1e-4f);
    eastLogic->SetMoving(false);
    const SD::Vec3 stopped = east->GetTransform().GetLocalPos();
    Frames(5, 0.1f);
    EXPECT_EQ(east->GetTransform().GetLocalPos(), stopped);
    EXPECT_EQ(Written(*eastLogic, 0), (std::vector<std::string>{"Mountain Group Name=Mountain", "Movement Speed=10"}));
}

// A piece that has gone hears no more of its group; a piece whose group never formed leaves
// nothing behind either.
TEST_F(IslandLogicTest, APieceGoneHearsNoMoreOfItsGroup) {
    SD::GameObject* east = Spawn("Peak", "East", {10, 0, 0});
    east->RemoveComponent(Get<QV::MountainSplitLogic>(east, SD::CID_MountainSplitLogic));
    factory.Update(0.0f);
    ASSERT_EQ(east->GetComponent(SD::CID_MountainSplitLogic), nullptr);
    SD::GameObject* west = Spawn("Peak", "West", {-10, 0, 0});
    EXPECT_EQ(Get<QV::MountainSplitLogic>(west, SD::CID_MountainSplitLogic)->GetSplitDirection(), SD::Vec3(-1, 0, 0));

    factory.DestroyGameObject(Spawn("Hermit", "Hermit", {}));
    factory.Update(0.0f);
    ASSERT_EQ(factory.GetGameObject(std::string("Hermit")), nullptr);
    EXPECT_NE(Spawn("Stone", "Stone", {}), nullptr);
}

TEST_F(IslandLogicTest, TheTallTombstoneShakesNearThePlayerAndSetsItsPiecesInARowNearer) {
    SD::GameObject* tall = Spawn("Tall", "Tall", {100, 0, 0});
    EXPECT_EQ(factory.GetGameObject(std::string("TallStone")), tall);
    auto* logic = Get<QV::TallTombstoneLogic>(tall, SD::CID_TallTombstoneLogic);
    SD::GameObject* player = Spawn("Player", "Player", {1100, 0, 0});
    // Fewer than four pieces: nothing at all.
    std::vector<SD::GameObject*> pieces;
    for (int i = 0; i < 3; ++i) {
        pieces.push_back(factory.CreateObject("Piece", tall));
        pieces.back()->GetTransform().SetPos(SD::Vec3(0, static_cast<float>(i) * 5.0f, 0));
        pieces.back()->Initialize(false);
    }
    Frames(2, 0.1f);
    EXPECT_EQ(logic->GetStage(), 0);
    pieces.push_back(factory.CreateObject("Piece", tall));
    pieces.back()->GetTransform().SetPos(SD::Vec3(0, 15, 0));
    pieces.back()->GetTransform().RotateLocalZRad(0.5f);
    pieces.back()->Initialize(false);
    Frames(2, 0.1f);
    EXPECT_EQ(logic->GetStage(), 1);
    Place(player, {500, 0, 0});  // 400 away: 160000 is inside the shaking distance
    Frames(1, 0.1f);
    EXPECT_EQ(logic->GetStage(), 2);
    Frames(20, 0.1f);
    EXPECT_EQ(pieces[0]->GetTransform().GetLocalPos(), SD::Vec3());  // shaken, not moved
    Place(player, {300, 0, 0});
    Frames(1, 0.1f);
    EXPECT_EQ(logic->GetStage(), 3);
    Frames(60, 0.1f);
    EXPECT_EQ(logic->GetStage(), 4);
    // In a row along the stone's X axis, a third of its x scale apart, upright.
    const float expected[] = {-6.0f, -3.0f, 3.0f, 6.0f};
    for (int i = 0; i < 4; ++i) {
        const SD::Vec3 at = pieces[i]->GetTransform().GetPos();
        EXPECT_NEAR(at.x, 100.0f + expected[i], 1e-3f) << i;
        EXPECT_NEAR(at.y, 0.0f, 1e-3f) << i;
        EXPECT_NEAR(pieces[i]->GetTransform().GetRight().x, 1.0f, 1e-4f) << i;
    }
    EXPECT_EQ(Written(*logic, 0), std::vector<std::string>{"Object Name=TallStone"});
}

}  // namespace
