#include "runtime/Kinect.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "platform/sensor/ScriptedSensor.h"

namespace {

using platform::sensor::kStateTracked;
using platform::sensor::ScriptedSensor;
using platform::sensor::SkeletonFrame;

constexpr uint32_t kWaitMs = 10000;

// Counts the device-change messages and the threads they arrive on.
struct DeviceChangeListener {
    void OnMessage(SD::IMessage*) {
        ++count;
        thread = std::this_thread::get_id();
    }
    int count = 0;
    std::thread::id thread;
};

// A frame in which the given skeletons are tracked; skeleton i has its joints at
// (i + 1) * (joint + 1) along every axis, so that each one's joints are told apart.
SkeletonFrame Frame(std::initializer_list<int> tracked) {
    SkeletonFrame frame;
    for (int i = 0; i < platform::sensor::kSkeletonCount; ++i)
        for (int j = 0; j < platform::sensor::kJointCount; ++j) {
            const float v = 0.01f * float((i + 1) * (j + 1));
            frame.skeletons[i].joints[j] = {v, v, v, 1};
        }
    for (int i : tracked) frame.skeletons[i].trackingState = kStateTracked;
    return frame;
}

class KinectWithSensor : public testing::Test {
protected:
    void SetUp() override {
        platform::sensor::AttachRuntime(&sensor);
        SD::Message_System::GetInstance()->RegisterHandler(SD::MessageIds::KinectDeviceChange, &listener,
                                                           &DeviceChangeListener::OnMessage);
        kinect = std::make_unique<SD::Kinect_>();
    }
    void TearDown() override {
        kinect.reset();
        platform::sensor::AttachRuntime(nullptr);
        SD::Message_System::DestroyInstance();
    }
    // Hands the frame to the sensor and waits until the worker has taken it.
    void Deliver(const SkeletonFrame& frame) {
        ASSERT_TRUE(sensor.DeliverFrame(frame));
        ASSERT_TRUE(kinect->WaitForFrames(++delivered, kWaitMs));
    }

    ScriptedSensor sensor;
    DeviceChangeListener listener;
    std::unique_ptr<SD::Kinect_> kinect;
    uint64_t delivered = 0;
};

TEST(Kinect, WithoutASensorNothingIsTracked) {
    SD::Kinect_ kinect;
    kinect.Initialize();
    kinect.Update(0.016f);
    EXPECT_FALSE(kinect.IsConnected());
    EXPECT_FALSE(kinect.IsFirstPlayerTracked());
    EXPECT_FALSE(kinect.IsSecondPlayerTracked());
    EXPECT_EQ(kinect.GetTrackedSkeleton(), -1);
    EXPECT_EQ(kinect.GetJointPosition(SD::Kinect_::kLeftHand).x, 0.0f);
    EXPECT_EQ(kinect.SetElevation(40), 27);
    EXPECT_STREQ(kinect.GetName(), "Kinect");
    kinect.Shutdown();
    SD::Message_System::DestroyInstance();
}

TEST_F(KinectWithSensor, OpensThePresentSensorAndAnnouncesIt) {
    kinect->Initialize();
    EXPECT_TRUE(kinect->IsConnected());
    EXPECT_TRUE(sensor.IsTracking());
    EXPECT_EQ(sensor.InitializeFlags(), 9u);
    EXPECT_EQ(listener.count, 1);

    kinect->Shutdown();
    kinect->CloseSensor();
    EXPECT_FALSE(kinect->IsConnected());
    EXPECT_EQ(sensor.ShutdownCount(), 1) << "a second close does nothing";
}

TEST_F(KinectWithSensor, FollowsTheFirstTrackedSkeletonUntilItIsLost) {
    kinect->Initialize();
    struct Step {
        std::initializer_list<int> tracked;
        int followed;
        int copiedFrom;
    };
    const Step steps[] = {
        {{}, -1, -1},   {{2}, 2, 2},
        {{2, 4}, 2, 2}, {{5, 4}, 4, 4},  // the player left: the first tracked in order takes over
        {{}, 4, 4},                      // nobody: the last joints stay
        {{0, 4}, 4, 4}, {{1, 3}, 1, 1},
    };
    for (const Step& step : steps) {
        Deliver(Frame(step.tracked));
        EXPECT_EQ(kinect->GetTrackedSkeleton(), step.followed);
        const float expected = step.copiedFrom < 0 ? 0.0f : -0.01f * float((step.copiedFrom + 1) * 8);
        EXPECT_FLOAT_EQ(kinect->GetJointPosition(SD::Kinect_::kLeftHand).y, expected);
    }
    const auto smoothing = sensor.LastSmoothing();
    ASSERT_TRUE(smoothing.has_value());
    EXPECT_FLOAT_EQ(smoothing->smoothing, 0.5f);
    EXPECT_FLOAT_EQ(smoothing->correction, 0.5f);
    EXPECT_FLOAT_EQ(smoothing->prediction, 0.5f);
    EXPECT_FLOAT_EQ(smoothing->jitterRadius, 0.05f);
    EXPECT_FLOAT_EQ(smoothing->maxDeviationRadius, 0.04f);
}

TEST_F(KinectWithSensor, JointsAreMappedAndClampedAndMotionFollowsTheFrames) {
    kinect->Initialize();
    struct Case {
        float x, y, z;
        SD::Vec3 want;
    };
    const Case cases[] = {
        {3.0f, 0.4f, 2.5f, {1.0f, -0.4f, 2.5f}},
        {-5.0f, -1.5f, 0.0f, {-1.0f, 1.5f, 0.0f}},
        {0.6f, 0.0f, 1.0f, {0.3f, 0.0f, 1.0f}},
    };
    SD::Vec3 before{};
    for (const Case& c : cases) {
        SkeletonFrame frame = Frame({0});
        frame.skeletons[0].joints[SD::Kinect_::kLeftHand] = {c.x, c.y, c.z, 1};
        Deliver(frame);
        const SD::Vec3 hand = kinect->GetJointPosition(SD::Kinect_::kLeftHand);
        EXPECT_FLOAT_EQ(hand.x, c.want.x);
        EXPECT_FLOAT_EQ(hand.y, c.want.y);
        EXPECT_FLOAT_EQ(hand.z, c.want.z);
        const SD::Vec3 previous = kinect->GetPreviousPosition(SD::Kinect_::LeftHand);
        const SD::Vec3 motion = kinect->GetMotion(SD::Kinect_::LeftHand);
        EXPECT_FLOAT_EQ(previous.x, before.x);
        EXPECT_FLOAT_EQ(previous.y, before.y);
        EXPECT_FLOAT_EQ(motion.x, c.want.x - before.x);
        EXPECT_FLOAT_EQ(motion.z, c.want.z - before.z);
        before = hand;
    }

    SkeletonFrame frame = Frame({0});
    frame.skeletons[0].joints[SD::Kinect_::kHipCentre] = {0.2f, 1.0f, 2.0f, 1};
    frame.skeletons[0].joints[SD::Kinect_::kShoulderCentre] = {0.6f, 3.0f, 4.0f, 1};
    Deliver(frame);
    const SD::Vec3 torso = kinect->GetJointMidpoint();
    EXPECT_FLOAT_EQ(torso.x, 0.2f);
    EXPECT_FLOAT_EQ(torso.y, -2.0f);
    EXPECT_FLOAT_EQ(torso.z, 3.0f);
    const SD::Vec3 torsoMotion = kinect->GetMotion(SD::Kinect_::Torso);
    const SD::Vec3 torsoBefore = kinect->GetPreviousPosition(SD::Kinect_::Torso);
    EXPECT_FLOAT_EQ(torsoMotion.z, 3.0f - torsoBefore.z);
}

TEST_F(KinectWithSensor, UpdateFlagsTheFirstAndSecondTrackedPlayers) {
    kinect->Initialize();
    struct Case {
        std::initializer_list<int> tracked;
        bool first, second;
    };
    const Case cases[] = {{{1, 3}, true, true}, {{5}, true, false}, {{}, false, false}, {{0, 1, 2}, true, true}};
    for (const Case& c : cases) {
        Deliver(Frame(c.tracked));
        kinect->Update(0.016f);
        EXPECT_EQ(kinect->IsFirstPlayerTracked(), c.first);
        EXPECT_EQ(kinect->IsSecondPlayerTracked(), c.second);
    }
}

TEST_F(KinectWithSensor, TiltIsClampedToTheSensorsRange) {
    kinect->Initialize();
    struct Case {
        long asked, set;
    };
    for (Case c : {Case{40, 27}, Case{-100, -27}, Case{10, 10}, Case{-27, -27}}) {
        EXPECT_EQ(kinect->SetElevation(c.asked), c.set);
        EXPECT_EQ(sensor.ElevationAngle(), std::optional<long>(c.set));
    }
}

TEST_F(KinectWithSensor, ConnectsAndDisconnectsAreHandledOnTheMainThread) {
    sensor.Unplug();
    kinect->Initialize();
    EXPECT_FALSE(kinect->IsConnected());
    EXPECT_EQ(listener.count, 0);

    sensor.Plug();
    EXPECT_FALSE(kinect->IsConnected()) << "nothing happens on the runtime's thread";
    kinect->Update(0.016f);
    EXPECT_TRUE(kinect->IsConnected());
    EXPECT_EQ(listener.count, 1);
    EXPECT_EQ(listener.thread, std::this_thread::get_id());
    Deliver(Frame({3}));
    EXPECT_EQ(kinect->GetTrackedSkeleton(), 3);

    sensor.Unplug();
    kinect->Update(0.016f);
    EXPECT_FALSE(kinect->IsConnected());
    EXPECT_FALSE(sensor.IsTracking());

    sensor.Plug();
    kinect->Update(0.016f);
    EXPECT_TRUE(kinect->IsConnected());
    EXPECT_EQ(listener.count, 2);
    Deliver(Frame({1}));
    EXPECT_EQ(kinect->GetTrackedSkeleton(), 1) << "skeleton 3 is no longer tracked";
}

// Once shut down the system stops listening: a sensor plugged in afterwards is left closed.
TEST_F(KinectWithSensor, ShutdownStopsListeningForConnects) {
    sensor.Unplug();
    kinect->Initialize();
    kinect->Shutdown();
    sensor.Plug();
    kinect->Update(0.016f);
    EXPECT_FALSE(kinect->IsConnected());
    EXPECT_FALSE(sensor.IsInitialized());
}

}  // namespace
