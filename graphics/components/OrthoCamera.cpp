#include "graphics/components/OrthoCamera.h"

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/Transform.h"
#include "runtime/Input.h"

namespace Aperture {

// The right axis is Up x Direction and the dir axis -Direction; neither is normalised, so the
// file's vectors are taken as they are.
void OrthoCamera::VInitialize(bool) {
    if (!GetOwner()) return;
    const SD::Vec3 right(up.y * direction.z - up.z * direction.y, up.z * direction.x - up.x * direction.z,
                         up.x * direction.y - up.y * direction.x);
    SD::Transform& transform = GetOwner()->GetTransform();
    transform.SetOrient(SD::Mtx33::FromColumns(right, up, -direction));
    transform.SetPos(position);
}

void OrthoCamera::VSerialize(SD::IStream& stream, int version) {
    if (version != 0 && version != 1) return;
    if (version == 1) SerializeFov(stream);
    SD::SerializeVec3(stream, "Position", position);
    SD::SerializeVec3(stream, "Direction", direction);
    SD::SerializeVec3(stream, "Up", up);
}

void OrthoCamera::VUpdate(float dt) {
    if (!GetOwner()) return;
    SD::Input_* input = SD::Input_::GetInstance();
    if (!input) return;
    SD::Transform& transform = GetOwner()->GetTransform();
    const float upDown = input->GetAnalog("LE_Camera_UpDown");
    const float leftRight = input->GetAnalog("LE_Camera_LeftRight");
    const float zoom = input->GetAnalog("LE_Camera_Zoom_InOut");
    const float s = dt * 100.0f;
    const SD::Vec3 move = transform.GetUp() * upDown + transform.GetDir() * zoom - transform.GetRight() * leftRight;
    transform.SetPos(transform.GetLocalPos() + move * s);
}

}  // namespace Aperture
