#pragma once
// The body-tracking sensor system: opens a sensor when one is present, tracks one player's
// skeleton on a worker thread, and offers the player's joints, the motion of both hands and
// the torso since the previous frame, the tracked-player flags and the sensor's tilt.
// Without a sensor everything reads as not tracked.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/System.h"
#include "core/Vector.h"
#include "platform/os/Threads.h"
#include "platform/sensor/Sensor.h"

namespace SD {

class Kinect_ : public ISystem {
public:
    // The three points whose motion is followed.
    enum TrackedPoint { LeftHand = 0, RightHand = 1, Torso = 2 };

    static constexpr unsigned kImageWidth = 640;
    static constexpr unsigned kImageHeight = 480;
    static constexpr int kJointCount = platform::sensor::kJointCount;
    static constexpr int kHipCentre = 0;
    static constexpr int kShoulderCentre = 2;
    static constexpr int kLeftHand = 7;
    static constexpr int kRightHand = 11;
    static constexpr long kMaxElevation = 27;
    static constexpr uint32_t kFrameWaitMs = 100;

    // The one system, created on first use.
    static Kinect_* GetInstance();
    static void DestroyInstance();

    Kinect_();
    ~Kinect_() override;
    Kinect_(const Kinect_&) = delete;
    Kinect_& operator=(const Kinect_&) = delete;

    const char* GetName() const override { return "Kinect"; }
    // Opens the sensor and asks the runtime to report connects and disconnects.
    void Initialize() override;
    // Stops listening for connects and closes the sensor.
    void Shutdown() override;
    // Acts on the connects and disconnects reported since the last frame, then sets the
    // tracked-player flags from the latest skeleton frame.
    void Update(float dt) override;

    // Opens the sensor and starts the worker; sends QV::KinectDeviceChange on success.
    bool OpenSensor();
    // Stops the worker and closes the sensor; a second close does nothing.
    void CloseSensor();
    bool IsConnected() const { return connected_; }

    bool IsFirstPlayerTracked() const { return firstTracked_; }
    bool IsSecondPlayerTracked() const { return secondTracked_; }
    // The skeleton followed (0 to 5), or -1 before any was tracked.
    int GetTrackedSkeleton() const;
    // A joint of the tracked player; the origin for an index out of range.
    Vec3 GetJointPosition(int joint) const;
    // The torso centre: the midpoint of the hip and shoulder centres.
    Vec3 GetJointMidpoint() const;
    // Where the point stood before the latest frame, and how far it moved in it.
    Vec3 GetPreviousPosition(TrackedPoint point) const;
    Vec3 GetMotion(TrackedPoint point) const;

    // Tilts the sensor, clamped to -27..27 degrees; returns the angle asked for.
    long SetElevation(long degrees);

    // Waits until the worker has processed this many frames since the sensor was made;
    // false on time-out.
    bool WaitForFrames(uint64_t count, uint32_t timeoutMs) const;

private:
    static void OnDeviceStatus(int status, const char* instanceName, const char* deviceName, void* user);
    void WorkerLoop(platform::Event* stop, platform::Event* frameReady);
    void ProcessFrame();
    Vec3 JointLocked(int joint) const;
    Vec3 MidpointLocked() const;
    Vec3 PointLocked(TrackedPoint point) const;
    void CopyJointsLocked(int skeleton);

    platform::sensor::Runtime* runtime_ = nullptr;       // the runtime the sensor was opened on
    platform::sensor::Runtime* statusSource_ = nullptr;  // the runtime reporting connects to us
    bool runtimeOpen_ = false;
    bool connected_ = false;
    bool firstTracked_ = false;
    bool secondTracked_ = false;

    std::unique_ptr<platform::Event> stopEvent_;
    std::unique_ptr<platform::Event> frameEvent_;
    platform::Thread worker_;

    // The Kinect lock: the worker writes, the main thread reads.
    mutable platform::CriticalSection lock_;
    mutable std::condition_variable_any processed_;
    platform::sensor::SkeletonFrame frame_;
    Vec3 joints_[kJointCount];
    Vec3 previous_[3];
    Vec3 motion_[3];
    int trackedSkeleton_ = -1;
    uint64_t framesProcessed_ = 0;

    // Connects and disconnects reported on the runtime's thread, for the main thread.
    std::mutex statusMutex_;
    std::vector<int> pendingStatus_;
};

}  // namespace SD
