#pragma once
// A camera that orbits a named target object: the mouse (while the developer keys are on and
// the left button is held) or the right pad stick turns it, the scroll wheel moves it in and
// out. Only the active camera reacts. A left click that the tweak bars took starts no drag.
#include <string>

#include "graphics/components/Camera.h"

namespace SD {
class IMessage;
}

namespace Aperture {

class SphericalCamera : public Camera {
public:
    static constexpr float kMaxRadius = 100000.0f;

    SphericalCamera() { SetID(SD::CID_SphericalCamera); }
    ~SphericalCamera() override;

    SD::ComponentID VGetID() const override { return SD::CID_SphericalCamera; }
    int VGetVersion() const override { return 3; }
    bool VReadsVersion(int version) const override { return version == 0 || version == 2 || version == 3; }
    // Binds "SphCam_X", "SphCam_Y", "Zoom_In" and "Zoom_Out" and, unless made from a script,
    // listens to the tweak bars.
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    const std::string& GetTargetName() const { return targetName; }
    void SetTargetName(const std::string& name) { targetName = name; }
    float GetTheta() const { return theta; }
    void SetTheta(float radians) { theta = radians; }
    float GetPhi() const { return phi; }
    void SetPhi(float radians) { phi = radians; }
    float GetRadius() const { return radius; }
    // Kept within [0, kMaxRadius].
    void SetRadius(float r);
    const SD::Vec2& GetMouseRotationSpeed() const { return mouseRotationSpeed; }
    void SetMouseRotationSpeed(const SD::Vec2& s) { mouseRotationSpeed = s; }
    const SD::Vec2& GetPadRotationSpeed() const { return padRotationSpeed; }
    void SetPadRotationSpeed(const SD::Vec2& s) { padRotationSpeed = s; }
    bool IsMouseLookActive() const { return mouseLookActive; }

private:
    void OnTweakBar(SD::IMessage* message);
    // The rotation of this frame from the mouse, or failing it the pad, when the drag gate
    // lets it through.
    SD::Vec2 RotationInput();

    std::string targetName;
    float theta = 0.0f;
    float phi = 0.0f;
    float radius = 25.0f;
    bool mouseLookActive = false;
    bool clickTakenByTweakBars = false;
    SD::Vec2 mouseRotationSpeed{0.0f, 0.0f};
    SD::Vec2 padRotationSpeed{0.0f, 0.0f};
    bool listening = false;
};

}  // namespace Aperture
