#pragma once
// The player's vehicle: reads the flight controls (pad and keyboard, or the hands before the
// body-tracking sensor) in every fixed step of the simulation, flies the owner through the flight
// model and pushes its body along the facing axis, so that keys held for the same seconds fly the
// same way at any frame rate; once a frame it flaps the wings, slides the letterbox, widens the
// player camera's view with speed and takes a mode key; and it takes the push of strong winds.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/Message.h"
#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "engine/UpdateComponent.h"
#include "game/player/FlightModel.h"
#include "game/player/KinectControl.h"
#include "runtime/InputBindingSet.h"
#include "sound/system/GhostEngine.h"

namespace Gedankenexperiment {
class Body;
class Collider;
}  // namespace Gedankenexperiment

namespace SD {
class Transform;
}

namespace Aperture {
class Camera;
}

namespace QV {

// Which kinds of flight input were given in the last control step, for the speed ramp and the
// fireflies.
struct InputActivity {
    bool throttle = false;
    bool lateral = false;
    bool vertical = false;
};
InputActivity& GetInputActivity();

class PlayerLogic : public SD::IUpdateComponent {
public:
    static constexpr float kMaxRoll = 30.0f;
    static constexpr float kStrongWind = 14.0f;
    static constexpr float kWindPush = 15.0f;
    static constexpr float kRampDelay = 5.0f;
    static constexpr float kRampSeconds = 3.0f;
    static constexpr float kRampExtra = 1000.0f;
    static constexpr float kBoostExtra = 1000.0f;
    // The follow camera's field of view, in degrees: the narrowest, at rest, and the most speed
    // widens it by (at cruise and at the ramped speed the widening is near its whole).
    static constexpr float kRestFov = 25.0f;
    static constexpr float kFovWidening = 20.0f;

    PlayerLogic() { SetID(SD::CID_Player); }
    ~PlayerLogic() override;

    SD::ComponentID VGetID() const override { return SD::CID_Player; }
    int VGetVersion() const override { return 4; }
    bool VReadsVersion(int version) const override { return version == 3 || version == 4; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    bool VTakesFixedSteps() const override { return true; }
    // One step of the flight: the return home or the control mode, the speed ramp.
    void VFixedUpdate(float step) override;

    // Stops the body and puts the vehicle back at its reset position and angles.
    void Reset();
    // The pad and keyboard control mode: nothing unless controls are enabled.
    void StepPadInput(float dt);
    // The sensor control mode: the hands' gesture steers and pushes; flags always, flight only
    // while controls are enabled.
    void StepKinectInput(float dt);
    const KinectControl& GetKinect() const { return kinect_; }
    // Takes control while the vehicle is beyond the playable area and steers it back towards the
    // world's centre, watched by a free camera; true while the control mode is held back.
    bool ReturnToWorld(float dt);
    bool IsReturning() const { return returning_; }
    bool IsCinematic() const { return cinematic_; }
    void SetCinematic(bool on) { cinematic_ = on; }
    SD::GameObject* GetFreeCamera() const { return freeCamera_.get(); }

    // The colours the HUD fade leaves the vehicle with: a dimmed model and light, grey wings,
    // and the player camera's distance restored.
    void ApplyHudFadeColours();

    void OnWindMessage(SD::IMessage* message);
    void OnCollision(Gedankenexperiment::Collider* other);

    bool GetControlsEnabled() const { return controlsEnabled_; }
    void SetControlsEnabled(bool enabled) { controlsEnabled_ = enabled; }
    float GetRoll() const { return flight_.angles.z; }
    float GetMaxRoll() const { return flight_.maxRoll; }
    const FlightState& GetFlight() const { return flight_; }
    float GetForwardSpeed() const { return forwardSpeed_; }
    float GetBoostTime() const { return boostTime_; }
    void SetBoostTime(float seconds) { boostTime_ = seconds; }
    // Raised by the crystals the player sets off, held to 0..1.
    float GetCrystalCharge() const { return crystalCharge_; }
    void RaiseCrystalCharge(float amount) { crystalCharge_ = std::min(crystalCharge_ + amount, 1.0f); }
    unsigned GetModeIndex() const { return modeIndex_; }
    size_t GetModeCount() const { return modes_.size(); }
    const SD::Vec3& GetFacing() const { return facing_; }
    const SD::Vec3& GetResetPosition() const { return resetPosition_; }
    const SD::Vec3& GetResetAngles() const { return resetAngles_; }
    void SetReset(const SD::Vec3& position, const SD::Vec3& angles) {
        resetPosition_ = position;
        resetAngles_ = angles;
    }

private:
    Gedankenexperiment::Body* GetBody() const;
    // The body's velocity, or the transform's estimate for a vehicle without a body.
    SD::Vec3 Velocity() const;
    // No flight without a transform or while the level editor is on.
    bool FlightHeld() const;
    // The developer's brake: B held pushes the body backwards.
    void PushBackOnKey();
    void ApplyThrust(float throttle, float dt);
    void ApplyKinectThrust(float throttle, float dt);
    void FlapWings(float dt);
    void SlideLetterbox(float dt);
    void RampSpeed(float dt);
    void WidenView();

    SD::Transform* transform_ = nullptr;
    float throttleOnlyTime_ = 0.0f;
    float speedRampExtra_ = 0.0f;
    float baseForwardSpeed_ = 0.0f;
    bool controlsEnabled_ = true;
    float boostTime_ = 0.0f;
    float crystalCharge_ = 0.0f;
    float forwardSpeed_ = 0.0f;
    float constantSpeed_ = 0.0f;
    float boostSpeed_ = 0.0f;
    FlightState flight_;
    SD::Vec3 facing_{0.0f, 0.0f, 1.0f};
    std::vector<std::function<void(float)>> modes_;
    unsigned modeIndex_ = 0;
    bool invertY_ = false;
    SD::SoundObjectHandle soundObject_;
    bool hasSoundObject_ = false;
    SD::Vec3 resetPosition_;
    SD::Vec3 resetAngles_;
    SD::InputBindingSet bindings_;
    KinectControl kinect_;
    SD::Vec4 modelColour_;
    SD::Vec4 lightColour_;
    float cameraRadius_ = 20.0f;
    bool cinematic_ = false;
    bool returning_ = false;
    bool firstReturnFrame_ = true;
    SD::GameObjectHandle freeCamera_;
    Aperture::Camera* oldCamera_ = nullptr;
    SD::GameObjectHandle oldCameraOwner_;  // the old camera is used only while its object lives
    SD::Vec3 returnStart_;
    SD::Vec3 freeFacing_;
    float bestDot_ = 0.0f;
    bool blendStarted_ = false;
    float blendStart_ = 0.0f;
    bool listening_ = false;
    uint32_t listenIndex_ = 0;
};

}  // namespace QV
