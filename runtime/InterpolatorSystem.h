#pragma once
// Timed linear interpolations of a float or a 3-vector on the engine clock. Every
// interpolator links itself into the system for its whole life; the system advances them all
// once a frame, and the clock runs on through pauses.
#include <cstddef>
#include <list>

#include "core/System.h"
#include "core/Vector.h"

namespace SD {

class IInterpolator {
public:
    IInterpolator();
    virtual ~IInterpolator();
    IInterpolator(const IInterpolator&) = delete;
    IInterpolator& operator=(const IInterpolator&) = delete;
    // Advances to the engine time (seconds); true once complete.
    virtual bool Update(float time) = 0;

private:
    friend class InterpolatorSystem;
    std::list<IInterpolator*>::iterator link_;
    bool registered_ = false;
};

template <class T>
class Interpolator : public IInterpolator {
public:
    Interpolator();
    // From `from` to `to`, started now, with no duration yet.
    Interpolator(const T& from, const T& to);
    // A duration within 0.0001 s of zero keeps the previous one.
    void Start(const T& from, const T& to, double duration);
    void Restart(double duration);
    // Runs back from the end to the start, from now, over the same duration.
    void Reverse();
    bool Update(float time) override;

    const T& GetValue() const { return value_; }
    bool IsComplete() const { return complete_; }
    double GetDuration() const { return duration_; }
    float GetFraction() const { return fraction_; }

private:
    void Begin(double duration);

    float startTime_;
    float elapsed_ = 0.0f;
    double duration_ = 0.0;
    T start_;
    T delta_;
    float fraction_ = 0.0f;
    T value_;
    bool complete_ = false;
};

using InterpolatorF = Interpolator<float>;
using InterpolatorV3 = Interpolator<Vec3>;

class InterpolatorSystem : public ISystem {
public:
    static InterpolatorSystem& GetInstance();
    static void DestroyInstance();

    InterpolatorSystem();
    ~InterpolatorSystem() override;

    const char* GetName() const override { return "InterpolatorSystem"; }
    void Update(float dt) override;
    size_t Count() const { return interpolators_.size(); }

private:
    friend class IInterpolator;
    void Link(IInterpolator* interpolator);
    void Unlink(IInterpolator* interpolator);

    std::list<IInterpolator*> interpolators_;
};

}  // namespace SD
