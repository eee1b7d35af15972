#pragma once
// The first screen: two logos fade in and out one after the other, then the controls screen
// shows with a blinking prompt until the player presses on; any key skips the logos. Then the
// loading state follows.
#include "game/states/FadingLevel.h"

namespace QV {

class SplashLevel : public FadingInLevel {
public:
    SplashLevel() : FadingInLevel(0.0, 0.85) {}

    enum Phase { kLogos = 0, kControls = 1, kDone = 2 };

    void Load() override;
    void Unload() override {}
    void Update(float dt) override;

    int GetPhase() const { return phase_; }

private:
    // One logo's rise, hold and fall; true once it has faded out and been destroyed.
    bool StepLogo(const char* name, float& opacity, float hold, float dt);
    void StepControls(float dt);

    float logoA_ = 0.0f;
    float logoB_ = 0.0f;
    float controls_ = 0.0f;
    float prompt_ = 0.0f;
    int blink_ = 1;
    float holdTimer_ = 0.0f;
    bool rising_ = true;
    int phase_ = kLogos;
};

}  // namespace QV
