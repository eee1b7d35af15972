// Lights in a small world: a bobbing light hidden while its group is inactive, a pulse that
// starts dark and stays dark until started, a light that fades in as the player comes near;
// their data read from blueprints and written back.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "WorldTestSupport.h"
#include "engine/PlayStateQuery.h"
#include "game/components/LightLogic.h"

namespace {

using namespace worldtest;

std::string GroupXml() {
    return "<Group version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\">" + StringXml("Group Name", "Lamps") +
           "</Group>";
}

class LightLogicTest : public WorldFixture {
protected:
    LightLogicTest() {
        factory.RegisterComponentCreator("FloatingLightLogic", SD::kFloatingLightLogicID,
                                         new SD::ComponentCreator<QV::FloatingLightLogic>);
        factory.RegisterComponentCreator("PulsingLightLogic", SD::CID_PulsingLightLogic,
                                         new SD::ComponentCreator<QV::PulsingLightLogic>);
        factory.RegisterComponentCreator("FadeInLightLogic", SD::kFadeInLightLogicID,
                                         new SD::ComponentCreator<QV::FadeInLightLogic>);
        Blueprints(Blueprint("Bob", TransformXml({}) + Header("FloatingLightLogic", 0) + FloatXml("Extents", 4.0f) +
                                        FloatXml("Speed", 1.0f) + "</FloatingLightLogic>" + GroupXml()) +
                   Blueprint("Pulse", TransformXml({}) + Header("PulsingLightLogic", 0) +
                                          FloatXml("Pulsing Speed", 2.0f) + FloatXml("Max Light Intensity", 2.0f) +
                                          BoolXml("Pulse Start", true) + "</PulsingLightLogic>") +
                   Blueprint("Fade", TransformXml({}) + Header("FadeInLightLogic", 0) +
                                         FloatXml("Distance To Start Fading In", 10.0f) +
                                         FloatXml("Fading In Time", 1.0f) + "</FadeInLightLogic>") +
                   Blueprint("Player", TransformXml({})));
    }
    // An object whose light and bulb colours the hooks keep.
    SD::GameObject* Lamp(const char* blueprint, SD::Vec3 at = {}) {
        SD::GameObject* object = factory.CreateObject(blueprint, nullptr);
        object->GetTransform().SetPos(at);
        GiveLight(object, SD::Vec4(1.0f, 0.5f, 0.25f, 1.0f));
        GiveGeometry(object, SD::Vec4());
        object->Initialize(false);
        return object;
    }
};

TEST_F(LightLogicTest, ABobbingLightHidesWhileItsGroupIsInactiveAndComesBackToItsPath) {
    SD::GameObject* bob = Lamp("Bob", {1, 2, 3});
    auto* group = Get<SD::Group>(bob, SD::CID_Group);
    ASSERT_NE(group, nullptr);
    group->SetActive(true);
    Frame(0.5f);
    EXPECT_NEAR(bob->GetTransform().GetLocalPos().y, 2.0f + (std::sin(0.5f) * 0.5f + 0.5f) * 4.0f, 1e-4f);
    EXPECT_FLOAT_EQ(GeometryColour(bob).y, 0.5f);  // the bulb follows the light
    group->SetActive(false);
    Frame(0.5f);
    EXPECT_EQ(bob->GetTransform().GetLocalPos().x, std::numeric_limits<float>::max());
    group->SetActive(true);
    Frame(0.5f);
    EXPECT_NEAR(bob->GetTransform().GetLocalPos().y, 2.0f + (std::sin(1.0f) * 0.5f + 0.5f) * 4.0f, 1e-4f);
    EXPECT_FLOAT_EQ(bob->GetTransform().GetLocalPos().x, 1.0f);
}

TEST_F(LightLogicTest, APulseStartsDarkRisesToItsPeakAndIsDarkWhenStopped) {
    SD::GameObject* lamp = Lamp("Pulse");
    auto* pulse = Get<QV::PulsingLightLogic>(lamp, SD::CID_PulsingLightLogic);
    Frame(0.0f);
    EXPECT_NEAR(LightColour(lamp).x, 0.0f, 1e-5f);
    // A quarter turn of sin(2 t) later the pulse is at its middle, another quarter at its peak.
    Frame(3.14159265f / 4.0f);
    EXPECT_NEAR(LightColour(lamp).x, 1.0f, 1e-4f);
    Frame(3.14159265f / 4.0f);
    EXPECT_NEAR(LightColour(lamp).x, 2.0f, 1e-4f);
    EXPECT_NEAR(GeometryColour(lamp).z, 0.5f, 1e-4f);
    pulse->SetPulseStart(false);
    Frame(0.1f);
    EXPECT_EQ(LightColour(lamp).x, 0.0f);
    EXPECT_EQ(GeometryColour(lamp).w, 0.0f);
    pulse->VRestoreStartState();
    EXPECT_EQ(LightColour(lamp).x, 1.0f);
}

TEST_F(LightLogicTest, ALightFadesInOnlyOnceThePlayerIsNearAndStaysLit) {
    SD::GameObject* lamp = Lamp("Fade");
    SD::GameObject* player = Spawn("Player", "Player", {50, 0, 0});
    Frame(0.1f);
    EXPECT_EQ(LightColour(lamp).x, 0.0f);
    player->GetTransform().SetPos({5, 0, 0});
    Frame(0.1f);  // the first frame in range counts twice
    EXPECT_NEAR(LightColour(lamp).x, 0.2f, 1e-5f);
    for (int i = 0; i < 8; ++i) Frame(0.1f);
    EXPECT_NEAR(LightColour(lamp).x, 1.0f, 1e-4f);
    player->GetTransform().SetPos({500, 0, 0});
    Frame(0.1f);
    EXPECT_NEAR(LightColour(lamp).x, 1.0f, 1e-4f);
}

TEST_F(LightLogicTest, TheLightsDataIsReadFromBlueprintsAndWrittenInOrder) {
    auto* bob = Get<QV::FloatingLightLogic>(Lamp("Bob"), SD::kFloatingLightLogicID);
    auto* pulse = Get<QV::PulsingLightLogic>(Lamp("Pulse"), SD::CID_PulsingLightLogic);
    auto* fade = Get<QV::FadeInLightLogic>(Lamp("Fade"), SD::kFadeInLightLogicID);
    EXPECT_EQ(bob->GetExtents(), 4.0f);
    EXPECT_EQ(pulse->GetLightPulseIntensity(), 2.0f);
    EXPECT_TRUE(pulse->GetPulseStart());
    EXPECT_EQ(fade->GetFadeLightDistanceCheck(), 10.0f);
    ValueWriter a, b, c;
    bob->VSerialize(a, 0);
    pulse->VSerialize(b, 0);
    fade->VSerialize(c, 0);
    EXPECT_EQ(a.values, (std::vector<std::string>{"Extents=4", "Speed=1"}));
    EXPECT_EQ(b.values, (std::vector<std::string>{"Pulsing Speed=2", "Max Light Intensity=2", "Pulse Start=true"}));
    EXPECT_EQ(c.values, (std::vector<std::string>{"Distance To Start Fading In=10", "Fading In Time=1"}));
}

}  // namespace
