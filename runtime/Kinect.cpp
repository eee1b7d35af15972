#include "runtime/Kinect.h"

#include <algorithm>
#include <chrono>

#include "core/MessageSystem.h"
#include "core/Singleton.h"
#include "runtime/KinectDeviceChange.h"

namespace SD {
namespace {

using platform::sensor::kSkeletonCount;
using platform::sensor::kStateTracked;

const platform::sensor::SmoothingParameters kSmoothing{0.5f, 0.5f, 0.5f, 0.05f, 0.04f};

}  // namespace

Kinect_* Kinect_::GetInstance() { return Singleton<Kinect_>::Get(); }

void Kinect_::DestroyInstance() { Singleton<Kinect_>::Destroy(); }

Kinect_::Kinect_() = default;

Kinect_::~Kinect_() { Shutdown(); }

void Kinect_::Initialize() {
    OpenSensor();
    statusSource_ = &platform::sensor::CurrentRuntime();
    statusSource_->SetDeviceStatusCallback(&Kinect_::OnDeviceStatus, this);
}

// A connect reported after this must not reopen the sensor.
void Kinect_::Shutdown() {
    if (statusSource_) statusSource_->SetDeviceStatusCallback(nullptr, nullptr);
    statusSource_ = nullptr;
    {
        std::lock_guard<std::mutex> lock(statusMutex_);
        pendingStatus_.clear();
    }
    CloseSensor();
}

// The runtime calls this on a thread of its own: the main thread acts on it in Update.
void Kinect_::OnDeviceStatus(int status, const char*, const char*, void* user) {
    auto* self = static_cast<Kinect_*>(user);
    std::lock_guard<std::mutex> lock(self->statusMutex_);
    self->pendingStatus_.push_back(status);
}

void Kinect_::Update(float) {
    std::vector<int> statuses;
    {
        std::lock_guard<std::mutex> lock(statusMutex_);
        statuses.swap(pendingStatus_);
    }
    for (int status : statuses) {
        if (status == 0)
            OpenSensor();
        else
            CloseSensor();
    }

    platform::Lock lock(lock_);
    firstTracked_ = secondTracked_ = false;
    for (const auto& skeleton : frame_.skeletons) {
        if (skeleton.trackingState != kStateTracked) continue;
        if (!firstTracked_)
            firstTracked_ = true;
        else {
            secondTracked_ = true;
            break;
        }
    }
}

bool Kinect_::OpenSensor() {
    CloseSensor();
    runtime_ = &platform::sensor::CurrentRuntime();
    if (runtime_->Initialize(platform::sensor::kInitSkeletonDepthAndPlayerIndex) < 0) {
        CloseSensor();
        return false;
    }
    runtimeOpen_ = true;
    frameEvent_ = std::make_unique<platform::Event>(true, false);
    if (runtime_->EnableSkeletonTracking(frameEvent_.get(), 0) < 0) {
        CloseSensor();
        return false;
    }
    stopEvent_ = std::make_unique<platform::Event>(false, false);
    platform::Event* stop = stopEvent_.get();
    platform::Event* frameReady = frameEvent_.get();
    if (!worker_.Start([this, stop, frameReady] { WorkerLoop(stop, frameReady); }, {"SD::Kinect"}).started) {
        CloseSensor();
        return false;
    }
    QV::KinectDeviceChange change;
    Message_System::GetInstance()->SendMessage(change);
    connected_ = true;
    return true;
}

void Kinect_::CloseSensor() {
    connected_ = false;
    if (runtimeOpen_) runtime_->DisableSkeletonTracking();
    if (stopEvent_) {
        stopEvent_->Set();
        worker_.Join();
        stopEvent_.reset();
    }
    if (runtimeOpen_) runtime_->Shutdown();
    runtimeOpen_ = false;
    frameEvent_.reset();
}

void Kinect_::WorkerLoop(platform::Event* stop, platform::Event* frameReady) {
    platform::Event* events[2] = {stop, frameReady};
    for (;;) {
        const int signalled = platform::Event::WaitAny(events, 2, kFrameWaitMs);
        if (signalled == 0) return;
        if (signalled == 1) ProcessFrame();
    }
}

void Kinect_::ProcessFrame() {
    platform::Lock lock(lock_);
    Vec3 before[3];
    for (int i = 0; i < 3; ++i) before[i] = PointLocked(TrackedPoint(i));
    if (runtime_->GetNextSkeletonFrame(0, frame_) < 0) return;
    runtime_->SmoothSkeletonFrame(frame_, kSmoothing);

    if (trackedSkeleton_ < 0 || frame_.skeletons[trackedSkeleton_].trackingState != kStateTracked) {
        for (int i = 0; i < kSkeletonCount; ++i) {
            if (frame_.skeletons[i].trackingState == kStateTracked) {
                trackedSkeleton_ = i;
                break;
            }
        }
    }
    if (trackedSkeleton_ >= 0 && frame_.skeletons[trackedSkeleton_].trackingState == kStateTracked)
        CopyJointsLocked(trackedSkeleton_);

    for (int i = 0; i < 3; ++i) {
        previous_[i] = before[i];
        motion_[i] = PointLocked(TrackedPoint(i)) - before[i];
    }
    ++framesProcessed_;
    processed_.notify_all();
}

void Kinect_::CopyJointsLocked(int skeleton) {
    const auto& joints = frame_.skeletons[skeleton].joints;
    for (int j = 0; j < kJointCount; ++j) {
        joints_[j].x = std::clamp(joints[j].x * 0.5f, -1.0f, 1.0f);
        joints_[j].y = -joints[j].y;
        joints_[j].z = joints[j].z;
    }
}

Vec3 Kinect_::JointLocked(int joint) const { return joint >= 0 && joint < kJointCount ? joints_[joint] : Vec3{}; }

Vec3 Kinect_::MidpointLocked() const {
    const Vec3& a = joints_[kHipCentre];
    const Vec3& b = joints_[kShoulderCentre];
    return {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
}

Vec3 Kinect_::PointLocked(TrackedPoint point) const {
    switch (point) {
        case LeftHand:
            return JointLocked(kLeftHand);
        case RightHand:
            return JointLocked(kRightHand);
        case Torso:
            return MidpointLocked();
    }
    return {};
}

int Kinect_::GetTrackedSkeleton() const {
    platform::Lock lock(lock_);
    return trackedSkeleton_;
}

Vec3 Kinect_::GetJointPosition(int joint) const {
    platform::Lock lock(lock_);
    return JointLocked(joint);
}

Vec3 Kinect_::GetJointMidpoint() const {
    platform::Lock lock(lock_);
    return MidpointLocked();
}

Vec3 Kinect_::GetPreviousPosition(TrackedPoint point) const {
    platform::Lock lock(lock_);
    return previous_[point];
}

Vec3 Kinect_::GetMotion(TrackedPoint point) const {
    platform::Lock lock(lock_);
    return motion_[point];
}

long Kinect_::SetElevation(long degrees) {
    const long angle = std::clamp(degrees, -kMaxElevation, kMaxElevation);
    (runtimeOpen_ ? *runtime_ : platform::sensor::CurrentRuntime()).SetElevationAngle(angle);
    return angle;
}

bool Kinect_::WaitForFrames(uint64_t count, uint32_t timeoutMs) const {
    std::unique_lock<platform::CriticalSection> lock(lock_);
    return processed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return framesProcessed_ >= count; });
}

}  // namespace SD
