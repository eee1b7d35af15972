// The main tombstone in a small world: activated, it raises the short stones of its group over
// 7.2 s, their glow coming in at the very end, and fades the waterfalls out; the short stones
// stop shaking once risen.
#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "game/components/Tombstones.h"

namespace {

using namespace worldtest;

std::string GroupXml(const char* name) {
    return "<Group version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\">" + StringXml("Group Name", name) + "</Group>";
}

class TombstonesTest : public WorldFixture {
protected:
    TombstonesTest() {
        factory.RegisterComponentCreator("ShortTombstone", SD::CID_ShortTombstone,
                                         new SD::ComponentCreator<QV::ShortTombstone>);
        factory.RegisterComponentCreator("MainTombstone", SD::CID_MainTombstone,
                                         new SD::ComponentCreator<QV::MainTombstone>);
        Blueprints(Blueprint("Main", TransformXml({}) + Header("MainTombstone", 0) +
                                         StringXml("Tombstone Group Name", "Stones") + "</MainTombstone>") +
                   Blueprint("Short", TransformXml({}, {1, 10, 1}) + Header("ShortTombstone", 0) + "</ShortTombstone>" +
                                          GroupXml("Stones")) +
                   Blueprint("Waterfall", TransformXml({}) + GroupXml("Waterfall_Group")));
    }
    SD::GameObject* Make(const char* blueprint, SD::Vec3 at) {
        SD::GameObject* object = factory.CreateObject(blueprint, nullptr);
        object->GetTransform().SetPos(at);
        GiveGeometry(object, SD::Vec4(0.5f, 0.5f, 0.5f, 1.0f));
        object->Initialize(false);
        return object;
    }
};

TEST_F(TombstonesTest, ActivationRaisesTheStonesGlowsThemAtTheEndAndFadesTheWaterfalls) {
    SD::GameObject* main = Make("Main", {0, 0, 0});
    SD::GameObject* a = Make("Short", {10, 0, 0});
    SD::GameObject* b = Make("Short", {-10, 0, 0});
    SD::GameObject* fall = Make("Waterfall", {0, 0, 50});
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("MainTombstone"), main);
    EXPECT_EQ(GeometryColour(a).w, 0.0f);  // initialised dark
    auto* tomb = Get<QV::MainTombstone>(main, SD::CID_MainTombstone);
    Frame(1.0f);
    EXPECT_EQ(a->GetTransform().GetLocalPos().y, 0.0f);  // nothing before activation

    // The trigger action finds it by its name and activates it.
    EXPECT_FALSE(tomb->IsActivated());
    QV::Trigger::FindAction("ActivateStonedGroup")(nullptr);
    EXPECT_TRUE(tomb->IsActivated());
    Frame(3.6f);
    EXPECT_NEAR(a->GetTransform().GetLocalPos().y, 3.0f, 0.05f);  // half of 0.6 x scale 10
    EXPECT_NEAR(GeometryColour(fall).w, 0.5f, 0.01f);
    EXPECT_EQ(GeometryColour(b).w, 0.0f);
    Frame(3.6f);
    Frame(0.1f);
    EXPECT_NEAR(b->GetTransform().GetLocalPos().y, 6.0f, 1e-3f);
    EXPECT_NEAR(GeometryColour(a).w, 1.0f, 1e-3f);
    EXPECT_NEAR(GeometryColour(main).w, 1.0f, 1e-3f);
    EXPECT_NEAR(GeometryColour(fall).w, 0.0f, 1e-5f);

    // Risen, the stones are still.
    const SD::Mtx33 orientation = a->GetTransform().GetOrient();
    for (int i = 0; i < 10; ++i) Frame(0.1f);
    EXPECT_EQ(a->GetTransform().GetOrient().GetColumn(0).x, orientation.GetColumn(0).x);
    EXPECT_EQ(a->GetTransform().GetOrient().GetColumn(2).y, orientation.GetColumn(2).y);

    ValueWriter writer;
    tomb->VSerialize(writer, 0);
    EXPECT_EQ(writer.values, std::vector<std::string>{"Tombstone Group Name=Stones"});
}

}  // namespace
