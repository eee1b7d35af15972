// A ring of lights in a small world: made evenly spaced, circling while the group is active,
// dark and still while it is not, following the object while the level is edited, gone with
// the component; rings of no or a negative number of lights make nothing, and a ring of more
// lights than there can be objects stops at what there can be.
#include <gtest/gtest.h>

#include <cmath>

#include "WorldTestSupport.h"
#include "game/components/CircularSpinningLightLogic.h"

namespace {

using namespace worldtest;

std::string RingXml(int count) {
    return Header("CircularSpinningLightLogic", 0) + IntXml("Number Of Lights", count) +
           FloatXml("Radius That Lights Are On", 10.0f) + FloatXml("Spin Speed Of Lights", 1.0f) +
           "<Vector4 name=\"Color\"><Float value=\"1\"/><Float value=\"0.5\"/><Float value=\"0\"/>"
           "<Float value=\"1\"/></Vector4>" +
           FloatXml("Attenuation Near", 2.0f) + FloatXml("Attenuation Far", 20.0f) + "</CircularSpinningLightLogic>";
}

class CircularSpinningLightTest : public WorldFixture {
protected:
    CircularSpinningLightTest() {
        factory.RegisterComponentCreator("CircularSpinningLightLogic", SD::kCircularSpinningLightLogicID,
                                         new SD::ComponentCreator<QV::CircularSpinningLightLogic>);
        Blueprints(Blueprint(QV::CircularSpinningLightLogic::kLightBlueprint, TransformXml({})) +
                   Blueprint("Ring", TransformXml({}) + RingXml(4) +
                                         "<Group version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"></Group>") +
                   Blueprint("Empty", TransformXml({}) + RingXml(0)) +
                   Blueprint("Negative", TransformXml({}) + RingXml(-3)) +
                   Blueprint("Huge", TransformXml({}) + RingXml(2000000000)));
    }
    static QV::CircularSpinningLightLogic* RingOf(SD::GameObject* object) {
        return Get<QV::CircularSpinningLightLogic>(object, SD::kCircularSpinningLightLogicID);
    }
};

TEST_F(CircularSpinningLightTest, FourLightsStandAQuarterTurnApartCircleWhileActiveAndGoWithTheRing) {
    SD::GameObject* object = Spawn("Ring", "Ring", {100, 5, 0});
    QV::CircularSpinningLightLogic* ring = RingOf(object);
    ASSERT_EQ(ring->GetLights().size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const SD::Vec3 p = ring->GetLights()[i].get()->GetTransform().GetLocalPos();
        EXPECT_NEAR(p.x, 100.0f + std::cos(i * 1.5707963f) * 10.0f, 1e-3f) << i;
        EXPECT_NEAR(p.z, std::sin(i * 1.5707963f) * 10.0f, 1e-3f) << i;
        EXPECT_EQ(p.y, 5.0f);
    }
    SD::GameObject* first = ring->GetLights()[0].get();
    GiveLight(first, SD::Vec4());
    Get<SD::Group>(object, SD::CID_Group)->SetActive(true);
    Frame(0.5f);
    EXPECT_NEAR(ring->GetAngles()[0], 0.5f, 1e-5f);
    EXPECT_NEAR(first->GetTransform().GetLocalPos().x, 100.0f + std::cos(0.5f) * 10.0f, 1e-3f);
    EXPECT_EQ(LightColour(first).y, 0.5f);

    Get<SD::Group>(object, SD::CID_Group)->SetActive(false);
    Frame(0.5f);
    EXPECT_NEAR(ring->GetAngles()[0], 0.5f, 1e-5f);
    EXPECT_EQ(LightColour(first).x, 0.0f);

    const SD::GameObjectHandle handle = ring->GetLights()[2];
    object->RemoveComponent(ring);
    factory.Update(0.0f);
    EXPECT_EQ(handle.get(), nullptr);
}

TEST_F(CircularSpinningLightTest, RingsOfNoOrANegativeNumberOfLightsMakeNothingAndHugeOnesAreCut) {
    EXPECT_TRUE(RingOf(Spawn("Empty", "Empty"))->GetLights().empty());
    QV::CircularSpinningLightLogic* negative = RingOf(Spawn("Negative", "Negative"));
    EXPECT_TRUE(negative->GetLights().empty());
    // A count beyond what the factory can hold is cut to its capacity: the ring ends.
    QV::CircularSpinningLightLogic* huge = RingOf(Spawn("Huge", "Huge"));
    EXPECT_LE(huge->GetLights().size(), static_cast<size_t>(factory.GetPool().GetCapacity()));
    Frame(0.1f);
    ValueWriter writer;
    negative->VSerialize(writer, 0);
    EXPECT_EQ(writer.values,
              (std::vector<std::string>{"Number Of Lights=-3", "Radius That Lights Are On=10", "Spin Speed Of Lights=1",
                                        "=1", "=0.5", "=0", "=1", "Attenuation Near=2", "Attenuation Far=20"}));
}

}  // namespace
