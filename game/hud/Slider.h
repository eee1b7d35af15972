#pragma once
// A menu entry that sets the master volume: left and right move its value by one step of its
// range, and a knob object slides along a track object to show it. The slider creates both
// objects when it is read and destroys them with itself.
#include <string>

#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "game/hud/Widget.h"

namespace QV {

class Slider : public HudWidget {
public:
    Slider() { SetID(SD::CID_Slider); }
    ~Slider() override;
    SD::ComponentID VGetID() const override { return SD::CID_Slider; }
    int VGetVersion() const override { return 0; }
    // Only reads: a slider is never written (logged, nothing visited).
    void VSerialize(SD::IStream& stream, int version) override;
    void VInitialize(bool fromScript) override;

    void Step(bool focused, float dt);
    // Clamps the value into the range and places the knob; sets the master volume.
    void SetSliderPosition();

    float GetValue() const { return value_; }
    void SetValue(float value) { value_ = value; }
    SD::GameObject* Track() const { return track_.get(); }
    SD::GameObject* Knob() const { return knob_.get(); }

    float triggerTime = 0.0f;
    float minRange = 0.0f;
    float maxRange = 1.0f;
    float rangeStep = 10.0f;
    float boundaryOffset = 0.0f;
    std::string trackName;
    std::string knobName;
    SD::Vec3 objectOffset;

private:
    void DestroyParts();
    // The value's place in the range, 0 to 1 (0 for an empty range).
    float Fraction() const;

    SD::GameObjectHandle track_;
    SD::GameObjectHandle knob_;
    float value_ = 0.0f;
};

}  // namespace QV
