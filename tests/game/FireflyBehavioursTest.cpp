// The firefly behaviours that hand over or end by themselves, observed from outside: the lane
// they leave behind and the way the firefly moves.
#include <gtest/gtest.h>

#include <string>

#include "WorldTestSupport.h"
#include "core/Random.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyGroup.h"
#include "game/fireflies/FireflyManager.h"

namespace {

using namespace worldtest;

class FireflyBehavioursTest : public WorldFixture {
protected:
    FireflyBehavioursTest() {
        SD::SetRandomState(SD::kRandomStartState);
        Blueprints(Blueprint("World/Firefly", TransformXml({}) + BodyXml(1)));
        manager().Initialize();
    }
    ~FireflyBehavioursTest() override {
        factory.DestroyAllGameObjects();
        QV::Firefly_Manager::DestroyInstance();
    }
    static QV::Firefly_Manager& manager() { return QV::Firefly_Manager::GetInstance(); }
    // A firefly of its own group centred at `centre`, placed at the origin, the behaviour on
    // the lane and nothing else.
    QV::Firefly* Make(SD::Vec3 centre, int lane, const char* behaviour) {
        SD::GameObject* object = factory.CreateObject("World/Firefly", nullptr);
        auto* firefly = static_cast<QV::Firefly*>(object->AddComponent(SD::CID_Firefly));
        object->Initialize(false);
        QV::FireflyGroup* group = manager().CreateGroup(centre);
        firefly->SetGroup(group);
        firefly->PutOnLane(lane, SD::SharedString(behaviour));
        return firefly;
    }
    void FlyFrame(float dt) {
        Frame(dt, &manager());
        manager().Update(dt);
    }
    static SD::Vec3 Velocity(QV::Firefly* firefly) {
        return Get<Gedankenexperiment::Body>(firefly->GetOwner(), SD::CID_Body)->GetVelocity();
    }
};

TEST_F(FireflyBehavioursTest, HandOversAndEndsLeaveTheExpectedLaneBehind) {
    struct Case {
        const char* behaviour;
        int lane;
        float seconds;      // how long it runs
        const char* after;  // what its lane holds then ("" for nothing)
    };
    const Case cases[] = {
        {"Twirl", QV::Firefly::kLaneIdle, 1.1f, ""},
        {"DetachFromPlayer", QV::Firefly::kLaneFly, 1.1f, "WatchForPlayer"},
        {"FlyToObj", QV::Firefly::kLaneFly, 5.1f, "JoinPlayer"},
        {"Still", QV::Firefly::kLaneIdle, 2.0f, "Still"},
    };
    for (const Case& c : cases) {
        // FlyToObj hands over after five seconds or on reaching its target, whichever comes first.
        QV::Firefly* firefly = Make(SD::Vec3(1000, 0, 0), c.lane, c.behaviour);
        // Frames of one step each: the lane is seen between any two steps.
        for (float t = 0.0f; t < c.seconds; t += kStep) {
            FlyFrame(kStep);
            if (std::string(c.after) == "JoinPlayer" && Lane(firefly, c.lane) == "JoinPlayer") break;
        }
        EXPECT_EQ(Lane(firefly, c.lane), c.after) << c.behaviour;
    }
}

TEST_F(FireflyBehavioursTest, SeekingAndLiftingBehavioursPushTheFireflyTheirWay) {
    QV::Firefly* up = Make(SD::Vec3(), QV::Firefly::kLaneIdle, "GoUp");
    QV::Firefly* seek = Make(SD::Vec3(0, 0, 500), QV::Firefly::kLaneIdle, "WatchForPlayer");
    QV::Firefly* near = Make(SD::Vec3(0, 0, 50), QV::Firefly::kLaneIdle, "JoinSun");
    // A request-made group with the throttle released: pulled in once beyond the arrival radius.
    QV::Firefly* fly = Make(SD::Vec3(-40, 0, 0), QV::Firefly::kLaneFly, "Fly");
    QV::Firefly* still = Make(SD::Vec3(0, 0, 500), QV::Firefly::kLaneIdle, "Still");
    // Forces added in one frame move the bodies in the next.
    FlyFrame(0.05f);
    FlyFrame(0.05f);
    const SD::Vec3 rest = Velocity(still);
    EXPECT_GT(Velocity(up).y, rest.y);
    EXPECT_GT(Velocity(seek).z, rest.z);
    EXPECT_EQ(Velocity(near).z, rest.z);  // within 150 of its group, nothing
    EXPECT_LT(Velocity(fly).x, rest.x);
}

}  // namespace
