// The world's decorations in a small world: swaying bulbs keep within their tilt and take an
// edit as their rest while the game stands still; lily pads sway about their rest; grass
// patches make their blades; billboards face the camera's side; the starfall tree spills its 64
// leaves and leaves other children alone; clouds follow the player and fade when left behind on
// either side; the title vehicle turns its wheels.
#include <gtest/gtest.h>

#include <cmath>

#include "WorldLogicTestSupport.h"
#include "core/Random.h"
#include "graphics/components/Camera.h"

namespace {

using namespace worldtest;

class SceneryTest : public WorldLogicFixture {
protected:
    SceneryTest() {
        Register<Aperture::Camera>("Camera", SD::CID_Camera);
        Blueprints(Blueprint("Player", TransformXml({})) + Blueprint("Blade", TransformXml({})) +
                   Blueprint("Lens", TransformXml({}) + Header("Camera", 1) + "</Camera>") +
                   Blueprint("Bulb", TransformXml({}) + Sway("FloatingBulbLogic", 30, 2)) +
                   Blueprint("Pad", TransformXml({}, {1, 4, 1}) + Sway("LilyPadLogic", 10, 3)) + Patch("Patch", 6) +
                   Patch("BarePatch", 0) +
                   Blueprint("Billboard", TransformXml({}) + Component("NaiveGrassBillboardLogic", 0, "")) +
                   Blueprint("World/SpringLeaves", TransformXml({})) +
                   Blueprint("World/SummerLeaves", TransformXml({})) +
                   Blueprint("Tree", TransformXml({}) + Component("StarfallTreeLeafLogic", 0, "")) +
                   Blueprint("SpringTree", TransformXml({}) + Component("SpringStarfallTreeLeafLogic", 0, "")) +
                   Blueprint("Cloud", TransformXml({}) + Component("CloudLogic", 0, "")) +
                   Blueprint("Wheel", TransformXml({})) +
                   Blueprint("Van", TransformXml({}) + Component("QuorvantaLogic", 0, "")) +
                   Blueprint("Marker", TransformXml({}) + Component("FloatingIslandLogic", 0, "") +
                                           Component("RingTreeWindStreamLogic", 0, "")));
    }
    static std::string Sway(const char* name, float rotation, float movement) {
        return Component(name, 0, FloatXml("Rotation Scale", rotation) + FloatXml("Movement Distance Scale", movement));
    }
    static std::string Patch(const char* name, int count) {
        return Blueprint(name, TransformXml({}) + Component("GrassPatchLogic", 0,
                                                            StringXml("Name of Grass Object To Make", "Blade") +
                                                                IntXml("Number of Grass Objects To Make", count)));
    }
    static std::vector<SD::GameObject*> Children(SD::GameObject* object) {
        std::vector<SD::GameObject*> children;
        for (SD::GameObject* child : object->GetChildren()) children.push_back(child);
        return children;
    }
};

TEST_F(SceneryTest, ABulbSwaysWithinItsTiltAndTakesAnEditAsItsRestWhileStill) {
    SD::GameObject* bulb = Spawn("Bulb", "Bulb", {3, 7, 4});
    auto* logic = Get<QV::FloatingBulbLogic>(bulb, SD::CID_FloatingBulbLogic);
    EXPECT_EQ(bulb->GetTransform().GetLocalPos(), SD::Vec3(3, -5, 4));  // sunk to its rest height
    float largest = 0.0f;
    for (int i = 0; i < 400; ++i) {
        Frames(1, 0.05f);
        largest = std::max({largest, std::fabs(logic->GetPitch()), std::fabs(logic->GetRoll())});
        ASSERT_LE(std::fabs(logic->GetPitch()), QV::FloatingBulbLogic::kTiltLimit) << i;
        ASSERT_LE(std::fabs(logic->GetRoll()), QV::FloatingBulbLogic::kTiltLimit) << i;
        ASSERT_NEAR(bulb->GetTransform().GetLocalPos().y, -5.0f + 2.0f * logic->GetPitch(), 1e-4f) << i;
    }
    EXPECT_GT(largest, 0.5f);
    // Frames without time: an edit becomes the rest.
    bulb->GetTransform().SetPos({3, 20, 4});
    Frames(1, 0.0f);
    Frames(1, 0.05f);
    EXPECT_NEAR(bulb->GetTransform().GetLocalPos().y, 20.0f + 2.0f * logic->GetPitch(), 1e-4f);
}

TEST_F(SceneryTest, ALilyPadSwaysSidewaysAboutItsRest) {
    const QV::World& state = EnterWorld();
    SD::GameObject* pad = Spawn("Pad", "Pad", {10, 9, 0});
    EXPECT_NEAR(pad->GetTransform().GetLocalPos().y, 0.3f, 1e-6f);  // its y scale × 0.075
    const SD::Vec3 rest = pad->GetTransform().GetLocalPos();
    const SD::Vec3 right = pad->GetTransform().GetRight();
    for (int i = 0; i < 20; ++i) {
        Frames(1, 0.1f);
        const SD::Vec3 moved = pad->GetTransform().GetLocalPos() - rest;
        // Along its rest right axis, never more than the movement scale.
        EXPECT_NEAR(moved.y, 0.0f, 1e-5f);
        EXPECT_NEAR(std::fabs(moved.Dot(right)), moved.Length(), 1e-4f);
        EXPECT_LE(moved.Length(), 3.0f + 1e-4f);
    }
    EXPECT_EQ(ListedNames(state.GetSwayingScenery()), std::vector<std::string>{"Pad"});
}

TEST_F(SceneryTest, GrassPatchesMakeTheirBladesRoundTheCircleAndJitterThem) {
    SD::GameObject* patch = Spawn("Patch", "Patch", {});
    SD::GameObject* bare = Spawn("BarePatch", "Bare", {});
    const std::vector<SD::GameObject*> blades = Children(patch);
    ASSERT_EQ(blades.size(), 6u);
    EXPECT_TRUE(Children(bare).empty());
    EXPECT_NEAR(blades[3]->GetTransform().GetRight().x, -1.0f, 1e-5f);  // half way round
    const SD::Mtx33 before = blades[0]->GetTransform().GetOrient();
    Frames(30, 0.1f);
    const SD::Mtx33 after = blades[0]->GetTransform().GetOrient();
    EXPECT_NE(before.GetColumn(0), after.GetColumn(0));
    EXPECT_NEAR(after.GetColumn(0).x, 1.0f, 0.05f);
}

TEST_F(SceneryTest, ABillboardFacesTheCamerasSide) {
    SD::GameObject* board = Spawn("Billboard", "Board", {5, 0, 0});
    auto* logic = Get<QV::NaiveGrassBillboardLogic>(board, SD::CID_NaiveGrassBillboardLogic);
    EXPECT_LE(logic->GetCounter(), 50u);
    const std::pair<float, float> cases[] = {{5.0f, 1.0f}, {4.0f, 1.0f}, {6.0f, -1.0f}};
    SD::GameObject* lens = Spawn("Lens", "Lens");
    for (const auto& [cameraX, rightY] : cases) {
        lens->GetTransform().SetPos(SD::Vec3(cameraX, 0, 0));
        logic->SetCounter(50);
        Frames(1, 0.1f);
        EXPECT_NEAR(board->GetTransform().GetRight().y, rightY, 1e-5f) << cameraX;
        EXPECT_NEAR(board->GetTransform().GetDir().z, -1.0f, 1e-5f) << cameraX;  // flipped about X
        EXPECT_LE(logic->GetCounter(), 50u);
    }
}

TEST_F(SceneryTest, TheStarfallTreeSpillsItsLeavesAndBobsThemOnlyAboutTheirRest) {
    // The player past the summer boundary of the season system (every boundary at 0 here): the
    // tree grows summer's leaves; on the other side, spring's.
    SD::GameObject* player = Spawn("Player", "Player", {10, 0, 0});
    SD::GameObject* tree = Spawn("Tree", "Tree", {});
    std::vector<SD::GameObject*> leaves = Children(tree);
    ASSERT_EQ(leaves.size(), 64u);
    EXPECT_EQ(leaves[0]->GetBlueprintName(), "World/SummerLeaves");
    Place(player, {-10, 0, 0});
    const std::vector<SD::GameObject*> springLeaves = Children(Spawn("Tree", "SpringSide", {}));
    ASSERT_EQ(springLeaves.size(), 64u);
    EXPECT_EQ(springLeaves[0]->GetBlueprintName(), "World/SpringLeaves");
    auto* logic = Get<QV::StarfallTreeLeafLogic>(tree, SD::CID_StarfallTreeLeafLogic);
    EXPECT_EQ(leaves[0]->GetTransform().GetScale(), SD::Vec3(47.5f, 47.5f, 47.5f));
    EXPECT_EQ(logic->GetRest(0), SD::Vec3(0, 53, 0));  // the first ring stands at the top
    // A child added later has no rest place and is left where it is.
    SD::GameObject* extra = factory.CreateObject("Blade", tree);
    extra->GetTransform().SetPos({1, 2, 3});
    extra->Initialize(false);
    Frames(3, 0.5f);
    const float bob = 0.8f * std::sin(0.4f * static_cast<float>(SD::Core::GetTime()));
    EXPECT_NEAR(leaves[63]->GetTransform().GetLocalPos().x, logic->GetRest(63).x + bob, 1e-4f);
    EXPECT_EQ(extra->GetTransform().GetLocalPos(), SD::Vec3(1, 2, 3));

    SD::GameObject* spring = Lit("SpringTree", "Spring", {4, 5, 6});
    EXPECT_EQ(Children(spring).size(), 64u);
    Frames(1, 0.5f);
    EXPECT_EQ(GeometryColour(spring), SD::Vec4(4, 5, 6, 1));
}

TEST_F(SceneryTest, ACloudFollowsThePlayerAndFadesWhenLeftBehindOnEitherSide) {
    // Where a cloud lands and drifts is drawn from the shared generator: start it from its
    // published values, whatever ran before.
    SD::SetRandomState(SD::kRandomStartState);
    SD::GameObject* player = Spawn("Player", "Player", {});
    SD::GameObject* cloud = Lit("Cloud", "Cloud", {});
    auto* logic = Get<QV::CloudLogic>(cloud, SD::CID_CloudLogic);
    EXPECT_GE(GeometryColour(cloud).x, 1.0f);
    EXPECT_LE(GeometryColour(cloud).x, 1.1f);
    EXPECT_EQ(GeometryColour(cloud).w, 1.0f);
    Frames(1, 0.1f);
    ASSERT_EQ(logic->GetState(), QV::CloudLogic::kFollow);
    const SD::Vec3 offset = logic->GetOffset();
    EXPECT_NEAR((cloud->GetTransform().GetLocalPos() - offset).Length(), 0.0f, 20.0f);
    // The player runs far off towards -X: the cloud, left on the +X side, fades.
    Place(player, {-60000, 0, 0});
    Frames(1, 0.1f);
    EXPECT_EQ(logic->GetState(), QV::CloudLogic::kFade);
    const SD::Vec3 where = cloud->GetTransform().GetLocalPos();
    Frames(10, 1.0f);
    EXPECT_EQ(cloud->GetTransform().GetLocalPos(), where);
    EXPECT_NEAR(GeometryColour(cloud).w, 0.9f, 1e-4f);
    Frames(100, 1.0f);
    EXPECT_EQ(logic->GetState(), QV::CloudLogic::kFollow);  // a new cloud about the player
    EXPECT_EQ(GeometryColour(cloud).w, 1.0f);
    Frames(1, 0.1f);
    EXPECT_LE(std::fabs(cloud->GetTransform().GetLocalPos().x + 60000.0f), 20100.0f);
}

TEST_F(SceneryTest, TheVanTurnsItsWheelsAndMarkersDoNothing) {
    Spawn("Van", "Van", {});
    Spawn("Marker", "Marker", {1, 1, 1});
    SD::GameObject* wheel = Spawn("Wheel", "QuorvantaBackLeftWheel", {});
    Frames(10, 0.5f);  // the turn is per frame, not per second
    EXPECT_NEAR(wheel->GetTransform().GetUp().z, std::sin(0.1f), 1e-5f);
    EXPECT_EQ(factory.GetGameObject(std::string("Marker"))->GetTransform().GetLocalPos(), SD::Vec3(1, 1, 1));
}

}  // namespace
