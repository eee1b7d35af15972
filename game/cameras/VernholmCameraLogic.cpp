#include "game/cameras/VernholmCameraLogic.h"

#include <algorithm>
#include <cmath>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/cameras/CameraMath.h"
#include "game/player/PlayerLogic.h"
#include "graphics/components/Camera.h"
#include "physics/Body.h"
#include "physics/PhysicsSystem.h"
#include "runtime/Input.h"

namespace QV {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kKeepOld = 0.9;
constexpr double kTakeNew = 0.1;
constexpr double kDegenerate = 0.0001;
// The follow view's steepest slope, about 8.5 degrees: within half the narrowest field of view
// (25 degrees), so the horizon stays in the picture whatever the vehicle's pitch.
constexpr double kMaxViewSlope = 0.15;

// How far ahead of the vehicle the follow view looks for ground rising across it, and the
// halvings of the slope that find the lowest view clearing it.
constexpr double kGroundAhead = 30.0;
constexpr int kLiftHalvings = 6;

// Whether the way from `from` along the flat heading, rising by `slope`, meets no ground within
// kGroundAhead.
bool ClearAhead(Gedankenexperiment::Physics_System& physics, const SD::Vec3d& from, const SD::Vec3d& flat,
                double slope) {
    const SD::Vec3d to = Add(from, SD::Vec3d(flat.x, slope, flat.z) * kGroundAhead);
    return physics.ClearWay(ToFloat(from), ToFloat(to), 0.0f) >= 1.0f;
}

// The view lifted, to kMaxViewSlope at most, to the lowest slope at which the way ahead of the
// target along it clears the ground: a vehicle pressed into an island's slope and watched along
// a view sloping down, or level, leaves a picture of nothing but hillside.
SD::Vec3d AboveTheGroundAhead(const SD::Vec3d& view, const SD::Vec3d& target) {
    Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::Peek();
    const double flatLength = std::sqrt(view.x * view.x + view.z * view.z);
    if (!physics || !(flatLength > 1e-9)) return view;
    const SD::Vec3d flat(view.x / flatLength, 0.0, view.z / flatLength);
    double low = view.y / flatLength;
    if (low >= kMaxViewSlope || ClearAhead(*physics, target, flat, low)) return view;
    double high = kMaxViewSlope;
    if (ClearAhead(*physics, target, flat, high)) {
        for (int i = 0; i < kLiftHalvings; ++i) {
            const double mid = 0.5 * (low + high);
            (ClearAhead(*physics, target, flat, mid) ? high : low) = mid;
        }
    }
    return SD::Vec3d(flat.x, high, flat.z) * flatLength;
}

double Analog(const char* name) {
    SD::Input_* input = SD::Input_::GetInstance();
    return input ? input->GetAnalog(name) : 0.0;
}

template <size_t N>
SD::Vec3d Mean(const SD::Vec3d (&ring)[N]) {
    SD::Vec3d sum;
    for (const SD::Vec3d& v : ring) sum = Add(sum, v);
    return sum * (1.0 / N);
}

template <size_t N>
double Mean(const double (&ring)[N]) {
    double sum = 0.0;
    for (double v : ring) sum += v;
    return sum / N;
}

// The world's up leaned to the side the vehicle banks to by its roll and no more: the vehicle's
// own up, tilted by its pitch too, leans a picture looked at from a shallow slope by far more
// than the roll when the nose is steep (49 degrees at a roll of 30 and a pitch of 60). Its part
// across the flat heading is the sine of the roll at any pitch. Without a heading, the vehicle's up.
SD::Vec3d BankedUp(const SD::Vec3d& facing, const SD::Vec3d& up) {
    const double flat = std::sqrt(facing.x * facing.x + facing.z * facing.z);
    if (!(flat > 1e-9)) return up;
    const SD::Vec3d across(facing.z / flat, 0.0, -facing.x / flat);
    const double lean = std::clamp(up.Dot(across), -1.0, 1.0);
    return Add(SD::Vec3d(0.0, std::sqrt(1.0 - lean * lean), 0.0), across * lean);
}

PlayerLogic* PlayerOf(SD::GameObject* object) {
    return object ? static_cast<PlayerLogic*>(object->GetComponent(SD::CID_Player)) : nullptr;
}

}  // namespace

void VernholmCameraLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(targetName_, "Target Name", "String");
    stream.Serialize(minRadius_, "Min Radius", "Float");
    stream.Serialize(maxRadius_, "Max Radius", "Float");
    stream.Serialize(keepDirection_, "Prev Direction Interpolation Percent", "Float");
    stream.Serialize(keepUp_, "Prev Up Interpolation Percent", "Float");
    stream.Serialize(flowerHeight_, "Flower Rotation Look At Height", "Float");
    stream.Serialize(flowerDistance_, "Flower Rotation Distance", "Float");
    stream.Serialize(flowerSpeed_, "Flower Rotation Speed", "Float");
    stream.Serialize(minSpeed_, "Min Firefly Speed Value", "Float");
}

void VernholmCameraLogic::VInitialize(bool) {
    filedMaxRadius_ = maxRadius_;
    takeDirection_ = 1.0 - keepDirection_;
    takeUp_ = 1.0 - keepUp_;
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (SD::GameObject* found = factory ? factory->GetGameObject(targetName_) : nullptr) target_ = found->GetHandle();
    SD::Vec3d position;
    direction_ = SD::Vec3d(0.0, 0.0, 1.0);
    up_ = SD::Vec3d(0.0, 1.0, 0.0);
    if (SD::GameObject* target = target_.get()) {
        SD::Transform& transform = target->GetTransform();
        position = SD::Vec3d(transform.GetLocalPos());
        direction_ = SD::Vec3d(transform.GetDir());
        up_ = SD::Vec3d(transform.GetUp());
    }
    for (SD::Vec3d& entry : lookAhead_) entry = position;
    PlaceCamera(Sub(position, direction_ * maxRadius_), position);
    previousCamera_ = CameraPosition();
    previousTarget_ = position;
    state_ = kFollow;
    lookAheadIndex_ = inputIndex_ = 0;
}

void VernholmCameraLogic::SetTarget(SD::GameObject* object) {
    if (!object) return;
    state_ = object->GetName() == "Player" ? kReturn : kLeave;
    target_ = object->GetHandle();
}

void VernholmCameraLogic::GrowMaxRadius(double factor) {
    maxRadius_ = std::min(maxRadius_ * factor, std::max(maxRadius_, filedMaxRadius_ * kMostRadiusGrowth));
}

void VernholmCameraLogic::SetTargetName(const std::string& name) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (SD::GameObject* found = factory ? factory->GetGameObject(name) : nullptr) target_ = found->GetHandle();
}

SD::Vec3d VernholmCameraLogic::CameraPosition() const {
    return GetOwner() ? SD::Vec3d(GetOwner()->GetTransform().GetLocalPos()) : SD::Vec3d();
}

SD::Vec3d VernholmCameraLogic::PlaceCamera(const SD::Vec3d& wanted, const SD::Vec3d& target) {
    if (!GetOwner() || !IsFinite(wanted)) return CameraPosition();
    SD::Vec3 place = ToFloat(wanted);
    if (Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::Peek())
        place = physics->ClearView(ToFloat(target), place, kGroundClearance);
    GetOwner()->GetTransform().SetPos(place);
    return SD::Vec3d(place);
}

void VernholmCameraLogic::WriteOrientation(const SD::Mtx33d& orientation) {
    orientation_ = orientation;
    if (GetOwner()) GetOwner()->GetTransform().SetOrient(ToFloat(orientation));
}

void VernholmCameraLogic::BlendDirection(const Frame& f) {
    direction_ = NormalizedOr(Add(direction_ * keepDirection_, f.facing * takeDirection_), direction_);
}

void VernholmCameraLogic::BlendUp(const SD::Vec3d& up, double keep) {
    up_ = NormalizedOr(Add(up_ * keep, up * (1.0 - keep)), up_);
}

double VernholmCameraLogic::Lead(const Frame& f) const { return std::max(f.velocity.Dot(direction_), minSpeed_); }

void VernholmCameraLogic::Prime() {
    const SD::Vec3d camera = CameraPosition();
    for (SD::Vec3d& entry : cameraRing_) entry = camera;
    for (SD::Vec3d& entry : targetRing_) entry = previousTarget_;
    frameCounter_ = 0;
}

void VernholmCameraLogic::GlidePlacement(const SD::Vec3d& target) {
    const SD::Vec3d camera = PlaceCamera(Add(previousCamera_ * kKeepOld, Mean(cameraRing_) * kTakeNew), target);
    WriteOrientation(LookAtOr(Sub(Mean(targetRing_), camera), up_, orientation_, false));
}

void VernholmCameraLogic::SetPlayerControls(bool enabled) {
    if (PlayerLogic* player = PlayerOf(SD::Factory_::GetGameObjectByName("Player")))
        player->SetControlsEnabled(enabled);
}

void VernholmCameraLogic::StepFollow(const Frame& f, double dt, double pitch, double yaw) {
    BlendDirection(f);
    const double lead = Lead(f);
    const double radius = std::min(minRadius_ + (maxRadius_ - minRadius_) * lead * dt, maxRadius_);
    SD::Vec3d lean;
    if (PlayerLogic* player = PlayerOf(target_.get())) {
        // A vehicle allowed no roll has nothing to lean by.
        const double k = player->GetMaxRoll() != 0.0f ? player->GetRoll() / player->GetMaxRoll() : 0.0;
        lean = f.rightRaw * (k * kLean);
    }
    // Behind the vehicle, but never so far above or below it that the view loses the horizon: a
    // steep dive or climb is watched from a shallow slope.
    const SD::Vec3d behind = NormalizedOr(WithSlopeAtMost(direction_, kMaxViewSlope), direction_);
    const SD::Vec3d camera = PlaceCamera(Add(Sub(f.position, behind * radius), lean), f.position);
    BlendUp(BankedUp(f.facing, f.up), keepUp_);
    pitchRing_[inputIndex_] = -pitch;
    yawRing_[inputIndex_] = yaw;
    SD::Vec3d look = Add(Add(Mean(lookAhead_), f.right * Mean(yawRing_)), f.up * Mean(pitchRing_));
    if (std::fabs(look.x) < kDegenerate && std::fabs(look.y) < kDegenerate && std::fabs(look.z) < kDegenerate)
        look = Add(camera, SD::Vec3d(0.0, 0.0, 1.0));
    lookPoint_ = Add(f.position, direction_ * lead);
    WriteOrientation(LookAtOr(AboveTheGroundAhead(WithSlopeAtMost(Sub(look, camera), kMaxViewSlope), f.position), up_,
                              orientation_, true));
}

void VernholmCameraLogic::VFixedUpdate(float step) {
    SD::GameObject* target = target_.get();
    if (!target || !GetOwner()) return;
    const double dt = step;
    SD::Transform& transform = target->GetTransform();
    Frame f;
    f.position = SD::Vec3d(transform.GetLocalPos());
    f.facingRaw = SD::Vec3d(transform.GetDir());
    f.facing = NormalizedOr(f.facingRaw, direction_);
    f.up = NormalizedOr(SD::Vec3d(transform.GetUp()), up_);
    f.rightRaw = SD::Vec3d(transform.GetRight());
    f.right = NormalizedOr(f.rightRaw, SD::Vec3d());
    auto* body = static_cast<Gedankenexperiment::Body*>(target->GetComponent(SD::CID_Body));
    f.velocity = SD::Vec3d(body ? body->GetVelocity() : transform.GetFakeVel());

    const double pitch = Analog("CamUpDown_RightAxis") * dt * kPitchScale;
    const double yaw = Analog("CamLeftRight_RightAxis") * dt * kYawScale;
    lookAheadIndex_ %= kLookAheadCount;
    inputIndex_ %= kInputCount;

    // A frame that starts by priming (states 0 and 3) leads with the zero vector.
    const bool priming = state_ == kReturn || state_ == kLeave;
    SD::Vec3d lookAhead;
    switch (state_) {
        case kReturn:
            Prime();
            state_ = kGlide;
            [[fallthrough]];
        case kGlide: {
            BlendDirection(f);
            BlendUp(f.up, keepUp_);
            const double radius = minRadius_ + (maxRadius_ - minRadius_) * dt * Lead(f);
            const unsigned i = frameCounter_ % kRingCount;
            cameraRing_[i] = Sub(f.position, f.facingRaw * radius);
            targetRing_[i] = f.position;
            GlidePlacement(f.position);
            if (++frameCounter_ >= kGlideFrames) {
                state_ = kFollow;
                SetPlayerControls(true);
            }
            lookAhead = f.position;
            break;
        }
        case kFollow:
            StepFollow(f, dt, pitch, yaw);
            lookAhead = lookPoint_;
            break;
        case kLeave:
            SetPlayerControls(false);
            if (auto* camera = static_cast<Aperture::Camera*>(GetOwner()->GetComponent(SD::CID_Camera)))
                camera->SetTargetFov(kOrbitFov);
            Prime();
            state_ = kApproach;
            [[fallthrough]];
        case kApproach: {
            orbitAngle_ = 0.0;
            SD::Vec3d offset = Sub(f.position, CameraPosition());
            offset.y = 0.0;
            orbitOffset_ = NormalizedOr(offset, orbitOffset_);
            BlendUp(f.up, kKeepOld);
            const unsigned i = std::min(frameCounter_, static_cast<unsigned>(kRingCount - 1));
            cameraRing_[i] = SD::Vec3d(f.position.x - flowerDistance_ * orbitOffset_.x,
                                       f.position.y - flowerHeight_ - flowerDistance_ * orbitOffset_.y,
                                       f.position.z - flowerDistance_ * orbitOffset_.z);
            targetRing_[i] = f.position;
            GlidePlacement(f.position);
            if (++frameCounter_ >= kApproachFrames) state_ = kOrbit;
            lookAhead = f.position;
            break;
        }
        case kOrbit: {
            orbitAngle_ += dt * flowerSpeed_;
            const SD::Vec3d turned = SD::Mtx33d::AxisAngle(orbitAngle_, up_) * orbitOffset_;
            BlendUp(f.up, kKeepOld);
            const SD::Vec3d candidate(f.position.x - flowerDistance_ * turned.x,
                                      f.position.y - flowerHeight_ - flowerDistance_ * turned.y,
                                      f.position.z - flowerDistance_ * turned.z);
            const SD::Vec3d camera = PlaceCamera(Add(previousCamera_ * kKeepOld, candidate * kTakeNew), f.position);
            WriteOrientation(LookAtOr(Sub(f.position, camera), up_, orientation_, false));
            lookAhead = f.position;
            if (orbitAngle_ > kTwoPi) {
                SetTarget(SD::Factory_::GetGameObjectByName("Player"));
                state_ = kReturn;
            }
            break;
        }
        default:
            break;
    }
    lookAhead_[lookAheadIndex_] = priming ? SD::Vec3d() : lookAhead;
    ++lookAheadIndex_;
    ++inputIndex_;
    previousCamera_ = CameraPosition();
    previousTarget_ = f.position;
}

}  // namespace QV
