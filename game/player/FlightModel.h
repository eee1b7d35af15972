#pragma once
// How the player's vehicle flies: three angles (pitch, yaw, roll, in degrees) with their own
// angular velocities, integrated from pitch and yaw input, rebuild the owner's orientation; the
// thrust along the facing axis is the caller's business.
#include "core/Vector.h"

namespace SD {
class Transform;
}

namespace QV {

enum class FlightMode { kPad, kKinect, kReturn };

struct FlightState {
    SD::Vec3 acceleration;  // per-axis scale of pitch (x), yaw (y) and roll (z) input
    SD::Vec3 damping;       // per-axis base, applied as damping^dt
    SD::Vec3 angularVelocity;
    SD::Vec3 angles;  // degrees: x pitch, y yaw, z roll
    float maxRoll = 30.0f;
    float stabilize = 0.0f;  // how fast the roll returns to level without lateral input
};

// One step of the flight for a vehicle moving at `velocity` (a low dive pulls the nose up the
// harder the faster it goes); the transform's orientation is rebuilt from the angles. Returns the
// facing axis (local Z) normalised, or the previous facing when the axis has no length.
SD::Vec3 StepFlight(FlightState& state, SD::Transform& transform, const SD::Vec3& velocity, float pitchInput,
                    float yawInput, float dt, FlightMode mode);

// The orientation the angles give: yaw about Y, then pitch about X, then roll about -Z.
void ApplyAngles(const SD::Vec3& angles, SD::Transform& transform);

// The factor by which the nose's height changes the thrust (f is the facing axis's y).
float NoseTerm(float f, FlightMode mode);

// An input squared with its sign kept: half deflection gives a quarter of the turn.
inline float SignedSquare(float v) { return v * (v < 0.0f ? -v : v); }

}  // namespace QV
