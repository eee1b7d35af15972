#pragma once
// The menu: the menu scene with its HUD, "Go" into the world (or the sensor's push gesture
// while a sensor is connected), the sensor's tilt keys, and the quit prompt on "Quit".
#include "game/states/FadingLevel.h"
#include "runtime/InputBindingSet.h"

namespace QV {

class MainMenu : public FadingInLevel {
public:
    MainMenu() : FadingInLevel(1.3, 1.3) {}

    static constexpr float kStartCoolDown = 1.0f;
    static constexpr float kPushSeconds = 2.0f;

    void Load() override;
    void Unload() override;
    void Update(float dt) override;

    float GetPushTimer() const { return pushTimer_; }

private:
    void StartWorld();
    // The sensor's guide prompts and push gesture; with no tracked player the prompts fade.
    void KinectStep(float dt);

    SD::InputBindingSet bindings_;
    float leftHand_[2] = {0.0f, 0.0f};
    float rightHand_[2] = {0.0f, 0.0f};
    float pushTimer_ = 0.0f;
    bool inPosition_ = false;
    float startCoolDown_ = 0.0f;
};

}  // namespace QV
