#pragma once
// The recurring rain storm: a pause, then a storm that darkens the season system's sky, lets
// its rain fall, strikes lightning with thunder, and clears again.
#include "engine/UpdateComponent.h"
#include "runtime/InterpolatorSystem.h"

namespace QV {

class RainLogic : public SD::IUpdateComponent {
public:
    static constexpr float kPause = 20.0f;
    static constexpr float kStorm = 42.0f;

    RainLogic() { SetID(SD::kRainLogicID); }
    SD::ComponentID VGetID() const override { return SD::kRainLogicID; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool) override { particlesOn_ = false; }
    void VUpdate(float dt) override;

    // Storms run only while enabled; the sky clears and the rain stops at once either way.
    void Enable(bool enabled);
    bool IsRaining() const { return raining_; }
    bool ParticlesOn() const { return particlesOn_; }
    float GetCountdown() const { return countdown_; }
    float GetStormTime() const { return stormTime_; }

private:
    void SetParticles(bool on);

    float countdown_ = kPause;
    bool raining_ = false;
    float stormTime_ = 0.0f;
    SD::InterpolatorF darkness_{0.0f, 1.0f};
    bool particlesOn_ = false;
    float thunderCountdown_ = 0.0f;
    bool enabled_ = false;
};

}  // namespace QV
