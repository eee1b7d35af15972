#pragma once
// Puts a light into the scene: its kind, colour, cone and attenuation. Joins the graphics
// system's light list while registered; a light of kind 3 makes its object the scene's
// directional, shadow-casting light.
#include "core/RTTI.h"
#include "core/Vector.h"
#include "engine/Component.h"
#include "engine/IntrusiveList.h"
#include "graphics/Culling.h"

namespace Aperture {

// The sixteen floats that go to the effects as one record, in this order.
struct LightInfo {
    float type = 0.0f;  // a small integer held as a float
    SD::Vec4 color{0.0f, 0.0f, 0.0f, 0.0f};
    SD::Vec3 viewPosition{0.0f, 0.0f, 0.0f};
    SD::Vec3 direction{0.0f, 0.0f, 0.0f};
    float spotExponent = 0.0f;
    float innerAngle = 0.0f;  // radians, full cone
    float outerAngle = 0.0f;  // radians, full cone
    float attenNear = 0.0f;
    float attenFar = 0.0f;
};
static_assert(sizeof(LightInfo) == 16 * sizeof(float), "the effects read the light as sixteen floats");

class Light : public SD::Component, public RTTIUser<Light>, public FrustumCullingData {
public:
    enum Kind { kNone = 0, kPoint = 1, kSpot = 2, kDirectional = 3 };

    Light() { SetID(SD::CID_Light); }

    SD::ComponentID VGetID() const override { return SD::CID_Light; }
    int VGetVersion() const override { return 1; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;
    void RegisterFunctions() override;
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    // The stored float rounded to the nearest integer.
    int GetType() const;
    void SetType(int type) { info.type = static_cast<float>(type); }
    void SetTypeValue(float value) { info.type = value; }
    const SD::Vec4& GetColor() const { return info.color; }
    void SetColor(float r, float g, float b, float a) { info.color = SD::Vec4(r, g, b, a); }
    const SD::Vec3& GetDirection() const { return info.direction; }
    void SetDirection(float x, float y, float z) { info.direction = SD::Vec3(x, y, z); }
    void SetViewPosition(const SD::Vec3& p) { info.viewPosition = p; }
    float GetSpotExponent() const { return info.spotExponent; }
    void SetSpotExponent(float e) { info.spotExponent = e; }
    // Angles are kept in radians and set in degrees.
    float GetInnerAngle() const { return info.innerAngle; }
    float GetOuterAngle() const { return info.outerAngle; }
    void SetInnerAngle(float degrees);
    void SetOuterAngle(float degrees);
    const LightInfo& GetInfo() const { return info; }

    float GetLightColorR() const { return info.color.x; }
    void SetLightColorR(float v) { info.color.x = v; }
    float GetLightColorG() const { return info.color.y; }
    void SetLightColorG(float v) { info.color.y = v; }
    float GetLightColorB() const { return info.color.z; }
    void SetLightColorB(float v) { info.color.z = v; }
    float GetLightColorA() const { return info.color.w; }
    void SetLightColorA(float v) { info.color.w = v; }
    float GetAttenNear() const { return info.attenNear; }
    void SetAttenNear(float v) { info.attenNear = v; }
    float GetAttenFar() const { return info.attenFar; }
    void SetAttenFar(float v) { info.attenFar = v; }

    SD::IntrusiveLink<Light> graphicsLink;

private:
    LightInfo info;
};

}  // namespace Aperture
