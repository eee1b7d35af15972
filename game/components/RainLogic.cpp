#include "game/components/RainLogic.h"

#include <algorithm>

#include "core/Random.h"
#include "engine/GameObject.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/photon/RainSystem.h"

namespace QV {

void RainLogic::SetParticles(bool on) {
    particlesOn_ = on;
    if (auto* rain = SD::ComponentOf<Aperture::Photon::RainSystem>(GetOwner(), SD::CID_RainSystem)) rain->SetActive(on);
}

void RainLogic::Enable(bool enabled) {
    enabled_ = enabled;
    SowlarSystem_::GetInstance().SetStormDarkness(0.0f);
    SetParticles(false);
}

void RainLogic::VUpdate(float dt) {
    if (!enabled_) return;
    if (!raining_) {
        countdown_ -= dt;
        if (countdown_ > 0.0f) return;
        raining_ = true;
        stormTime_ = 0.0f;
        thunderCountdown_ = 0.0f;
        particlesOn_ = false;
        darkness_.Start(0.0f, 1.0f, 25.0);
        countdown_ = kPause;
        return;
    }
    if (darkness_.IsComplete()) {
        darkness_.Start(darkness_.GetValue(), darkness_.GetValue() > 0.5f ? 0.0f : 1.0f, 17.0);
    }
    stormTime_ += dt;
    if (stormTime_ >= kStorm) raining_ = false;
    SowlarSystem_& seasons = SowlarSystem_::GetInstance();
    seasons.SetStormDarkness(std::clamp(darkness_.GetValue() * 4.0f, 0.0f, 1.0f));
    if (stormTime_ >= 7.0f && stormTime_ <= 37.0f && !particlesOn_) {
        SetParticles(true);
        AudioLogic_::GetInstance().SetRainTarget(1.0f);
    }
    if (particlesOn_ && stormTime_ > 37.0f) {
        SetParticles(false);
        AudioLogic_::GetInstance().SetRainTarget(0.0f);
    }
    if (stormTime_ >= 12.0f && stormTime_ <= 34.0f) {
        thunderCountdown_ -= dt;
        if (thunderCountdown_ <= 0.0f) {
            seasons.StartLightning();
            AudioLogic_::PostEvent("Play_Thunder", nullptr);
            thunderCountdown_ = SD::RandomFloat(5.0f, 10.0f);
        }
    }
}

}  // namespace QV
