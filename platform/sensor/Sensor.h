#pragma once
// The body-tracking sensor runtime as the engine calls it: initialise, skeleton tracking
// with a frame-ready event, frames of six skeletons, smoothing, tilt and a device-status
// callback. No sensor is present by default; tests attach a scripted one.
#include <cstdint>

#include "platform/os/Threads.h"

namespace platform::sensor {

constexpr int kSkeletonCount = 6;
constexpr int kJointCount = 20;
constexpr int kStateTracked = 2;
// Initialise for skeleton tracking together with depth and player index.
constexpr uint32_t kInitSkeletonDepthAndPlayerIndex = 9;
// The runtime's failure result when there is no sensor.
constexpr int kNoSensor = -1;

struct JointPosition {
    float x = 0, y = 0, z = 0, w = 0;
};

struct Skeleton {
    int trackingState = 0;
    JointPosition joints[kJointCount];
};

struct SkeletonFrame {
    Skeleton skeletons[kSkeletonCount];
};

struct SmoothingParameters {
    float smoothing = 0, correction = 0, prediction = 0, jitterRadius = 0, maxDeviationRadius = 0;
};

// Called with 0 when a sensor was connected and anything else when it went away. It may be
// called on a thread of the runtime's own.
using StatusCallback = void (*)(int status, const char* instanceName, const char* deviceName, void* user);

// Results below zero are failures.
class Runtime {
public:
    virtual ~Runtime() = default;
    virtual int Initialize(uint32_t flags) = 0;
    // The event is set when a skeleton frame is ready and cleared when it is taken.
    virtual int EnableSkeletonTracking(Event* frameReady, uint32_t flags) = 0;
    virtual int GetNextSkeletonFrame(uint32_t timeoutMs, SkeletonFrame& frame) = 0;
    virtual int SmoothSkeletonFrame(SkeletonFrame& frame, const SmoothingParameters& parameters) = 0;
    virtual void DisableSkeletonTracking() = 0;
    virtual void Shutdown() = 0;
    virtual int SetElevationAngle(long degrees) = 0;
    virtual void SetDeviceStatusCallback(StatusCallback callback, void* user) = 0;
};

// The runtime in force: the attached one, else one that has no sensor.
Runtime& CurrentRuntime();
// Attaches a runtime (the caller keeps it); nullptr goes back to no sensor.
void AttachRuntime(Runtime* runtime);

}  // namespace platform::sensor
