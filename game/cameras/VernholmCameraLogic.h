#pragma once
// The follow camera of the player's vehicle: sits a speed-dependent distance behind its target,
// looks at a point that leads with the target's speed, lets the right stick shift the view and
// leans with the vehicle's roll. Handed another target, it glides there, circles it once and
// glides back to the vehicle. In every state it keeps out of the ground and the islands, and
// nothing solid stands between it and its target. All arithmetic is in double precision. It
// moves in the fixed steps of the simulation, right after the vehicle, so its blends, rings and
// glide take the same seconds at any frame rate.
#include <string>

#include "core/Matrix.h"
#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "engine/UpdateComponent.h"

namespace SD {
class GameObject;
}

namespace QV {

class VernholmCameraLogic : public SD::IUpdateComponent {
public:
    static constexpr int kLookAheadCount = 10;
    static constexpr int kRingCount = 60;
    static constexpr int kInputCount = 25;
    static constexpr unsigned kGlideFrames = 120;
    static constexpr unsigned kApproachFrames = 60;
    static constexpr double kPitchScale = 1200.0;
    static constexpr double kYawScale = 2000.0;
    static constexpr double kLean = 4.0;
    static constexpr float kOrbitFov = 25.0f;
    // The farthest each gathering of fireflies may push the chase radius out, over the radius the
    // camera was filed with: compounded through a playthrough it would double, and at the
    // ramped speed the vehicle would be a speck.
    static constexpr double kMostRadiusGrowth = 1.5;

    enum State : unsigned { kReturn, kGlide, kFollow, kLeave, kApproach, kOrbit };

    VernholmCameraLogic() { SetID(SD::CID_VernholmCameraLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_VernholmCameraLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float) override {}
    bool VTakesFixedSteps() const override { return true; }
    void VFixedUpdate(float step) override;

    // A new target: the vehicle ("Player") is glided back to, anything else is visited.
    void SetTarget(SD::GameObject* object);
    // Only the target changes: the state, the rings and the player's controls stay.
    void SetTargetName(const std::string& name);

    unsigned GetState() const { return state_; }
    SD::GameObject* GetTarget() const { return target_.get(); }
    double GetMinRadius() const { return minRadius_; }
    double GetMaxRadius() const { return maxRadius_; }
    void SetMaxRadius(double radius) { maxRadius_ = radius; }
    // The chase radius times `factor`, held within kMostRadiusGrowth of the filed one.
    void GrowMaxRadius(double factor);
    const SD::Vec3d& GetDirection() const { return direction_; }
    const SD::Vec3d& GetUp() const { return up_; }

private:
    struct Frame {
        SD::Vec3d position;
        SD::Vec3d facing;  // normalised
        SD::Vec3d facingRaw;
        SD::Vec3d up;     // normalised
        SD::Vec3d right;  // normalised
        SD::Vec3d rightRaw;
        SD::Vec3d velocity;
    };

    void BlendDirection(const Frame& f);
    void BlendUp(const SD::Vec3d& up, double keep);
    double Lead(const Frame& f) const;
    void Prime();
    void GlidePlacement(const SD::Vec3d& target);
    // Writes where the camera may stand nearest to where it wants to, kept `kGroundClearance`
    // out of the ground and the islands with nothing solid between it and the target; returns it.
    SD::Vec3d PlaceCamera(const SD::Vec3d& wanted, const SD::Vec3d& target);
    void WriteOrientation(const SD::Mtx33d& orientation);
    void StepFollow(const Frame& f, double dt, double pitch, double yaw);
    void SetPlayerControls(bool enabled);
    SD::Vec3d CameraPosition() const;

    std::string targetName_;
    SD::GameObjectHandle target_;
    SD::Vec3d direction_{0.0, 0.0, 1.0};
    SD::Vec3d up_{0.0, 1.0, 0.0};
    SD::Vec3d lookAhead_[kLookAheadCount];
    SD::Vec3d cameraRing_[kRingCount];
    SD::Vec3d targetRing_[kRingCount];
    SD::Mtx33d orientation_;
    double minRadius_ = 0.0;
    double maxRadius_ = 0.0;
    double filedMaxRadius_ = 0.0;
    double minSpeed_ = 0.0;
    double keepDirection_ = 0.0;
    double takeDirection_ = 1.0;
    double keepUp_ = 0.0;
    double takeUp_ = 1.0;
    double flowerHeight_ = 0.0;
    double flowerDistance_ = 0.0;
    double flowerSpeed_ = 0.0;
    unsigned lookAheadIndex_ = 0;
    unsigned inputIndex_ = 0;
    unsigned frameCounter_ = 0;
    double orbitAngle_ = 0.0;
    SD::Vec3d orbitOffset_;
    SD::Vec3d previousTarget_;
    SD::Vec3d previousCamera_;
    unsigned state_ = kFollow;
    double pitchRing_[kInputCount] = {};
    double yawRing_[kInputCount] = {};
    SD::Vec3d lookPoint_;
};

}  // namespace QV
