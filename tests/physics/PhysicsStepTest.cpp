// The physics step seen from outside: objects built from blueprints, moved step by step,
// their transforms and contact callbacks observed.
#include <gtest/gtest.h>

#include <cmath>

#include "PhysicsTestSupport.h"

namespace {

using namespace physicstest;
using Gedankenexperiment::Body;
using Gedankenexperiment::Collider;

class PhysicsStepTest : public PhysicsWorld {
protected:
    PhysicsStepTest() {
        Blueprints(Blueprint("Ball", TransformXml({}) + BodyXml(10) + SphereXml(1, 0.5f)) +
                   Blueprint("FloatingBall", TransformXml({}) + BodyXml(10, {0, 50, 0}) + SphereXml(1, 0.5f)) +
                   Blueprint("Floor", TransformXml({}) + BoxXml({50, 1, 50}, 0.5f)) +
                   Blueprint("Ghost", TransformXml({}) + SphereXml(2, 0.5f, true)) +
                   Blueprint("World/Firefly", TransformXml({}) + BodyXml(1, {0, 50, 0}) + SphereXml(1, 0.5f)));
    }
};

TEST_F(PhysicsStepTest, ABallDroppedOnAFloorComesToRestOnIt) {
    SD::GameObject* floor = Spawn("Floor", "Floor", {0, 0, 0});
    SD::GameObject* ball = Spawn("Ball", "Ball", {3, 10, -4});
    ASSERT_TRUE(floor && ball);
    Physics().BuildTree();
    float lowest = 10.0f;
    for (int step = 0; step < 400; ++step) {
        Steps(1);
        lowest = std::fmin(lowest, ball->GetTransform().GetLocalPos().y);
    }
    // The floor's top is at 1 and the ball's radius 1: it rests with its centre at 2.
    const SD::Vec3 p = ball->GetTransform().GetLocalPos();
    EXPECT_NEAR(p.y, 2.0f, 0.01f);
    EXPECT_GT(lowest, 1.5f);  // never sank through
    EXPECT_FLOAT_EQ(p.x, 3.0f);
    EXPECT_FLOAT_EQ(p.z, -4.0f);
    // The resting ball keeps a bounce of a fraction of a unit per second, which the next
    // substep takes back.
    EXPECT_NEAR(ColliderOf(ball)->velocity.y, 0.0f, 0.5f);
    EXPECT_EQ(floor->GetTransform().GetLocalPos(), SD::Vec3(0, 0, 0));
}

TEST_F(PhysicsStepTest, TwoEqualBodiesMeetingHeadOnSeparateAlike) {
    SD::GameObject* left = Spawn("FloatingBall", "Left", {-0.8f, 5, 0});
    SD::GameObject* right = Spawn("FloatingBall", "Right", {0.8f, 5, 0});
    BodyOf(left)->SetVelocity({20, 0, 0});
    BodyOf(right)->SetVelocity({-20, 0, 0});
    const float h = 0.008f;
    Physics().Substep(h);
    // Both move 0.16 inwards, overlap by 2 - (1.6 - 0.32) = 0.72 and are pushed apart by half
    // of it each; the bounce uses the sum of the masses.
    const float decay = std::pow(0.1f, h);
    const float approach = 20.0f * decay;
    const float vs = -2.0f * approach;
    const float impulse = 20.0f * (-(0.9f * vs) - vs);
    EXPECT_NEAR(ColliderOf(left)->position.x, -0.8f + 0.16f - 0.36f, 1e-5f);
    EXPECT_NEAR(ColliderOf(right)->position.x, 0.8f - 0.16f + 0.36f, 1e-5f);
    EXPECT_NEAR(ColliderOf(left)->velocity.x, approach - impulse * 0.1f, 1e-3f);
    EXPECT_NEAR(ColliderOf(right)->velocity.x, -approach + impulse * 0.1f, 1e-3f);
    EXPECT_NEAR(left->GetTransform().GetLocalPos().x, ColliderOf(left)->position.x, 1e-6f);
    // Moving apart, the next substeps leave their velocities to the decay alone.
    const float after = ColliderOf(right)->velocity.x;
    Physics().Substep(h);
    EXPECT_NEAR(ColliderOf(right)->velocity.x, after * decay, 1e-3f);
    EXPECT_NEAR(ColliderOf(left)->velocity.x, -after * decay, 1e-3f);
}

TEST_F(PhysicsStepTest, ShortStepsRunFewerSubsteps) {
    struct Case {
        float time;
        float expectedDrop;
    };
    // Free fall from rest: each substep h moves by the velocity at its start, then adds -50 h.
    const Case cases[] = {
        {0.0f, 0.0f}, {0.0001f, 0.0f}, {0.00015f, 0.0f},  // one substep of 0.000075 from rest: no move yet
    };
    for (const Case& c : cases) {
        SD::GameObject* ball = Spawn("Ball", "Ball", {0, 100, 0});
        Physics().Step(c.time);
        EXPECT_FLOAT_EQ(ball->GetTransform().GetLocalPos().y, 100.0f - c.expectedDrop) << c.time;
        ball->Destroy();
        factory.Update(0);
    }
    SD::GameObject* ball = Spawn("Ball", "Ball", {0, 100, 0});
    Physics().Step(0.00015f);
    const float v1 = ColliderOf(ball)->velocity.y;
    EXPECT_NEAR(v1, -50.0f * 0.000075f * std::pow(0.1f, 0.000075f), 1e-6f);
    Physics().Step(0.2f);  // two substeps of 0.1
    const float v2 = (v1 - 50.0f * (1.0f + 0.1f) * 0.1f) * std::pow(0.1f, 0.1f);
    EXPECT_LT(ColliderOf(ball)->velocity.y, v1);
    EXPECT_NEAR(ball->GetTransform().GetLocalPos().y, 100.0f + v1 * 0.1f + v2 * 0.1f, 1e-3f);
}

TEST_F(PhysicsStepTest, AStepOfNoTimeMovesNothingAndCallsNoOne) {
    SD::GameObject* a = Spawn("Ball", "A", {0, 5, 0});
    SD::GameObject* b = Spawn("Ball", "B", {0.5f, 5, 0});
    ContactLog log;
    log.Bind(a);
    log.Bind(b);
    Steps(10, 0.0f);
    EXPECT_EQ(a->GetTransform().GetLocalPos(), SD::Vec3(0, 5, 0));
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(PhysicsStepTest, ContactsAreReportedToBothSidesTwicePerStep) {
    SD::GameObject* floor = Spawn("Floor", "Floor", {0, 0, 0});
    SD::GameObject* ball = Spawn("Ball", "Ball", {0, 1.5f, 0});
    Physics().BuildTree();
    ContactLog log;
    log.Bind(ball);
    log.Bind(floor);
    Steps(1);
    // The dynamic ball is first in each contact: its callback, then the floor's, per substep.
    EXPECT_EQ(log.calls, (std::vector<std::string>{"Ball:Floor", "Floor:Ball", "Ball:Floor", "Floor:Ball"}));
}

TEST_F(PhysicsStepTest, ABoundCallbackIsReplacedAndAnUnboundColliderCallsNothing) {
    SD::GameObject* a = Spawn("FloatingBall", "A", {0, 5, 0});
    SD::GameObject* b = Spawn("FloatingBall", "B", {1, 5, 0});
    ContactLog first, second;
    first.Bind(a);
    second.Bind(a);
    Physics().Substep(0.001f);
    EXPECT_TRUE(first.calls.empty());
    EXPECT_EQ(second.calls, std::vector<std::string>{"A:B"});
    (void)b;
}

TEST_F(PhysicsStepTest, AGhostIsReportedButNeitherPushesNorBounces) {
    SD::GameObject* ghost = Spawn("Ghost", "Ghost", {0, 5, 0});
    SD::GameObject* ball = Spawn("FloatingBall", "Ball", {1, 5, 0});
    Physics().BuildTree();
    BodyOf(ball)->SetVelocity({-10, 0, 0});
    ContactLog log;
    log.Bind(ghost);
    log.Bind(ball);
    const float h = 0.008f;
    Physics().Substep(h);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"Ball:Ghost", "Ghost:Ball"}));
    EXPECT_NEAR(ColliderOf(ball)->position.x, 1.0f - 10.0f * h, 1e-6f);
    EXPECT_NEAR(ColliderOf(ball)->velocity.x, -10.0f * std::pow(0.1f, h), 1e-4f);
    EXPECT_EQ(ghost->GetTransform().GetLocalPos(), SD::Vec3(0, 5, 0));
}

TEST_F(PhysicsStepTest, ThePlayerFliesThroughFirefliesWhichStillTouchOthers) {
    SD::GameObject* player = Spawn("FloatingBall", "Player", {0, 5, 0});
    SD::GameObject* firefly = Spawn("World/Firefly", "Firefly", {0.5f, 5, 0});
    SD::GameObject* other = Spawn("FloatingBall", "Other", {1.5f, 5, 0});
    ContactLog log;
    log.Bind(player);
    log.Bind(firefly);
    log.Bind(other);
    Physics().Substep(0.001f);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"Player:Other", "Other:Player", "Firefly:Other", "Other:Firefly"}));
}

// A box body falling on a static sphere: the mirrored pair test puts the sphere first, so the
// static rock is called first and the crate is the one pushed.
TEST_F(PhysicsStepTest, AgainstAStaticSphereTheSphereComesFirstAndTheBodyMoves) {
    Blueprints(Blueprint("Crate", TransformXml({}) + BodyXml(10, {0, 50, 0}) + BoxXml({1, 1, 1}, 0.5f)) +
               Blueprint("Rock", TransformXml({}) + SphereXml(2, 0.5f)));
    SD::GameObject* rock = Spawn("Rock", "Rock", {0, 0, 0});
    SD::GameObject* crate = Spawn("Crate", "Crate", {0, 2.5f, 0});
    Physics().BuildTree();
    ContactLog log;
    log.Bind(rock);
    log.Bind(crate);
    Physics().Substep(0.001f);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"Rock:Crate", "Crate:Rock"}));
    // The box's face is 1.5 above the rock's centre, 0.5 inside its radius.
    EXPECT_NEAR(crate->GetTransform().GetLocalPos().y, 3.0f, 1e-5f);
    EXPECT_EQ(rock->GetTransform().GetLocalPos(), SD::Vec3(0, 0, 0));
}

TEST_F(PhysicsStepTest, TwoImmovableBodiesOverlappingStayPut) {
    Blueprints(Blueprint("Anchor", TransformXml({}) + BodyXml(0, {0, 50, 0}) + SphereXml(1, 0.5f)));
    SD::GameObject* a = Spawn("Anchor", "A", {0, 0, 0});
    SD::GameObject* b = Spawn("Anchor", "B", {1, 0, 0});
    Steps(3);
    const SD::Vec3 pa = a->GetTransform().GetLocalPos(), pb = b->GetTransform().GetLocalPos();
    EXPECT_EQ(pa, SD::Vec3(0, 0, 0));
    EXPECT_EQ(pb, SD::Vec3(1, 0, 0));
    EXPECT_EQ(BodyOf(a)->GetInverseMass(), 0.0f);
}

TEST_F(PhysicsStepTest, MoreContactsThanTheTableHoldsAreCappedAndLogged) {
    qvtest::StderrCapture err;
    std::vector<SD::GameObject*> balls;
    for (int i = 0; i < 150; ++i) balls.push_back(Spawn("FloatingBall", "B" + std::to_string(i), {0, 0, 0}));
    ContactLog log;
    for (SD::GameObject* ball : balls) log.Bind(ball);
    Physics().Substep(0.001f);
    // 150 balls in one place make 11175 pairs; a substep reports at most 9999 of them.
    EXPECT_EQ(log.calls.size(), 2u * 9999u);
    EXPECT_EQ(Physics().GetContacts().Dropped(), 11175u - 9999u);
    const std::string text = err.Text();
    EXPECT_NE(text.find("More than 9999 contacts in one physics substep"), std::string::npos) << text;
    for (SD::GameObject* ball : balls) EXPECT_TRUE(std::isfinite(ColliderOf(ball)->position.x));
}

TEST_F(PhysicsStepTest, ACollisionCallbackMayDestroyTheOtherCollider) {
    SD::GameObject* a = Spawn("FloatingBall", "A", {0, 5, 0});
    SD::GameObject* b = Spawn("FloatingBall", "B", {1, 5, 0});
    SD::GameObject* c = Spawn("FloatingBall", "C", {0, 5, 1});
    struct Remover {
        SD::GameObject* victim;
        int calls = 0;
        void OnContact(Collider*) {
            ++calls;
            if (victim) victim->RemoveComponent(victim->GetComponent(SD::CID_Collider));
            victim = nullptr;
        }
    } remover{b};
    ColliderOf(a)->SetCallback(
        new MFCore::Delegate_1Parameters<void, Remover, Collider*>(&remover, &Remover::OnContact));
    Physics().Substep(0.001f);
    EXPECT_EQ(remover.calls, 2);  // A:B, then A:C; the record of B and C is gone with B's collider
    EXPECT_EQ(Physics().GetDynamicColliders().size(), 2u);
    (void)c;
}

}  // namespace
