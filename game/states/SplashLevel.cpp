#include "game/states/SplashLevel.h"

#include "game/hud/HudSprites.h"
#include "game/states/ArtLoading.h"
#include "game/states/StateObjects.h"
#include "runtime/GameStateManager.h"

namespace QV {
namespace {

constexpr float kRate = 0.85f;  // opacity per second
constexpr float kGone = 0.0001f;

}  // namespace

void SplashLevel::Load() {
    for (const char* texture : {"../Assets/Textures/KVLogo.png", "../Assets/Textures/QuorvantaAndAshfinchLogo.png",
                                "../Assets/Textures/InfoScreen.dds", "../Assets/Textures/ContinueLogo.png",
                                "../Assets/Textures/BlackPixel.dds"})
        LoadArt(GetArtLoaders().texture, texture);
    CreateNamed("Hud/KVLogo", "KVLogo");
    CreateNamed("Hud/QuorvantaAndAshfinchLogo", "AshfinchLogo");
    CreateNamed("Hud/XboxControlLogo", "XboxControlLogo");
    CreateNamed("Hud/ContinueLogo", "ContinueLogo");
    logoA_ = logoB_ = controls_ = prompt_ = 0.0f;
    for (const char* name : {"KVLogo", "AshfinchLogo", "XboxControlLogo", "ContinueLogo"})
        SetSpriteOpacity(FindNamed(name), 0.0f);
    blink_ = 1;
    rising_ = true;
    holdTimer_ = 0.0f;
    phase_ = kLogos;
}

bool SplashLevel::StepLogo(const char* name, float& opacity, float hold, float dt) {
    if (rising_) {
        if (opacity < 1.0f) {
            opacity = opacity + dt * kRate > 1.0f ? 1.0f : opacity + dt * kRate;
        } else {
            holdTimer_ += dt;
            if (holdTimer_ > hold) rising_ = false;
        }
    } else if (opacity > kGone) {
        opacity -= dt * kRate;
    } else {
        DestroyNamed(name);
        holdTimer_ = 0.0f;
        rising_ = true;
        return true;
    }
    SetSpriteOpacity(FindNamed(name), opacity);
    return false;
}

void SplashLevel::StepControls(float dt) {
    if (!FindNamed("XboxControlLogo")) return;
    if (rising_) {
        if (controls_ < 1.0f) {
            controls_ = controls_ + dt * kRate > 1.0f ? 1.0f : controls_ + dt * kRate;
        } else {
            holdTimer_ += dt;
            if (holdTimer_ > 1.5f) rising_ = false;
        }
    } else {
        prompt_ += static_cast<float>(blink_) * dt * kRate;
        if (prompt_ > 1.0f) {
            blink_ = -1;
            prompt_ = 1.0f;
        } else if (prompt_ < 0.2f) {
            blink_ = 1;
            prompt_ = 0.2f;
        }
    }
    SetSpriteOpacity(FindNamed("XboxControlLogo"), controls_);
    SetSpriteOpacity(FindNamed("ContinueLogo"), prompt_);
    if (IsContinueInput()) phase_ = kDone;
}

void SplashLevel::Update(float dt) {
    if (phase_ == kLogos) {
        if (FindNamed("KVLogo")) {
            StepLogo("KVLogo", logoA_, 2.0f, dt);
        } else if (FindNamed("AshfinchLogo")) {
            if (StepLogo("AshfinchLogo", logoB_, 1.5f, dt)) phase_ = kControls;
        }
        if (phase_ == kLogos && IsContinueInput()) {
            phase_ = kControls;
            holdTimer_ = 0.0f;
            rising_ = true;
            DestroyNamed("KVLogo");
            DestroyNamed("AshfinchLogo");
        }
    } else if (phase_ == kControls) {
        StepControls(dt);
    }
    const bool allGone = !FindNamed("KVLogo") && !FindNamed("AshfinchLogo") && !FindNamed("XboxControlLogo");
    if (phase_ == kDone || allGone) SD::GameStateManager_::ChangeLevel("LoadLevel");
}

}  // namespace QV
