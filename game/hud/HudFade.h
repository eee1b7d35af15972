#pragma once
// Fades its object in, holds it and fades it out after a two-second delay, then destroys it;
// a few objects drive story steps by name on the way ("WhiteSquareOfSuccess", "FinalPoem",
// "Narr_9"). Runs once, from creation or from Begin.
#include "engine/UpdateComponent.h"
#include "runtime/InterpolatorSystem.h"

namespace QV {

class HudFade : public SD::IUpdateComponent {
public:
    enum Phase { kWaiting = 0, kDelay = 1, kFadeIn = 2, kSit = 3, kFadeOut = 4 };

    HudFade() { SetID(SD::CID_HudFade); }
    SD::ComponentID VGetID() const override { return SD::CID_HudFade; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VInitialize(bool) override { active_ = beginOnCreation; }
    void VUpdate(float dt) override;

    void Begin() { active_ = true; }
    int GetPhase() const { return phase_; }

    float fadeInTime = 1.0f;
    float fadeOutTime = 1.0f;
    float sitDuration = 1.0f;
    bool beginOnCreation = false;

private:
    // Returns true when the owner was destroyed.
    bool Step();

    int phase_ = kWaiting;
    bool active_ = false;
    SD::Interpolator<float> fade_;
};

}  // namespace QV
