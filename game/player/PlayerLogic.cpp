#include "game/player/PlayerLogic.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/Delegate.h"
#include "core/Matrix.h"
#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/PlayStateQuery.h"
#include "engine/Transform.h"
#include "game/WorldCentre.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/components/ObjectLooks.h"
#include "game/components/Wind.h"
#include "game/editor/LevelEditor.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/Graphics.h"
#include "graphics/components/Camera.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/Kinect.h"
#include "sound/system/SoundManager.h"

namespace QV {
namespace {

constexpr float kActive = 0.0001f;
constexpr float kPlayableRadius = 16000.0f;
constexpr float kReturnedRadius = 15800.0f;

float Analog(const char* name) {
    SD::Input_* input = SD::Input_::GetInstance();
    return input ? input->GetAnalog(name) : 0.0f;
}

bool Triggered(const char* name) {
    SD::Input_* input = SD::Input_::GetInstance();
    return input && input->GetDigitalTriggered(name);
}

// Seconds since the first wing flap of the run, shared by every vehicle.
float WingClock() {
    using Clock = std::chrono::steady_clock;
    static const Clock::time_point start = Clock::now();
    return std::chrono::duration<float>(Clock::now() - start).count();
}

void SetWing(const char* name, const SD::Mtx33& orientation) {
    if (SD::GameObject* wing = SD::Factory_::GetGameObjectByName(name)) wing->GetTransform().SetOrient(orientation);
}

}  // namespace

InputActivity& GetInputActivity() {
    static InputActivity activity;
    return activity;
}

PlayerLogic::~PlayerLogic() {
    if (listening_) {
        SD::Message_System* messages = SD::Message_System::GetInstance();
        messages->RemoveObjectHandlerOf(SD::MessageIds::WindMessage, listenIndex_, this);
        messages->RemoveHandlerOf(SD::MessageIds::WindMessage, this);
    }
    if (hasSoundObject_) {
        if (SD::GhostEngine_* sound = SD::GhostEngine_::Existing()) sound->DestroySoundObject(soundObject_);
    }
}

void PlayerLogic::VSerialize(SD::IStream& stream, int version) {
    if (version != 3 && version != 4) return;
    if (version == 4) {
        SD::SerializeVec3(stream, "Reset Position", resetPosition_);
        SD::SerializeVec3(stream, "Reset Angles", resetAngles_);
    }
    SD::SerializeVec3(stream, "Turn Acceleration", flight_.acceleration);
    SD::SerializeVec3(stream, "Turn Dampining", flight_.damping);
    stream.Serialize(constantSpeed_, "Constant Speed", "Float");
    stream.Serialize(forwardSpeed_, "Forward Speed", "Float");
    stream.Serialize(boostSpeed_, "Boost Speed", "Float");
    stream.Serialize(flight_.stabilize, "Stabilize Speed For Z Component", "Float");
}

void PlayerLogic::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    transform_ = &owner->GetTransform();
    flight_.maxRoll = kMaxRoll;
    if (!listening_) {
        listenIndex_ = owner->GetHandle().GetIndex();
        SD::Message_System::GetInstance()->RegisterObjectHandler(SD::MessageIds::WindMessage, listenIndex_, this,
                                                                 &PlayerLogic::OnWindMessage);
        listening_ = true;
    }
    if (SD::GhostEngine_* sound = SD::GhostEngine_::Existing(); sound && !hasSoundObject_) {
        soundObject_ = sound->CreateSoundObject();
        hasSoundObject_ = true;
    }
    kinect_.CreatePulseRings();
    kinect_.playNote = [this] {
        if (SD::GhostEngine_* sound = SD::GhostEngine_::Existing(); sound && hasSoundObject_)
            sound->SetSoundObjectPosition("Play_Piano", soundObject_, nullptr);
    };
    // The activity flags outlive the vehicle; a new one starts with none, so the throttle of an
    // earlier flight does not ramp its speed while its controls are still off.
    GetInputActivity() = InputActivity();
    modes_.clear();
    modeIndex_ = 0;
    modes_.push_back([this](float dt) { StepPadInput(dt); });
    // With a sensor present the game starts flown by the hands.
    if (SD::Kinect_* sensor = SD::Kinect_::GetInstance(); sensor && sensor->IsConnected()) {
        modeIndex_ = 1;
        modes_.push_back([this](float dt) { StepKinectInput(dt); });
    }
    flight_.angularVelocity = SD::Vec3();

    bindings_.UnbindAll();
    bindings_.BindAnalog("UpDown_LeftAxis", SD::xpad1_AXIS_LY_N, SD::xpad1_AXIS_LY_P);
    bindings_.BindAnalog("UpDown_LeftAxis", SD::key_S, SD::key_W);
    bindings_.BindAnalog("UpDown_LeftAxis", SD::key_DOWN, SD::key_UP);
    bindings_.BindAnalog("LeftRight_LeftAxis", SD::xpad1_AXIS_LX_N, SD::xpad1_AXIS_LX_P);
    bindings_.BindAnalog("LeftRight_LeftAxis", SD::key_A, SD::key_D);
    bindings_.BindAnalog("LeftRight_LeftAxis", SD::key_LEFT, SD::key_RIGHT);
    bindings_.BindAnalog("UpDown_RightAxis", SD::xpad1_AXIS_RY_N, SD::xpad1_AXIS_RY_P);
    bindings_.BindAnalog("LeftRight_RightAxis", SD::xpad1_AXIS_RX_N, SD::xpad1_AXIS_RX_P);
    bindings_.BindAnalog("LeftRight_RightAxis", SD::xpad1_AXIS_RX_N, SD::xpad1_AXIS_RX_P);
    // Single-code entries: code 0 is never down, so the key alone drives the positive side.
    for (uint32_t code :
         {static_cast<uint32_t>(SD::xpad1_TRIGGER_R), static_cast<uint32_t>(SD::key_SPACE),
          static_cast<uint32_t>(SD::xpad1_A), static_cast<uint32_t>(SD::xpad1_B), static_cast<uint32_t>(SD::xpad1_X),
          static_cast<uint32_t>(SD::xpad1_Y), static_cast<uint32_t>(SD::xpad1_TRIGGER_L)}) {
        const bool padAxis = code == SD::xpad1_TRIGGER_R || code == SD::xpad1_TRIGGER_L;
        bindings_.BindAnalog("Trigger_Right", padAxis ? code : 0u, padAxis ? 0u : code);
    }
    bindings_.BindDigital("Reset", SD::key_R);
    bindings_.BindDigital("Reset", SD::xpad1_START);
    bindings_.BindDigital("ToggleControlerMode", SD::key_C);

    if (auto* collider = static_cast<Gedankenexperiment::Collider*>(owner->GetComponent(SD::CID_Collider))) {
        collider->SetCallback(new MFCore::Delegate_1Parameters<void, PlayerLogic, Gedankenexperiment::Collider*>(
            this, &PlayerLogic::OnCollision));
    }
    Reset();
    baseForwardSpeed_ = forwardSpeed_;
    speedRampExtra_ = kRampExtra;
    looks::GeometryColor(owner, &modelColour_);
    looks::LightColor(owner, &lightColour_);
    cameraRadius_ = 20.0f;
    // The sound system hears the world from the vehicle.
    SD::GhostEngine_* sound = SD::GhostEngine_::Existing();
    if (SD::Manager* manager = sound ? sound->GetManager() : nullptr) manager->SetListener(owner->GetHandle());
}

void PlayerLogic::ApplyHudFadeColours() {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    looks::SetGeometryColor(owner, modelColour_ * 0.9f);
    looks::SetLightColor(owner, lightColour_ * 0.05f);
    for (const char* wing : {"WingBackLeft", "WingFrontLeft", "WingFrontRight", "WingBackRight"}) {
        if (SD::GameObject* object = SD::Factory_::GetGameObjectByName(wing))
            looks::SetGeometryColor(object, SD::Vec4(0.4f, 0.4f, 0.4f, 0.4f));
    }
    SD::GameObject* camera = SD::Factory_::GetGameObjectByName("PlayerCam");
    if (auto* follow =
            camera ? static_cast<VernholmCameraLogic*>(camera->GetComponent(SD::CID_VernholmCameraLogic)) : nullptr)
        follow->SetMaxRadius(cameraRadius_);
}

Gedankenexperiment::Body* PlayerLogic::GetBody() const {
    return GetOwner() ? static_cast<Gedankenexperiment::Body*>(GetOwner()->GetComponent(SD::CID_Body)) : nullptr;
}

void PlayerLogic::Reset() {
    if (!transform_) return;
    if (Gedankenexperiment::Body* body = GetBody()) {
        body->SetVelocity(SD::Vec3());
        body->SetPosition(resetPosition_);
    } else {
        transform_->SetPos(resetPosition_);
    }
    // The vehicle comes back at rest: a turn still under way would carry it off its start angles.
    flight_.angles = resetAngles_;
    flight_.angularVelocity = SD::Vec3();
    ApplyAngles(flight_.angles, *transform_);
    facing_ = transform_->GetDir();
}

SD::Vec3 PlayerLogic::Velocity() const {
    const Gedankenexperiment::Body* body = GetBody();
    return body ? body->GetVelocity() : transform_->GetFakeVel();
}

bool PlayerLogic::FlightHeld() const {
    const LevelEditor* editor = LevelEditor::Peek();
    return !transform_ || (editor && editor->IsActive());
}

void PlayerLogic::VFixedUpdate(float step) {
    if (FlightHeld()) return;
    invertY_ = AudioLogic_::GetInstance().GetInvertY();
    if (!returning_ && (transform_->GetLocalPos() - kWorldCentre).LengthSq() > kPlayableRadius * kPlayableRadius) {
        returning_ = true;
        firstReturnFrame_ = true;
    }
    const bool holdMode = returning_ && ReturnToWorld(step);
    if (!holdMode && modeIndex_ < modes_.size()) modes_[modeIndex_](step);
    RampSpeed(step);
    PushBackOnKey();
}

void PlayerLogic::VUpdate(float dt) {
    if (!transform_) return;
    FlapWings(dt);
    SlideLetterbox(dt);
    if (FlightHeld()) return;
    // A key pressed in a frame is seen once, however many steps the frame takes; the mode
    // changes only while no return runs.
    if (Triggered("ToggleControlerMode") && !returning_ && !modes_.empty())
        modeIndex_ = (modeIndex_ + 1) % modes_.size();
    WidenView();
    kinect_.StepHud(dt, controlsEnabled_);
}

void PlayerLogic::FlapWings(float) {
    Gedankenexperiment::Body* body = GetBody();
    const float speed = body ? body->GetVelocity().Length() : 0.0f;
    const float a = 0.5235988f * std::sin((speed + 20.0f) * WingClock());
    SD::Mtx33 up;
    up.PostRotateZ(a);
    up.PreRotateX(1.0471976f);
    SD::Mtx33 down;
    down.PostRotateZ(-a);
    down.PreRotateX(1.0471976f);
    SetWing("WingFrontRight", up);
    SetWing("WingBackLeft", up);
    SetWing("WingBackRight", down);
    SetWing("WingFrontLeft", down);
}

void PlayerLogic::SlideLetterbox(float dt) {
    SD::GameObject* camera = SD::Factory_::GetGameObjectByName("PlayerCam");
    if (!camera) return;
    auto* follow = static_cast<VernholmCameraLogic*>(camera->GetComponent(SD::CID_VernholmCameraLogic));
    const bool following = follow && follow->GetState() == VernholmCameraLogic::kFollow && !cinematic_;
    SD::GameObject* top = SD::Factory_::GetGameObjectByName("Wbar1");
    SD::GameObject* bottom = SD::Factory_::GetGameObjectByName("Wbar2");
    // Following, the bars leave the screen; any other camera work brings them in.
    if (top) {
        SD::Transform& bar = top->GetTransform();
        const float y = bar.GetPosY();
        if (following && y > -0.0611111f) bar.SetPosY(std::max(y - 0.1f * dt, -0.0592593f));
        if (!following && y < 0.0574074f) bar.SetPosY(std::min(y + 0.053f * dt, 0.0592593f));
    }
    if (bottom) {
        SD::Transform& bar = bottom->GetTransform();
        const float y = bar.GetPosY();
        if (following && y < 1.0611111f) bar.SetPosY(std::min(y + 0.1f * dt, 1.0592593f));
        if (!following && y > 0.9425926f) bar.SetPosY(std::max(y - 0.053f * dt, 0.9407408f));
    }
}

void PlayerLogic::PushBackOnKey() {
    SD::Input_* input = SD::Input_::GetInstance();
    Gedankenexperiment::Body* body = GetBody();
    if (input && body && input->GetKeyState(SD::key_B)) {
        const SD::Vec3 back = transform_->GetDir() * -500.0f;
        body->AddForce(back.x, back.y, back.z);
    }
}

void PlayerLogic::StepPadInput(float dt) {
    if (!controlsEnabled_) return;
    float u = Analog("UpDown_LeftAxis");
    const float l = Analog("LeftRight_LeftAxis");
    const float throttle = std::fabs(Analog("Trigger_Right"));
    InputActivity& activity = GetInputActivity();
    activity.throttle = throttle > kActive;
    activity.lateral = std::fabs(l) > kActive;
    activity.vertical = std::fabs(u) > kActive;
    if (invertY_) u = -u;
    facing_ = StepFlight(flight_, *transform_, Velocity(), SignedSquare(u), SignedSquare(l), dt, FlightMode::kPad);
    ApplyThrust(throttle, dt);
}

void PlayerLogic::StepKinectInput(float dt) {
    const KinectGesture gesture = kinect_.StepInput(dt);
    InputActivity& activity = GetInputActivity();
    activity.throttle = std::fabs(gesture.throttle) > kActive;
    activity.lateral = std::fabs(gesture.yaw) > kActive;
    activity.vertical = std::fabs(gesture.pitch) > kActive;
    if (!controlsEnabled_) return;
    facing_ = StepFlight(flight_, *transform_, Velocity(), gesture.pitch, gesture.yaw, dt, FlightMode::kKinect);
    ApplyKinectThrust(gesture.throttle, dt);
}

bool PlayerLogic::ReturnToWorld(float dt) {
    const SD::Vec3 position = transform_->GetLocalPos();
    const SD::Vec3 d = position - kWorldCentre;
    const float distance = d.Length();
    const SD::Vec3 h = facing_;
    InputActivity& activity = GetInputActivity();
    activity.throttle = activity.lateral = activity.vertical = true;

    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!freeCamera_.get() && factory) {
        if (SD::GameObject* made = factory->CreateObject("ObjectTemplates/FreeCamera", nullptr)) {
            made->Initialize(false);
            freeCamera_ = made->GetHandle();
        }
    }
    SD::GameObject* free = freeCamera_.get();
    auto* freeLens = free ? static_cast<Aperture::Camera*>(free->GetComponent(SD::CID_Camera)) : nullptr;
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    if (firstReturnFrame_) {
        firstReturnFrame_ = false;
        blendStarted_ = false;
        oldCamera_ = graphics ? graphics->GetActiveCamera() : nullptr;
        oldCameraOwner_ =
            oldCamera_ && oldCamera_->GetOwner() ? oldCamera_->GetOwner()->GetHandle() : SD::GameObjectHandle();
        if (free && oldCamera_ && oldCamera_->GetOwner()) {
            const SD::Transform& old = oldCamera_->GetOwner()->GetTransform();
            free->GetTransform().SetOrient(old.GetOrient());
            free->GetTransform().SetPos(old.GetLocalPos());
        }
        returnStart_ = free ? free->GetTransform().GetLocalPos() : position;
        freeFacing_ = free ? free->GetTransform().GetDir() : h;
        bestDot_ = freeFacing_.Dot(d);
        cinematic_ = true;
        if (graphics && freeLens) {
            graphics->MoveCameraToFront(freeLens);
            if (oldCamera_) freeLens->SetFov(oldCamera_->GetFov());
        }
        AudioLogic_::PostEvent("Play_Wind_Gust", nullptr);
    }

    if (!oldCameraOwner_.get()) oldCamera_ = nullptr;
    // The free camera holds still while the vehicle still heads out, then glides back to the
    // old camera over the last 200 units of the way in.
    float blend = 0.0f;
    float g = 0.0f;
    const float k = freeFacing_.Dot(d);
    if (bestDot_ <= k) {
        bestDot_ = k;
    } else {
        if (!blendStarted_) {
            blendStarted_ = true;
            blendStart_ = kPlayableRadius - distance;
        }
        const float span = 200.0f - blendStart_;
        g = span != 0.0f ? (kPlayableRadius - distance - blendStart_) / span : 1.0f;
        blend = std::clamp(g, 0.0f, 1.0f);
    }
    if (free) {
        const SD::Vec3 target =
            oldCamera_ && oldCamera_->GetOwner() ? oldCamera_->GetOwner()->GetTransform().GetLocalPos() : returnStart_;
        const SD::Vec3 at = returnStart_ + (target - returnStart_) * blend;
        free->GetTransform().SetPos(at);
        const SD::Vec3 look = position - at;
        const SD::Vec3 up(0.0f, 1.0f, 0.0f);
        // Straight above or on the vehicle the camera keeps its last orientation.
        if (look.Cross(up).LengthSq() > 1e-12f) free->GetTransform().SetOrient(SD::Mtx33::LookAt(look, up));
        if (freeLens && oldCamera_) freeLens->SetFov(oldCamera_->GetFov());
    }

    // Turn towards the centre, by at most 1 and not at all within 0.1 radians.
    const SD::Vec3 n = distance > 0.0f ? d * (-1.0f / distance) : SD::Vec3();
    const SD::Vec3 flatFacing(h.x, 0.0f, h.z);
    const SD::Vec3 flatHome(n.x, 0.0f, n.z);
    float turn = 0.0f;
    if (flatFacing.LengthSq() > 0.0f && flatHome.LengthSq() > 0.0f) {
        const SD::Vec3 a = flatFacing.GetNormalized();
        const SD::Vec3 b = flatHome.GetNormalized();
        // Rounding may take the dot product past 1, where the arc cosine has no value.
        const float angle = std::acos(std::clamp(a.Dot(b), -1.0f, 1.0f));
        const float magnitude = angle < 0.1f ? 0.0f : (angle < 1.0f ? angle : 1.0f);
        const float side = a.Cross(b).y;
        turn = side > 0.0f ? magnitude : (side < 0.0f ? -magnitude : 0.0f);
    }
    float pitch = 0.0f;
    const SD::Vec3 levelled(n.x, h.y, n.z);
    if (levelled.LengthSq() > 0.0f) {
        const float vy = levelled.GetNormalized().y;
        const float gap = std::min(std::fabs(vy - n.y), 1.0f);
        pitch = n.y <= vy ? gap : -gap;
    }
    facing_ = StepFlight(flight_, *transform_, Velocity(), pitch, turn, dt, FlightMode::kReturn);

    if (distance < kReturnedRadius) {
        if (graphics && oldCamera_) graphics->MoveCameraToFront(oldCamera_);
        firstReturnFrame_ = true;
        cinematic_ = false;
        returning_ = false;
    }
    if (Gedankenexperiment::Body* body = GetBody()) {
        const SD::Vec3 push = h * forwardSpeed_;
        body->AddForce(push.x, push.y, push.z);
    }
    return g < 1.0f;
}

void PlayerLogic::ApplyThrust(float throttle, float dt) {
    Gedankenexperiment::Body* body = GetBody();
    const float thrust = forwardSpeed_ * throttle * (1.0f + NoseTerm(facing_.y, FlightMode::kPad));
    const SD::Vec3 force = facing_ * thrust;
    if (boostTime_ > 0.0f) {
        if (body) body->AddForce(force.x * 1.25f, force.y * 1.25f, force.z * 1.25f);
        boostTime_ -= dt;
    }
    if (body) body->AddForce(force.x, force.y, force.z);
}

void PlayerLogic::ApplyKinectThrust(float throttle, float dt) {
    // The nose term weighs with the throttle once more; a boost raises only the plain part.
    const float base = boostTime_ > 0.0f ? forwardSpeed_ + kBoostExtra : forwardSpeed_;
    if (boostTime_ > 0.0f) boostTime_ -= dt;
    const float thrust =
        base * throttle + forwardSpeed_ * throttle * NoseTerm(facing_.y, FlightMode::kKinect) * throttle;
    const SD::Vec3 force = facing_ * thrust;
    if (Gedankenexperiment::Body* body = GetBody()) body->AddForce(force.x, force.y, force.z);
}

void PlayerLogic::RampSpeed(float dt) {
    const InputActivity& activity = GetInputActivity();
    if (activity.throttle && !activity.lateral && !activity.vertical) {
        throttleOnlyTime_ += dt;
        if (throttleOnlyTime_ >= kRampDelay)
            forwardSpeed_ = baseForwardSpeed_ +
                            speedRampExtra_ * std::clamp((throttleOnlyTime_ - kRampDelay) / kRampSeconds, 0.0f, 1.0f);
    } else {
        forwardSpeed_ = baseForwardSpeed_;
        throttleOnlyTime_ = 0.0f;
    }
}

void PlayerLogic::WidenView() {
    if (!controlsEnabled_ || SD::GetCurrentPlayState() != SD::kPlayStatePlay) return;
    SD::GameObject* cameraObject = SD::Factory_::GetGameObjectByName("PlayerCam");
    auto* camera = cameraObject ? static_cast<Aperture::Camera*>(cameraObject->GetComponent(SD::CID_Camera)) : nullptr;
    // A vehicle with no forward speed has no speed ratio; the view stays as it is.
    if (!camera || forwardSpeed_ == 0.0f) return;
    Gedankenexperiment::Body* body = GetBody();
    const float x = 3.0f * (body ? body->GetVelocity().Length() : 0.0f) / forwardSpeed_;
    // Widened by 66 degrees, as first designed, the view stood at 65 to 90 degrees in all flight
    // (the vehicle's speed is far below its forward speed) and the vehicle was a speck in it.
    camera->SetFov(kRestFov + kFovWidening * std::clamp((x - 3.0f) * std::sin(x - 3.15f) / 1.7f, 0.0f, 1.0f));
}

void PlayerLogic::OnWindMessage(SD::IMessage* message) {
    auto* windMessage = static_cast<WindMessage*>(message);
    if (!GetOwner() || windMessage->GetTarget() != GetOwner()->GetHandle() || !windMessage->GetWind()) return;
    const Wind* wind = windMessage->GetWind();
    if (wind->GetStrength() <= kStrongWind) return;
    const SD::Vec3 push = wind->GetVector() * kWindPush;
    if (Gedankenexperiment::Body* body = GetBody()) body->AddForce(push.x, push.y, push.z);
}

void PlayerLogic::OnCollision(Gedankenexperiment::Collider* other) {
    SD::GameObject* touched = other ? other->GetOwner() : nullptr;
    if (touched && touched->GetComponent(SD::kRainLogicID)) SowlarSystem_::GetInstance().SetRainContact(true);
}

}  // namespace QV
