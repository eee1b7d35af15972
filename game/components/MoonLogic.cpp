#include "game/components/MoonLogic.h"

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/PlayStateQuery.h"
#include "engine/Transform.h"
#include "graphics/photon/SkyEffects.h"
#include "runtime/Input.h"

namespace QV {
namespace {

constexpr uint32_t kKeyN = 0x4E;

}  // namespace

void MoonLogic::Layout(bool create) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::GameObject* moon = nullptr;
    if (create) {
        SD::Factory_* factory = SD::Factory_::GetInstance();
        moon = factory ? factory->CreateObject("ObjectTemplates/Moon", owner) : nullptr;
        if (moon) {
            moon->Initialize(false);
            moon_ = moon->GetHandle();
        }
    } else {
        moon = moon_.get();
    }
    if (!moon) return;
    SD::Transform& sky = owner->GetTransform();
    moon->GetTransform().SetPos(sky.GetRight() * -radius_);
    moon->GetTransform().SetScale(SD::Vec3(moonScale_, moonScale_, moonScale_));
    sky.SetOrient(SD::Mtx33::Identity());
    sky.RotateLocalZRad(startRotation_ * 0.017453292f);
    steps_ = 0;
    currentTurn_ = 0.0f;
    targetTurn_ = 0.0f;
}

void MoonLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(radius_, "Radius", "Float");
    stream.Serialize(startRotation_, "Starting Z Rotation In Degrees", "Float");
    stream.Serialize(moonScale_, "Moon Scale", "Float");
}

void MoonLogic::Step() {
    ++steps_;
    stepDelay_ = kStepDelay;
    targetTurn_ -= kStepRadians;
}

void MoonLogic::VUpdate(float dt) {
    if (SD::GetCurrentPlayState() == SD::kPlayStateDevPause) {
        Layout(false);
        return;
    }
    SD::Input_* input = SD::Input_::GetInstance();
    if (input && input->GetDevKeysEnabled() && input->GetKeyStateTriggered(kKeyN)) Step();
    if (!(currentTurn_ > targetTurn_) || !GetOwner()) return;
    stepDelay_ -= dt;
    if (stepDelay_ >= 0.0f) return;
    const float angle = dt * -kTurnRate;
    GetOwner()->GetTransform().RotateLocalZRad(angle);
    currentTurn_ += angle;
    auto* stars = SD::ComponentOf<Aperture::Photon::TwinklingStars>(SD::Factory_::GetGameObjectByName("TwinklingStars"),
                                                                    SD::CID_TwinklingStars);
    if (stars) stars->Rotate(angle);
}

void MoonLogic::RegisterFunctions() {
    RTTI_GETTER(&MoonLogic::GetRadius);
    RTTI_SETTER(&MoonLogic::SetRadius);
    RTTI_GETTER(&MoonLogic::GetStartingZRotation);
    RTTI_SETTER(&MoonLogic::SetStartingZRotation);
    RTTI_GETTER(&MoonLogic::GetMoonScale);
    RTTI_SETTER(&MoonLogic::SetMoonScale);
}

}  // namespace QV
