#include "game/hud/Slider.h"

#include <algorithm>

#include "core/Logger.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/Transform.h"
#include "game/systems/AudioLogic.h"
#include "runtime/Input.h"

namespace QV {
namespace {

// Boundary offsets are given in pixels of a 1920-wide screen.
constexpr float kReferenceWidth = 1920.0f;
constexpr float kKnobDepth = 1.0f;

}  // namespace

Slider::~Slider() { DestroyParts(); }

void Slider::DestroyParts() {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    for (SD::GameObjectHandle* part : {&track_, &knob_}) {
        if (SD::GameObject* object = part->get(); object && factory) factory->DestroyGameObject(object);
        *part = SD::GameObjectHandle();
    }
}

void Slider::VSerialize(SD::IStream& stream, int) {
    if (stream.GetDirection() != SD::IStream::kRead) {
        SD_WARNING(Debug::kLogData, "Slider Serialization not yet implemented.");
        return;
    }
    stream.Serialize(triggerTime, "Trigger Time", "Float");
    stream.Serialize(minRange, "Min Range", "Float");
    stream.Serialize(maxRange, "Max Range", "Float");
    stream.Serialize(rangeStep, "Range Step", "Float");
    stream.Serialize(boundaryOffset, "Boundary Offset", "Float");
    stream.Serialize(trackName, "Slider Object Name", "String");
    stream.Serialize(knobName, "Slider Bar Object Name", "String");
    SD::SerializeVec3(stream, "Slider Object Offset", objectOffset);
    boundaryOffset /= kReferenceWidth;

    // Read again, it replaces its parts rather than leaving the old ones behind.
    DestroyParts();
    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::GameObject* track = factory ? factory->CreateObject(trackName.c_str(), nullptr) : nullptr;
    SD::GameObject* knob = factory ? factory->CreateObject(knobName.c_str(), nullptr) : nullptr;
    if (track) track_ = track->GetHandle();
    if (knob) knob_ = knob->GetHandle();
    if (track) {
        const SD::Vec3 p = track->GetTransform().GetLocalPos() + objectOffset;
        track->GetTransform().SetPos(p);
        if (knob) knob->GetTransform().SetPos(p + SD::Vec3(0.0f, 0.0f, kKnobDepth));
    }
}

void Slider::VInitialize(bool) {
    value_ = minRange + (maxRange - minRange) * AudioLogic_::GetInstance().GetGlobalVolume();
    SD::GameObject* track = track_.get();
    SD::GameObject* knob = knob_.get();
    if (!track || !knob) return;
    track->Initialize(false);
    knob->Initialize(false);
    SetSliderPosition();
}

float Slider::Fraction() const {
    const float range = maxRange - minRange;
    return range > 0.0f ? (value_ - minRange) / range : 0.0f;
}

void Slider::SetSliderPosition() {
    const float low = std::min(minRange, maxRange);
    const float high = std::max(minRange, maxRange);
    value_ = std::clamp(value_, low, high);
    const float t = Fraction() - 0.5f;
    SD::GameObject* track = track_.get();
    SD::GameObject* knob = knob_.get();
    if (track && knob) {
        const float span = track->GetTransform().GetScale().x - 2.0f * boundaryOffset;
        const SD::Vec3 p = track->GetTransform().GetLocalPos();
        knob->GetTransform().SetPos(SD::Vec3(p.x + span * t, p.y, p.z + kKnobDepth));
    }
    // The slider is the master volume: the audio logic keeps it and the sound system hears it.
    AudioLogic_::GetInstance().SetGlobalVolume(t + 0.5f);
}

void Slider::Step(bool focused, float) {
    if (!focused || !track_.get() || !knob_.get()) return;
    SD::Input_* input = SD::Input_::GetInstance();
    // A step count of zero or less cannot divide the range: the value holds.
    const float step = rangeStep > 0.0f ? (maxRange - minRange) / rangeStep : 0.0f;
    if (input && input->GetDigitalTriggered("HS_Left")) value_ -= step;
    if (input && input->GetDigitalTriggered("HS_Right")) value_ += step;
    SetSliderPosition();
}

}  // namespace QV
