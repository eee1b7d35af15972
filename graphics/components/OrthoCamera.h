#pragma once
// The level editor's free camera: placed from its Position, Direction and Up, then panned along
// its own axes by the editor's analog bindings. Its field of view stays as loaded.
#include "graphics/components/Camera.h"

namespace Aperture {

class OrthoCamera : public Camera {
public:
    OrthoCamera() { SetID(SD::CID_OrthoCamera); }

    SD::ComponentID VGetID() const override { return SD::CID_OrthoCamera; }
    int VGetVersion() const override { return 1; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    // position += dt x 100 x (up-down x up + zoom x dir - left-right x right).
    void VUpdate(float dt) override;

    const SD::Vec3& GetPosition() const { return position; }
    void SetPosition(const SD::Vec3& p) { position = p; }
    const SD::Vec3& GetDirection() const { return direction; }
    void SetDirection(const SD::Vec3& d) { direction = d; }
    const SD::Vec3& GetUp() const { return up; }
    void SetUp(const SD::Vec3& u) { up = u; }

private:
    SD::Vec3 position{0.0f, 0.0f, 0.0f};
    SD::Vec3 direction{0.0f, 0.0f, 0.0f};
    SD::Vec3 up{0.0f, 0.0f, 0.0f};
};

}  // namespace Aperture
