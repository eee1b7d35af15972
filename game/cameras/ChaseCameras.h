#pragma once
// Small camera components besides the follow camera: a camera flown with a 3D mouse (which also
// carries the editor's cursor in front of it), a chase camera whose look-at point hangs on a
// damped spring behind the player and that keeps out of the ground, and a bar that shows a
// fraction of its initial width.
#include "core/Vector.h"
#include "engine/Component.h"
#include "engine/GameObjectHandle.h"
#include "engine/UpdateComponent.h"
#include "graphics/components/Camera.h"

namespace QV {

class PimselCamera : public Aperture::Camera {
public:
    static constexpr float kRotationThreshold = 0.001f;
    static constexpr float kTranslationScale = 600.0f;
    static constexpr float kCursorDistance = 100.0f;

    PimselCamera() { SetID(SD::CID_PimselMouse); }
    SD::ComponentID VGetID() const override { return SD::CID_PimselMouse; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool) override {}
    void VSerialize(SD::IStream&, int) override {}
    // Flies only while it is the front camera; a paused frame (dt 0) steps by the core's
    // smoothed frame time.
    void VUpdate(float dt) override;
    // One flight step from the 3D mouse's rotation and translation axes.
    void Fly(const SD::Vec3& rotation, const SD::Vec3& translation, float dt);
};

class ObscuraCameraLogic : public SD::IUpdateComponent {
public:
    static constexpr float kSpringPull = 500.0f;
    static constexpr float kMaxSpringSpeed = 200.0f;

    ObscuraCameraLogic() { SetID(SD::CID_ObscuraCamera); }
    SD::ComponentID VGetID() const override { return SD::CID_ObscuraCamera; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream&, int) override {}
    void VUpdate(float) override {}
    // The spring moves in the simulation's fixed steps, after the vehicle.
    bool VTakesFixedSteps() const override { return true; }
    void VFixedUpdate(float step) override;

    SD::GameObject* GetTarget() const { return target_.get(); }
    const SD::Vec3& GetSpringPoint() const { return spring_; }
    const SD::Vec3& GetSpringVelocity() const { return velocity_; }
    // The distance behind the target for a speed along its facing: 7.8 up to 15.
    static float Distance(float forwardSpeed);

private:
    // The vehicle ("Player") once it exists: a level makes its cameras before the play state
    // makes the vehicle, and a new visit makes a new one. The spring starts on it.
    SD::GameObject* FindTarget();

    SD::GameObjectHandle target_;
    float stiffness_ = 0.0f;
    SD::Vec3 spring_;
    SD::Vec3 acceleration_;
    SD::Vec3 velocity_;
    float damping_ = 0.0f;
};

class DataBarController : public SD::Component {
public:
    DataBarController() { SetID(SD::CID_DataBarController); }
    SD::ComponentID VGetID() const override { return SD::CID_DataBarController; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VInitialize(bool fromScript) override;
    void VRegister() override {}
    void VUnregister() override {}

    float GetWorkingValue() const { return workingValue_; }
    float GetMaxValue() const { return maxValue_; }
    // The shown fraction of the maximum; 0 for a bar with no maximum.
    float GetFraction() const { return maxValue_ != 0.0f ? workingValue_ / maxValue_ : 0.0f; }
    float GetInitialScaleX() const { return initialScaleX_; }

private:
    float maxValue_ = 0.0f;
    float workingValue_ = 0.0f;
    float initialScaleX_ = 0.0f;
    float initialScaleY_ = 0.0f;
};

}  // namespace QV
