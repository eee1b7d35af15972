#include "game/player/FlightModel.h"

#include <algorithm>
#include <cmath>

#include "core/MathUtil.h"
#include "core/Matrix.h"
#include "engine/Transform.h"

namespace QV {
namespace {

constexpr float kDiveHeight = 100.0f;
constexpr float kRollBackBoost = 200.0f;
constexpr float kRollBackAngle = 15.0f;

float PitchLimit(FlightMode mode) { return mode == FlightMode::kPad ? 75.0f : 50.0f; }

void Stabilize(FlightState& s, float yawInput, float dt, FlightMode mode) {
    const bool still = mode == FlightMode::kReturn ? std::fabs(yawInput) < 0.0001f : yawInput == 0.0f;
    if (still) s.angles.z *= std::max(0.0f, 1.0f - s.stabilize * dt);
}

void ClampRoll(FlightState& s) { s.angles.z = std::clamp(s.angles.z, -s.maxRoll, s.maxRoll); }

void ClampPitch(FlightState& s, FlightMode mode) {
    const float limit = PitchLimit(mode);
    s.angles.x = std::clamp(s.angles.x, -limit, limit);
}

}  // namespace

float NoseTerm(float f, FlightMode mode) {
    if (f > 0.0f) return -0.333f * f * f;
    return (mode == FlightMode::kKinect ? 0.45f : 1.1f) * f * f;
}

void ApplyAngles(const SD::Vec3& angles, SD::Transform& transform) {
    transform.SetOrient(SD::Mtx33::Identity());
    transform.RotateLocalYRad(angles.y * SD::kDegrees);
    transform.RotateLocalXRad(angles.x * SD::kDegrees);
    transform.RotateLocalZRad(-angles.z * SD::kDegrees);
}

SD::Vec3 StepFlight(FlightState& s, SD::Transform& transform, const SD::Vec3& velocity, float p, float y, float dt,
                    FlightMode mode) {
    const SD::Vec3 previousFacing = transform.GetDir();
    if (mode != FlightMode::kReturn) {
        const float facingY = transform.GetOrient()(1, 2);
        if (transform.GetLocalPos().y < kDiveHeight && facingY < 0.0f) {
            const float v = std::min(velocity.LengthSq() * 0.01f, 100.0f);
            p -= facingY * facingY * v * dt;
        }
    }
    const float yawFactor = mode == FlightMode::kReturn ? 2.0f : 1.7f;
    s.angularVelocity.y += s.acceleration.y * y * dt * yawFactor;
    s.angularVelocity.x += s.acceleration.x * p * dt * 1.7f;
    const bool rollingBack = (s.angles.z < -kRollBackAngle && y > 0.0f) || (s.angles.z > kRollBackAngle && y < 0.0f);
    s.angularVelocity.z += (s.acceleration.z + (rollingBack ? kRollBackBoost : 0.0f)) * y * dt;

    s.angularVelocity.y *= std::pow(s.damping.y, dt);
    s.angularVelocity.x *= std::pow(s.damping.x, dt);
    s.angularVelocity.z *= std::pow(s.damping.z, dt);
    s.angles += s.angularVelocity * dt;

    switch (mode) {
        case FlightMode::kPad:
            ClampRoll(s);
            ClampPitch(s, mode);
            Stabilize(s, y, dt, mode);
            break;
        case FlightMode::kKinect:
            Stabilize(s, y, dt, mode);
            ClampRoll(s);
            ClampPitch(s, mode);
            break;
        case FlightMode::kReturn:
            Stabilize(s, y, dt, mode);
            ClampRoll(s);
            break;
    }

    ApplyAngles(s.angles, transform);
    const SD::Vec3 facing = transform.GetDir();
    const float length = facing.Length();
    // A degenerate orientation keeps the last good facing rather than dividing by zero.
    if (!(length > 0.0f) || !std::isfinite(length)) return previousFacing;
    return facing * (1.0f / length);
}

}  // namespace QV
