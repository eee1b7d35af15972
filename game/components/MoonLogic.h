#pragma once
// The moon: placed at its radius from the owner, which turns the sky (and its stars) on in
// 20-degree steps, each after a delay.
#include "core/RTTI.h"
#include "engine/GameObjectHandle.h"
#include "engine/UpdateComponent.h"
#include "game/components/ReflectedLogic.h"

namespace QV {

class MoonLogic : public ReflectedLogic<MoonLogic, SD::kMoonLogicID> {
public:
    static constexpr float kStepRadians = 0.34906584f;
    static constexpr float kStepDelay = 9.0f;
    static constexpr float kTurnRate = 0.0175f;

    int VGetVersion() const override { return 0; }
    void VInitialize(bool) override { Layout(true); }
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void RegisterFunctions() override;

    // One 20-degree step more, after a fresh delay.
    void Step();
    SD::GameObject* GetMoon() const { return moon_.get(); }
    float GetCurrentTurn() const { return currentTurn_; }
    float GetTargetTurn() const { return targetTurn_; }

    float GetRadius() const { return radius_; }
    void SetRadius(float radius) { radius_ = radius; }
    float GetStartingZRotation() const { return startRotation_; }
    void SetStartingZRotation(float degrees) { startRotation_ = degrees; }
    float GetMoonScale() const { return moonScale_; }
    void SetMoonScale(float scale) { moonScale_ = scale; }

private:
    void Layout(bool create);

    float radius_ = 0.0f;
    int steps_ = 0;
    float currentTurn_ = 0.0f;
    float targetTurn_ = 0.0f;
    float startRotation_ = 0.0f;
    float moonScale_ = 0.0f;
    float stepDelay_ = 0.0f;
    SD::GameObjectHandle moon_;
};

}  // namespace QV
