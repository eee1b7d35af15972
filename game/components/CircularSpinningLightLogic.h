#pragma once
// A ring of lights that circle their object. The lights are objects of their own, made at
// initialisation and destroyed with the component; while the object's group is inactive they
// stand still and dark.
#include <vector>

#include "core/RTTI.h"
#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "engine/UpdateComponent.h"
#include "game/components/ReflectedLogic.h"

namespace QV {

class CircularSpinningLightLogic
    : public ReflectedLogic<CircularSpinningLightLogic, SD::kCircularSpinningLightLogicID> {
public:
    static constexpr const char* kLightBlueprint = "ObjectTemplates/CircularSpinningLight";

    ~CircularSpinningLightLogic() override;

    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void VOnSleep() override {}
    void VOnAwake() override {}
    void RegisterFunctions() override;

    const std::vector<SD::GameObjectHandle>& GetLights() const { return lights_; }
    const std::vector<float>& GetAngles() const { return angles_; }

    float GetSpinningLightRadius() const { return radius_; }
    void SetSpinningLightRadius(float radius) { radius_ = radius; }
    float GetSpinSpeed() const { return spinSpeed_; }
    void SetSpinSpeed(float speed) { spinSpeed_ = speed; }
    float GetSpinningLightsColorR() const { return colour_.x; }
    void SetSpinningLightsColorR(float v) { colour_.x = v; }
    float GetSpinningLightsColorG() const { return colour_.y; }
    void SetSpinningLightsColorG(float v) { colour_.y = v; }
    float GetSpinningLightsColorB() const { return colour_.z; }
    void SetSpinningLightsColorB(float v) { colour_.z = v; }
    float GetSpinningLightsColorA() const { return colour_.w; }
    void SetSpinningLightsColorA(float v) { colour_.w = v; }
    float GetSpinningLightsAttenNear() const { return attenuationNear_; }
    void SetSpinningLightsAttenNear(float v) { attenuationNear_ = v; }
    float GetSpinningLightsAttenFar() const { return attenuationFar_; }
    void SetSpinningLightsAttenFar(float v) { attenuationFar_ = v; }

private:
    // Places the lights evenly round the object from the start angle, making them when asked.
    void Layout(bool create);

    std::vector<SD::GameObjectHandle> lights_;
    std::vector<float> angles_;
    float spinSpeed_ = 0.0f;
    int count_ = 0;
    float radius_ = 0.0f;
    SD::Vec4 colour_;
    float attenuationNear_ = 0.0f;
    float attenuationFar_ = 0.0f;
    float startAngle_ = 0.0f;
};

}  // namespace QV
