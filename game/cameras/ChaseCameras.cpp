#include "game/cameras/ChaseCameras.h"

#include <algorithm>
#include <cmath>

#include "core/EngineCore.h"
#include "core/Matrix.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/cameras/CameraMath.h"
#include "graphics/Graphics.h"
#include "physics/PhysicsSystem.h"
#include "runtime/Input.h"

namespace QV {

void PimselCamera::VUpdate(float dt) {
    Camera::VUpdate(dt);
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    if (!graphics || graphics->GetActiveCamera() != this) return;
    if (dt == 0.0f) {
        SD::Core* core = SD::Core::GetInstance();
        dt = core ? static_cast<float>(core->GetSmoothedFrameTime()) : 0.0f;
    }
    SD::Input_* input = SD::Input_::GetInstance();
    if (!input) return;
    using Axis = SD::Input_::SixAxisValue;
    const SD::Vec3 rotation(input->GetSixAxisValue(Axis::kRotationX), input->GetSixAxisValue(Axis::kRotationY),
                            input->GetSixAxisValue(Axis::kRotationZ));
    const SD::Vec3 translation(input->GetSixAxisValue(Axis::kTranslationX), input->GetSixAxisValue(Axis::kTranslationY),
                               input->GetSixAxisValue(Axis::kTranslationZ));
    Fly(rotation, translation, dt);
}

void PimselCamera::Fly(const SD::Vec3& rotation, const SD::Vec3& translation, float dt) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    const SD::Mtx33 before = transform.GetOrient();
    if (rotation.Length() > kRotationThreshold) {
        transform.RotateLocalXRad(-3.0f * rotation.x * dt);
        transform.RotateLocalYRad(5.0f * rotation.y * dt);
        transform.RotateLocalZRad(rotation.z * dt);
    }
    const float s = translation.Length() * dt * kTranslationScale;
    const SD::Vec3 step = before * SD::Vec3(s * translation.x, -s * translation.z, -s * translation.y);
    transform.SetPos(transform.GetLocalPos() + step);
    if (SD::GameObject* cursor = SD::Factory_::GetGameObjectByName("LE_Cursor"))
        cursor->GetTransform().SetPos(transform.GetLocalPos() + transform.GetDir() * kCursorDistance);
}

float ObscuraCameraLogic::Distance(float forwardSpeed) {
    return std::min(std::max(10.0f, forwardSpeed) * 0.01f * 8.0f + 7.0f, 15.0f);
}

void ObscuraCameraLogic::VInitialize(bool) {
    FindTarget();
    stiffness_ = 0.2f;
    damping_ = 0.001f;
}

SD::GameObject* ObscuraCameraLogic::FindTarget() {
    if (SD::GameObject* target = target_.get()) return target;
    SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
    if (!player) return nullptr;
    target_ = player->GetHandle();
    spring_ = player->GetTransform().GetLocalPos();
    velocity_ = SD::Vec3();
    return player;
}

void ObscuraCameraLogic::VFixedUpdate(float dt) {
    SD::GameObject* target = FindTarget();
    if (!target || !GetOwner()) return;
    const SD::Transform& aim = target->GetTransform();
    const SD::Vec3 p = aim.GetLocalPos();
    const SD::Vec3 facing = aim.GetDir();
    const SD::Vec3 up = aim.GetUp();
    SD::Transform& transform = GetOwner()->GetTransform();
    const SD::Vec3 camera = transform.GetLocalPos();

    acceleration_ = (p - spring_) * kSpringPull;
    spring_ += velocity_ * dt;
    acceleration_ = acceleration_ * stiffness_;
    velocity_ += acceleration_ * dt;
    velocity_ = velocity_ * std::pow(damping_, dt);
    const float speed = velocity_.Length();
    if (speed > kMaxSpringSpeed) velocity_ = velocity_ * (kMaxSpringSpeed / speed);

    // A spring point on the camera or straight above it keeps the last orientation.
    const SD::Mtx33& before = transform.GetOrient();
    SD::Mtx33d previous;
    for (int i = 0; i < 9; ++i) previous.m[i] = before.m[i];
    transform.SetOrient(ToFloat(LookAtOr(SD::Vec3d(spring_ - camera), SD::Vec3d(up), previous, true)));
    SD::Vec3 place = p - facing * Distance(velocity_.Dot(facing));
    if (Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::Peek())
        place = physics->ClearView(p, place, kGroundClearance);
    transform.SetPos(place);
}

void DataBarController::VSerialize(SD::IStream& stream, int version) {
    if (version != 0) return;
    stream.Serialize(workingValue_, "working bar value", "Float");
    stream.Serialize(maxValue_, "max current value can take", "Float");
}

void DataBarController::VInitialize(bool) {
    if (!GetOwner()) return;
    SD::Transform& transform = GetOwner()->GetTransform();
    initialScaleX_ = transform.GetScaleX();
    initialScaleY_ = transform.GetScaleY();
    transform.SetScaleX(workingValue_ * initialScaleX_);
}

}  // namespace QV
