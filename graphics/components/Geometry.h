#pragma once
// Places a loaded model at its object's transform with a tint colour; joins the graphics
// system's geometry list while registered.
#include <string>

#include "core/RTTI.h"
#include "core/Vector.h"
#include "engine/Component.h"
#include "engine/IntrusiveList.h"
#include "graphics/Culling.h"
#include "graphics/RenderBatch.h"

namespace Aperture {

namespace Resource {
class iModel;
}

class Geometry : public SD::Component, public RTTIUser<Geometry>, public FrustumCullingData, public RenderItemSource {
public:
    static constexpr int kVersion = 2;

    Geometry() { SetID(SD::CID_Geometry); }

    SD::ComponentID VGetID() const override { return SD::CID_Geometry; }
    int VGetVersion() const override { return kVersion; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;
    void RegisterFunctions() override;
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    const SD::Mtx44& GetRenderWorld() const override;
    SD::Vec4 GetRenderColor() const override { return color; }

    const std::string& GetModelName() const { return modelName; }
    void SetModelName(const std::string& name) { modelName = name; }
    Resource::iModel* GetModel() const { return model; }
    void SetModel(Resource::iModel* m) { model = m; }
    const SD::Vec4& GetColor() const { return color; }
    void SetColor(const SD::Vec4& c) { color = c; }
    // The wind the object bends with: a direction and a strength (0 stands straight). The
    // drawn world matrix leans the model's upper parts along the direction, up to half its
    // height at full strength.
    static constexpr float kWindLeanPerStrength = 1.0f / 2000.0f;
    static constexpr float kMaxWindLean = 0.5f;
    void SetWind(const SD::Vec3& direction, float strength) {
        windDirection = direction;
        windStrength = strength;
    }
    const SD::Vec3& GetWindDirection() const { return windDirection; }
    float GetWindStrength() const { return windStrength; }
    bool IsVisible() const { return visible; }
    void SetVisible(bool v) { visible = v; }

    float GetColorR() { return color.x; }
    void SetColorR(float v) { color.x = v; }
    float GetColorG() { return color.y; }
    void SetColorG(float v) { color.y = v; }
    float GetColorB() { return color.z; }
    void SetColorB(float v) { color.z = v; }
    float GetColorA() { return color.w; }
    void SetColorA(float v) { color.w = v; }

    // The world box of the model's meshes, the world matrices of the owner's chain refreshed
    // from the root down first.
    void ComputeBounds(AABB& box);
    // Computes the world box into the culling record and tests it against the frustum.
    bool IsCulled(const Frustum& frustum);

    SD::IntrusiveLink<Geometry> graphicsLink;

private:
    std::string modelName;
    Resource::iModel* model = nullptr;
    SD::Vec4 color{1.0f, 1.0f, 1.0f, 1.0f};
    bool visible = false;
    SD::Vec3 windDirection;
    float windStrength = 0.0f;
    // The world matrix leaned by the wind, rebuilt whenever it is asked for.
    mutable SD::Mtx44 leanedWorld;
};

}  // namespace Aperture
