#pragma once
// A sensor runtime driven by a test: plug and unplug the sensor (the status callback runs on
// a thread of its own, as a real runtime's does), hand over skeleton frames, and read back
// the tilt and what the engine asked for.
#include <mutex>
#include <optional>

#include "platform/sensor/Sensor.h"

namespace platform::sensor {

class ScriptedSensor : public Runtime {
public:
    explicit ScriptedSensor(bool present = true) : present_(present) {}

    int Initialize(uint32_t flags) override;
    int EnableSkeletonTracking(Event* frameReady, uint32_t flags) override;
    // Hands over the frame delivered last, once; fails when there is none.
    int GetNextSkeletonFrame(uint32_t timeoutMs, SkeletonFrame& frame) override;
    // Leaves the joints as they are and records the parameters.
    int SmoothSkeletonFrame(SkeletonFrame& frame, const SmoothingParameters& parameters) override;
    void DisableSkeletonTracking() override;
    void Shutdown() override;
    int SetElevationAngle(long degrees) override;
    void SetDeviceStatusCallback(StatusCallback callback, void* user) override;

    // Connects or disconnects the sensor and reports it through the status callback, on a
    // separate thread; returns once the callback has returned.
    void Plug();
    void Unplug();
    // Makes a frame ready when tracking is on; false when it is not.
    bool DeliverFrame(const SkeletonFrame& frame);

    bool IsInitialized() const;
    bool IsTracking() const;
    int InitializeCount() const;
    int ShutdownCount() const;
    uint32_t InitializeFlags() const;
    std::optional<long> ElevationAngle() const;
    std::optional<SmoothingParameters> LastSmoothing() const;

private:
    void ReportStatus(int status);

    // Guards every field below: tests script the sensor on their thread while the sensor's
    // worker reads it.
    mutable std::mutex mutex_;
    bool present_;
    bool initialized_ = false;
    Event* frameReady_ = nullptr;
    std::optional<SkeletonFrame> pending_;
    int initializeCount_ = 0;
    int shutdownCount_ = 0;
    uint32_t initializeFlags_ = 0;
    std::optional<long> elevation_;
    std::optional<SmoothingParameters> smoothing_;
    StatusCallback callback_ = nullptr;
    void* callbackUser_ = nullptr;
};

}  // namespace platform::sensor
