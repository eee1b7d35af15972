#include "platform/sensor/ScriptedSensor.h"

#include <thread>

namespace platform::sensor {

int ScriptedSensor::Initialize(uint32_t flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++initializeCount_;
    initializeFlags_ = flags;
    if (!present_) return kNoSensor;
    initialized_ = true;
    return 0;
}

int ScriptedSensor::EnableSkeletonTracking(Event* frameReady, uint32_t) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!initialized_ || !frameReady) return kNoSensor;
    frameReady_ = frameReady;
    return 0;
}

int ScriptedSensor::GetNextSkeletonFrame(uint32_t, SkeletonFrame& frame) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (frameReady_) frameReady_->Reset();
    if (!pending_) return kNoSensor;
    frame = *pending_;
    pending_.reset();
    return 0;
}

int ScriptedSensor::SmoothSkeletonFrame(SkeletonFrame&, const SmoothingParameters& parameters) {
    std::lock_guard<std::mutex> lock(mutex_);
    smoothing_ = parameters;
    return initialized_ ? 0 : kNoSensor;
}

void ScriptedSensor::DisableSkeletonTracking() {
    std::lock_guard<std::mutex> lock(mutex_);
    frameReady_ = nullptr;
    pending_.reset();
}

void ScriptedSensor::Shutdown() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++shutdownCount_;
    initialized_ = false;
    frameReady_ = nullptr;
    pending_.reset();
}

int ScriptedSensor::SetElevationAngle(long degrees) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!initialized_) return kNoSensor;
    elevation_ = degrees;
    return 0;
}

void ScriptedSensor::SetDeviceStatusCallback(StatusCallback callback, void* user) {
    std::lock_guard<std::mutex> lock(mutex_);
    callback_ = callback;
    callbackUser_ = user;
}

void ScriptedSensor::ReportStatus(int status) {
    StatusCallback callback;
    void* user;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        callback = callback_;
        user = callbackUser_;
    }
    if (!callback) return;
    std::thread reporter([=] { callback(status, "Sensor 0", "scripted-sensor", user); });
    reporter.join();
}

void ScriptedSensor::Plug() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        present_ = true;
    }
    ReportStatus(0);
}

void ScriptedSensor::Unplug() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        present_ = false;
        initialized_ = false;
        frameReady_ = nullptr;
        pending_.reset();
    }
    ReportStatus(kNoSensor);
}

bool ScriptedSensor::DeliverFrame(const SkeletonFrame& frame) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!frameReady_) return false;
    pending_ = frame;
    frameReady_->Set();
    return true;
}

bool ScriptedSensor::IsInitialized() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return initialized_;
}

bool ScriptedSensor::IsTracking() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frameReady_ != nullptr;
}

int ScriptedSensor::InitializeCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return initializeCount_;
}

int ScriptedSensor::ShutdownCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shutdownCount_;
}

uint32_t ScriptedSensor::InitializeFlags() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return initializeFlags_;
}

std::optional<long> ScriptedSensor::ElevationAngle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return elevation_;
}

std::optional<SmoothingParameters> ScriptedSensor::LastSmoothing() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return smoothing_;
}

}  // namespace platform::sensor
