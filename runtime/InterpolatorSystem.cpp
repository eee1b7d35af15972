#include "runtime/InterpolatorSystem.h"

#include <cmath>

#include "core/EngineCore.h"
#include "core/Singleton.h"

namespace SD {
namespace {

Vec3 Scale(const Vec3& v, float s) { return v * s; }
float Scale(float v, float s) { return v * s; }
Vec3 Difference(const Vec3& a, const Vec3& b) { return a - b; }
float Difference(float a, float b) { return a - b; }
template <class T>
T Unit();
template <>
float Unit<float>() {
    return 1.0f;
}
template <>
Vec3 Unit<Vec3>() {
    return Vec3(1.0f, 1.0f, 1.0f);
}

}  // namespace

IInterpolator::IInterpolator() {
    InterpolatorSystem::GetInstance().Link(this);
    registered_ = true;
}

IInterpolator::~IInterpolator() {
    if (registered_ && Singleton<InterpolatorSystem>::Peek()) Singleton<InterpolatorSystem>::Peek()->Unlink(this);
}

template <class T>
Interpolator<T>::Interpolator()
    : startTime_(static_cast<float>(Core::GetTime())), start_(), delta_(Unit<T>()), value_() {}

template <class T>
Interpolator<T>::Interpolator(const T& from, const T& to)
    : startTime_(static_cast<float>(Core::GetTime())), start_(from), delta_(Difference(to, from)), value_(from) {}

template <class T>
void Interpolator<T>::Begin(double duration) {
    if (duration < -0.0001 || duration > 0.0001) duration_ = duration;
    startTime_ = static_cast<float>(Core::GetTime());
    value_ = start_;
    elapsed_ = 0.0f;
    fraction_ = 0.0f;
    complete_ = false;
}

template <class T>
void Interpolator<T>::Start(const T& from, const T& to, double duration) {
    start_ = from;
    delta_ = Difference(to, from);
    Begin(duration);
}

template <class T>
void Interpolator<T>::Restart(double duration) {
    Begin(duration);
}

template <class T>
void Interpolator<T>::Reverse() {
    start_ = start_ + delta_;
    delta_ = Difference(T(), delta_);
    Begin(duration_);
}

template <class T>
bool Interpolator<T>::Update(float time) {
    elapsed_ = time - startTime_;
    double ratio = static_cast<double>(elapsed_) / duration_;
    // A negative duration would never come within reach of 1: it counts as complete at once.
    if (!(ratio < 1.0) || std::isnan(ratio) || duration_ < 0.0)
        fraction_ = 1.0f;
    else
        fraction_ = ratio > 0.0 ? static_cast<float>(ratio) : 0.0f;
    value_ = start_ + Scale(delta_, fraction_);
    complete_ = 0.9999 < fraction_ && fraction_ < 1.0001;
    return complete_;
}

template class Interpolator<float>;
template class Interpolator<Vec3>;

InterpolatorSystem& InterpolatorSystem::GetInstance() { return *Singleton<InterpolatorSystem>::Get(); }

void InterpolatorSystem::DestroyInstance() { Singleton<InterpolatorSystem>::Destroy(); }

InterpolatorSystem::InterpolatorSystem() = default;

InterpolatorSystem::~InterpolatorSystem() {
    for (IInterpolator* i : interpolators_) i->registered_ = false;
}

void InterpolatorSystem::Link(IInterpolator* interpolator) {
    interpolators_.push_back(interpolator);
    interpolator->link_ = std::prev(interpolators_.end());
}

void InterpolatorSystem::Unlink(IInterpolator* interpolator) {
    interpolators_.erase(interpolator->link_);
    interpolator->registered_ = false;
}

void InterpolatorSystem::Update(float) {
    float now = static_cast<float>(Core::GetTime());
    for (IInterpolator* i : interpolators_) i->Update(now);
}

}  // namespace SD
