// The safe zone: a firefly touching it gathers in a group of its own at the zone, blinks and
// settles within 30; anything else touching it is left alone, and a zone without a collider
// says so.
#include <gtest/gtest.h>

#include "WorldLogicTestSupport.h"
#include "game/components/SafeZone.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyGroup.h"
#include "game/fireflies/FireflyManager.h"
#include "support/CapturedLog.h"

namespace {

using namespace worldtest;

class SafeZoneTest : public WorldLogicFixture {
protected:
    SafeZoneTest() {
        Register<QV::SafeZone>("SafeZone", SD::kSafeZoneID);
        Blueprints(Blueprint("Zone", TransformXml({}) + SphereXml(30, 0) + Component("SafeZone", 0, "")) +
                   Blueprint("BareZone", TransformXml({}) + Component("SafeZone", 0, "")) +
                   Blueprint("Fly", TransformXml({}) + SphereXml(1, 0) +
                                        Component("Firefly", 1,
                                                  FloatXml("Fly Speed", 300) + FloatXml("Twitch Power", 1) +
                                                      StringXml("Default Fly Action", "Fly") +
                                                      StringXml("Default Idle Action", "Twitch"))) +
                   Blueprint("Rock", TransformXml({}) + SphereXml(1, 0)));
    }
    ~SafeZoneTest() override { QV::Firefly_Manager::DestroyInstance(); }
};

TEST_F(SafeZoneTest, AFireflyThatTouchesTheZoneGathersThereAndOthersAreLeftAlone) {
    SD::GameObject* zone = Spawn("Zone", "Zone", {10, 5, -3});
    SD::GameObject* fly = Spawn("Fly", "Fly", {12, 5, -3});
    SD::GameObject* rock = Spawn("Rock", "Rock", {9, 5, -3});
    auto* safe = Get<QV::SafeZone>(zone, SD::kSafeZoneID);
    auto* firefly = Get<QV::Firefly>(fly, SD::CID_Firefly);
    ASSERT_EQ(firefly->GetGroup(), nullptr);

    safe->OnContact(Get<Gedankenexperiment::Collider>(rock, SD::CID_Collider));
    safe->OnContact(nullptr);
    EXPECT_EQ(firefly->GetArrivalRadius(), 10.0f);

    // Through the collider's contact callback, as the physics step reports it.
    Get<Gedankenexperiment::Collider>(zone, SD::CID_Collider)
        ->NotifyContact(Get<Gedankenexperiment::Collider>(fly, SD::CID_Collider));
    EXPECT_EQ(firefly->GetArrivalRadius(), QV::SafeZone::kArrivalRadius);
    ASSERT_NE(firefly->GetGroup(), nullptr);
    EXPECT_EQ(firefly->GetGroup()->centre, SD::Vec3(10, 5, -3));
    const SD::SharedString* blink = firefly->BehaviourOn(QV::Firefly::kLaneBlink);
    ASSERT_NE(blink, nullptr);
    EXPECT_STREQ(blink->c_str(), "Blink");

    qvtest::CapturedLog captured;
    Spawn("BareZone", "Bare", {});
    EXPECT_NE(captured.Text().find("Safe zone of object Bare has no collider"), std::string::npos);
}

}  // namespace
