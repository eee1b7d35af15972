#pragma once
// The renderer's eye: turns the owner's transform into a view matrix, its mirror image for the
// water reflection and the two culling frusta. Registered cameras form the graphics system's
// camera list; the first one is active and feeds the projection and the scene passes. The
// graphics frame updates every registered camera, so cameras do not join the component update.
#include "core/Matrix.h"
#include "core/Vector.h"
#include "engine/Component.h"
#include "engine/IntrusiveList.h"
#include "graphics/Culling.h"

namespace Aperture {

namespace Resource {
class Effect;
}

class Camera : public SD::Component {
public:
    static constexpr float kDefaultFov = 25.0f;
    // A view of 180 degrees or more has no perspective projection; wider angles are held here.
    static constexpr float kMaxFov = 179.0f;

    Camera() { SetID(SD::CID_Camera); }

    SD::ComponentID VGetID() const override { return SD::CID_Camera; }
    int VGetVersion() const override { return 1; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;
    // Eases the field of view toward its target, once per frame whatever the frame time.
    virtual void VUpdate(float dt);

    // View from the owner's position along its dir axis with its up axis; the reflected view
    // mirrors it in the water plane.
    void UpdateViewMatrix();
    // Both frusta from the views times the projection.
    void UpdateFrusta(const SD::Mtx44& projection);
    // "view", "viewPos" and "view_dir" on the effect; the reflected form mirrors the eye's height.
    void SetViewConstants(Resource::Effect* effect) const;
    void SetReflectedViewConstants(Resource::Effect* effect) const;

    const SD::Mtx44& GetView() const { return view; }
    const SD::Mtx44& GetReflectedView() const { return reflectedView; }
    const Frustum& GetFrustum() const { return frustum; }
    const Frustum& GetReflectedFrustum() const { return reflectedFrustum; }
    const SD::Vec3& GetEye() const { return eye; }
    const SD::Vec3& GetViewDir() const { return viewDir; }
    float GetFov() const { return fov; }
    // Kept within (0, kMaxFov].
    void SetFov(float degrees);
    float GetTargetFov() const { return targetFov; }
    void SetTargetFov(float degrees) { targetFov = degrees; }

    SD::IntrusiveLink<Camera> graphicsLink;

protected:
    // The field of view as read, clamped.
    void SerializeFov(SD::IStream& stream);

    SD::Mtx44 view = SD::Mtx44::Zero();
    SD::Mtx44 reflectedView = SD::Mtx44::Zero();
    Frustum frustum;
    Frustum reflectedFrustum;
    float fov = kDefaultFov;
    float targetFov = kDefaultFov;
    SD::Vec3 eye{0.0f, 0.0f, 0.0f};
    SD::Vec3 viewDir{0.0f, 0.0f, 1.0f};
};

// Makes the camera the active one, adding it to the list when it is not registered.
void SetActiveCamera(Camera* camera);

}  // namespace Aperture
