// Fireflies in a small world: spawned into groups, recruited into the player's escort, kept at
// a distance or pulled in by the throttle, blinking alone and in waves; the manager's groups
// released at shutdown; the firefly's data of every version.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "WorldTestSupport.h"
#include "core/MessageIds.h"
#include "core/Random.h"
#include "physics/Body.h"
#include "game/components/Wind.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyGroup.h"
#include "game/fireflies/FireflyManager.h"
#include "game/fireflies/FireflyMessages.h"

namespace {

using namespace worldtest;

std::string FireflyXml(int version) {
    std::string xml = Header("Firefly", version);
    if (version == 2) xml += Vec3Xml("Blink Color", 0.5f, 0.25f, 1.0f) + FloatXml("Blink Fade Speed", 0.5f);
    xml += FloatXml("Fly Speed", 300.0f) + FloatXml("Twitch Power", 0.0f) + StringXml("Default Fly Action", "Fly") +
           StringXml("Default Idle Action", "Still");
    return xml + "</Firefly>";
}

using RecruitMessage = QV::FireflyRecruitMessage;
using BlinkWaveMessage = QV::FireflyBlinkWaveMessage;

class FireflyTest : public WorldFixture {
protected:
    FireflyTest() {
        SD::SetRandomState(SD::kRandomStartState);
        Blueprints(Blueprint("World/Firefly", TransformXml({}) + BodyXml(1) + FireflyXml(2)) +
                   Blueprint("OldFirefly", TransformXml({}) + BodyXml(1) + FireflyXml(1)) +
                   Blueprint("FutureFirefly", TransformXml({}) + BodyXml(1) + FireflyXml(9)) +
                   Blueprint("BareFirefly", TransformXml({}) + BodyXml(1) + Header("Firefly", 2) + "</Firefly>") +
                   Blueprint("Player", TransformXml({}) + BodyXml(1)) + WingBlueprints());
        manager().Initialize();
    }
    ~FireflyTest() override {
        factory.DestroyAllGameObjects();
        QV::Firefly_Manager::DestroyInstance();
    }
    static QV::Firefly_Manager& manager() { return QV::Firefly_Manager::GetInstance(); }
    // A frame in the engine's order: each step the physics, the components, then the firefly
    // manager; then the frame's updates.
    void FlyFrame(float dt) {
        Frame(dt, &manager());
        manager().Update(dt);
    }
    SD::GameObject* SpawnAt(SD::Vec3 at) {
        SD::GameObject* object = manager().SpawnFirefly(at, at, 1, SD::SharedString());
        EXPECT_NE(object, nullptr);
        return object;
    }
    void Send(SD::IMessage&& message) { SD::Message_System::GetInstance()->SendMessage(message); }
};

TEST_F(FireflyTest, ARecruitedFireflyJoinsTheEscortBlinksOnceAndKeepsItsDistanceFromAPlayerAtRest) {
    SD::GameObject* player = Spawn("Player", "Player");
    SD::GameObject* object = SpawnAt({5, 0, 0});
    QV::Firefly* firefly = FireflyOf(object);
    ASSERT_NE(firefly, nullptr);
    GiveGeometry(object, SD::Vec4(0.2f, 0.2f, 0.2f, 1.0f));
    ASSERT_NE(firefly->GetGroup(), nullptr);
    EXPECT_EQ(firefly->GetGroup()->flags, 1);
    EXPECT_EQ(Lane(firefly, QV::Firefly::kLaneIdle), "Still");
    EXPECT_EQ(object->GetChildren().Size(), 4u);
    EXPECT_EQ(manager().FireflyCount(), 1u);

    // Too far away, nothing; near enough, it joins an escort group and blinks.
    Send(RecruitMessage({100, 0, 0}));
    EXPECT_EQ(firefly->GetGroup()->flags, 1);
    Send(RecruitMessage({0, 0, 0}));
    ASSERT_EQ(firefly->GetGroup()->flags, 0);
    EXPECT_EQ(firefly->GetGroup(), manager().Groups().EscortSet(1)[0]);
    EXPECT_EQ(Lane(firefly, QV::Firefly::kLaneFly), "Fly");
    EXPECT_EQ(Lane(firefly, QV::Firefly::kLaneBlink), "Blink");

    // The blink brightens for 0.1 s, fades back over the data's 0.5 s and leaves its lane.
    int frames = 0;
    while (!Lane(firefly, QV::Firefly::kLaneBlink).empty() && frames < 100) {
        FlyFrame(0.02f);
        ++frames;
    }
    EXPECT_GE(frames, 30);
    EXPECT_LE(frames, 34);
    EXPECT_FLOAT_EQ(GeometryColour(object).x, 0.2f);
    EXPECT_FLOAT_EQ(GeometryColour(object).w, 0.0f);

    // With the player at rest the escort head is the player: within the arrival radius the
    // firefly is pushed away from it.
    EXPECT_GT(Get<Gedankenexperiment::Body>(object, SD::CID_Body)->GetVelocity().x, 0.0f);
    EXPECT_EQ(player->GetTransform().GetLocalPos().x, 0.0f);
}

TEST_F(FireflyTest, AStageTwoWaveBlinksAtMostThreeNearTheCentreAndStageOneSharesWhatIsLeft) {
    Spawn("Player", "Player");
    QV::FireflyGroup* head = manager().Groups().EscortSet(0)[0];
    std::vector<QV::Firefly*> fireflies;
    for (int i = 0; i < 5; ++i) {
        SD::GameObject* object = SpawnAt(head->centre);
        fireflies.push_back(FireflyOf(object));
        manager().JoinGroup(head, fireflies.back(), SD::SharedString("Still"));
    }
    SD::GameObject* far = SpawnAt({50, 0, 0});
    manager().JoinGroup(head, FireflyOf(far), SD::SharedString("Still"));
    const auto blinking = [&] {
        return std::count_if(fireflies.begin(), fireflies.end(),
                             [](QV::Firefly* f) { return !Lane(f, QV::Firefly::kLaneBlink).empty(); });
    };
    Send(BlinkWaveMessage(2));
    EXPECT_EQ(blinking(), 3);
    EXPECT_TRUE(Lane(FireflyOf(far), QV::Firefly::kLaneBlink).empty());
    Send(BlinkWaveMessage(1));
    EXPECT_EQ(blinking(), 3);
    Send(BlinkWaveMessage(7));  // not a stage
    EXPECT_EQ(blinking(), 3);
}

TEST_F(FireflyTest, JoinPlayerRetriesUntilASetIsDrawnAndAnUnknownBehaviourIsRefused) {
    QV::Firefly* firefly = FireflyOf(SpawnAt({0, 0, 0}));
    EXPECT_FALSE(firefly->PutOnLane(QV::Firefly::kLaneFly, SD::SharedString("Hover")));
    EXPECT_TRUE(Lane(firefly, QV::Firefly::kLaneFly).empty());
    firefly->DoAction(QV::Firefly::ActionMode::kFly, SD::SharedString("JoinPlayer"));
    for (int i = 0; i < 20 && firefly->GetGroup()->flags != 0; ++i) FlyFrame(0.02f);
    EXPECT_EQ(firefly->GetGroup()->flags, 0);
    EXPECT_EQ(Lane(firefly, QV::Firefly::kLaneFly), "Fly");
    // A bad set is refused and changes nothing.
    QV::FireflyGroup* group = firefly->GetGroup();
    EXPECT_FALSE(manager().AttachToEscort(firefly, 3, SD::SharedString()));
    EXPECT_EQ(firefly->GetGroup(), group);
}

TEST_F(FireflyTest, ShutdownReleasesEveryGroupAndLeavesNoFireflyPointingAtOne) {
    std::vector<QV::Firefly*> fireflies;
    for (int i = 0; i < 4; ++i) fireflies.push_back(FireflyOf(SpawnAt({float(i), 0, 0})));
    manager().AttachToEscort(fireflies[0], 0, SD::SharedString());
    EXPECT_EQ(manager().Groups().Table().LiveCount(), 15u + 4u);
    manager().Shutdown();
    EXPECT_EQ(manager().Groups().Table().LiveCount(), 0u);
    for (QV::Firefly* firefly : fireflies) EXPECT_EQ(firefly->GetGroup(), nullptr);
    // Destroying a firefly afterwards touches no group.
    manager().DestroyAllFireflies();
    Frame(0.0f);
    factory.Update(0.0f);
    EXPECT_EQ(manager().FireflyCount(), 0u);
}

// A wind stronger than 10 pushes the firefly it names by 15 times its vector, whichever list
// the message comes through; a firefly that has gone hears no more wind.
TEST_F(FireflyTest, AStrongWindPushesTheFireflyItTouchesAndAGoneFireflyHearsNoMore) {
    SD::GameObject* object = SpawnAt({5, 0, 0});
    SD::GameObject* other = SpawnAt({50, 0, 0});
    auto* body = Get<Gedankenexperiment::Body>(object, SD::CID_Body);
    auto* otherBody = Get<Gedankenexperiment::Body>(other, SD::CID_Body);
    ASSERT_TRUE(body && otherBody);
    const SD::Vec3 start = body->GetForce();
    const SD::Vec3 otherStart = otherBody->GetForce();
    QV::Wind breeze;
    breeze.SetDirection({0, 0, 1});
    breeze.SetPower(10.0f);
    QV::Wind gale;
    gale.SetDirection({1, 0, 0});
    gale.SetPower(12.0f);
    SD::Message_System* messages = SD::Message_System::GetInstance();

    QV::WindMessage weak(&breeze, object->GetHandle());
    messages->SendMessageToObject(object->GetHandle(), weak);
    EXPECT_EQ(body->GetForce(), start);
    QV::WindMessage strong(&gale, object->GetHandle());
    messages->SendMessageToObject(object->GetHandle(), strong);
    EXPECT_EQ(body->GetForce(), start + SD::Vec3(180, 0, 0));
    messages->SendMessage(strong);
    EXPECT_EQ(body->GetForce(), start + SD::Vec3(360, 0, 0));
    EXPECT_EQ(otherBody->GetForce(), otherStart) << "the wind named the first firefly only";

    const SD::GameObjectHandle gone = object->GetHandle();
    factory.DestroyGameObject(object);
    factory.Update(0.0f);
    ASSERT_EQ(gone.get(), nullptr);
    QV::WindMessage late(&gale, gone);
    messages->SendMessageToObject(gone, late);
    messages->SendMessage(late);
    EXPECT_EQ(otherBody->GetForce(), otherStart);
}

TEST_F(FireflyTest, TheDataOfEachVersionIsReadAndVersionTwoIsWritten) {
    QV::Firefly* current = FireflyOf(Spawn("World/Firefly", "Current"));
    QV::Firefly* old = FireflyOf(Spawn("OldFirefly", "Old"));
    QV::Firefly* future = FireflyOf(Spawn("FutureFirefly", "Future"));
    ASSERT_TRUE(current && old && future);
    EXPECT_EQ(current->VGetVersion(), 2);
    EXPECT_FLOAT_EQ(current->GetBlinkFadeSpeed(), 0.5f);
    EXPECT_FLOAT_EQ(current->GetBlinkColor().z, 1.0f);
    EXPECT_FLOAT_EQ(current->GetFlySpeed(), 300.0f);
    EXPECT_STREQ(current->GetDefaultIdleAction().c_str(), "Still");
    // Version 1 has no blink fields: those keep their defaults.
    EXPECT_FLOAT_EQ(old->GetBlinkFadeSpeed(), 1.0f);
    EXPECT_FLOAT_EQ(old->GetFlySpeed(), 300.0f);
    EXPECT_STREQ(old->GetDefaultIdleAction().c_str(), "Still");
    // Missing fields keep their defaults; the firefly still runs its default behaviours.
    QV::Firefly* bare = FireflyOf(Spawn("BareFirefly", "Bare"));
    ASSERT_NE(bare, nullptr);
    EXPECT_FLOAT_EQ(bare->GetFlySpeed(), 800.0f);
    EXPECT_FLOAT_EQ(bare->GetBlinkFadeSpeed(), 1.0f);
    bare->DoAction(QV::Firefly::ActionMode::kIdle, SD::SharedString());
    EXPECT_EQ(Lane(bare, QV::Firefly::kLaneIdle), "Twitch");
    FlyFrame(0.02f);
    // An unknown version reads nothing.
    EXPECT_FLOAT_EQ(future->GetFlySpeed(), 800.0f);
    EXPECT_STREQ(future->GetDefaultIdleAction().c_str(), "Twitch");

    ValueWriter writer;
    current->VSerialize(writer, 2);
    EXPECT_EQ(writer.values,
              (std::vector<std::string>{"=0.5", "=0.25", "=1", "Blink Fade Speed=0.5", "Fly Speed=300",
                                        "Twitch Power=0", "Default Fly Action=Fly", "Default Idle Action=Still"}));
    ValueWriter oldWriter;
    current->VSerialize(oldWriter, 1);
    EXPECT_EQ(oldWriter.values.size(), 4u);
    ValueWriter none;
    current->VSerialize(none, 3);
    EXPECT_TRUE(none.values.empty());
}

}  // namespace
