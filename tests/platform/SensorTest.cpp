#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/sensor/ScriptedSensor.h"

namespace {

using namespace platform::sensor;

TEST(Sensor, NoSensorIsPresentByDefault) {
    Runtime& runtime = CurrentRuntime();
    EXPECT_LT(runtime.Initialize(kInitSkeletonDepthAndPlayerIndex), 0);
    platform::Event ready(true, false);
    EXPECT_LT(runtime.EnableSkeletonTracking(&ready, 0), 0);
    SkeletonFrame frame;
    EXPECT_LT(runtime.GetNextSkeletonFrame(0, frame), 0);
    EXPECT_LT(runtime.SetElevationAngle(10), 0);

    ScriptedSensor sensor;
    AttachRuntime(&sensor);
    EXPECT_EQ(&CurrentRuntime(), &sensor);
    AttachRuntime(nullptr);
    EXPECT_NE(&CurrentRuntime(), &sensor);
}

TEST(Sensor, ScriptedFramesAreHandedOverOnceThroughTheReadyEvent) {
    ScriptedSensor sensor;
    SkeletonFrame frame;
    frame.skeletons[3].trackingState = kStateTracked;
    frame.skeletons[3].joints[7].x = 0.25f;
    EXPECT_FALSE(sensor.DeliverFrame(frame)) << "tracking is off";

    platform::Event ready(true, false);
    ASSERT_EQ(sensor.Initialize(kInitSkeletonDepthAndPlayerIndex), 0);
    ASSERT_EQ(sensor.EnableSkeletonTracking(&ready, 0), 0);
    ASSERT_TRUE(sensor.DeliverFrame(frame));
    EXPECT_EQ(ready.Wait(0), platform::WaitResult::Signalled);

    SkeletonFrame taken;
    ASSERT_EQ(sensor.GetNextSkeletonFrame(0, taken), 0);
    EXPECT_EQ(ready.Wait(0), platform::WaitResult::TimedOut);
    EXPECT_EQ(taken.skeletons[3].trackingState, kStateTracked);
    EXPECT_EQ(taken.skeletons[3].joints[7].x, 0.25f);
    EXPECT_LT(sensor.GetNextSkeletonFrame(0, taken), 0) << "a frame is handed over once";

    EXPECT_EQ(sensor.SetElevationAngle(-12), 0);
    EXPECT_EQ(sensor.ElevationAngle(), std::optional<long>(-12));
    sensor.DisableSkeletonTracking();
    EXPECT_FALSE(sensor.DeliverFrame(frame));
    sensor.Shutdown();
    EXPECT_EQ(sensor.ShutdownCount(), 1);
    EXPECT_LT(sensor.SetElevationAngle(3), 0);
}

struct StatusLog {
    std::vector<int> statuses;
    std::vector<std::thread::id> threads;
};

void RecordStatus(int status, const char*, const char*, void* user) {
    auto* log = static_cast<StatusLog*>(user);
    log->statuses.push_back(status);
    log->threads.push_back(std::this_thread::get_id());
}

TEST(Sensor, StatusChangesArriveOnAnotherThread) {
    ScriptedSensor sensor(false);
    EXPECT_LT(sensor.Initialize(kInitSkeletonDepthAndPlayerIndex), 0);
    StatusLog log;
    sensor.SetDeviceStatusCallback(&RecordStatus, &log);
    sensor.Plug();
    EXPECT_EQ(sensor.Initialize(kInitSkeletonDepthAndPlayerIndex), 0);
    sensor.Unplug();
    EXPECT_FALSE(sensor.IsInitialized());
    ASSERT_EQ(log.statuses.size(), 2u);
    EXPECT_EQ(log.statuses[0], 0);
    EXPECT_NE(log.statuses[1], 0);
    for (auto id : log.threads) EXPECT_NE(id, std::this_thread::get_id());
}

}  // namespace
