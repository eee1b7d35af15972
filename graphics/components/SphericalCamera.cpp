#include "graphics/components/SphericalCamera.h"

#include <cmath>

#include "core/MessageSystem.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/TweakBarMessage.h"

namespace Aperture {
namespace {

constexpr uint32_t kLeftButtonDown = 0x201;
constexpr float kTwoPi = 6.28318548f;

}  // namespace

SphericalCamera::~SphericalCamera() {
    if (!listening) return;
    // A message system already gone took the handler with it; none is made here.
    if (SD::Message_System* messages = SD::Singleton<SD::Message_System>::Peek())
        messages->RemoveHandlerOf(SD::MessageIds::TweakBarMessage, this);
}

void SphericalCamera::VInitialize(bool fromScript) {
    if (SD::Input_* input = SD::Input_::GetInstance()) {
        input->BindAnalog("SphCam_X", SD::xpad1_AXIS_RX_N, 0, 1.0f);
        input->BindAnalog("SphCam_Y", SD::xpad1_AXIS_RY_N, 0, 1.0f);
        input->BindAnalog("Zoom_In", 0, SD::mouse_SCROLL_U, 1.0f);
        input->BindAnalog("Zoom_Out", 0, SD::mouse_SCROLL_D, 1.0f);
    }
    if (fromScript || listening) return;
    if (SD::Message_System* messages = SD::Message_System::GetInstance()) {
        messages->RegisterHandler(SD::MessageIds::TweakBarMessage, this, &SphericalCamera::OnTweakBar);
        listening = true;
    }
}

void SphericalCamera::OnTweakBar(SD::IMessage* message) {
    if (message->GetType() != SD::MessageIds::TweakBarMessage) return;
    auto* tweak = static_cast<QV::TweakBarMessage*>(message);
    if (tweak->message && tweak->message->message == kLeftButtonDown) clickTakenByTweakBars = tweak->handled != 0;
}

void SphericalCamera::SetRadius(float r) {
    if (!(kMaxRadius > r))
        r = kMaxRadius;
    else if (!(r > 0.0f))
        r = 0.0f;
    radius = r;
}

void SphericalCamera::VSerialize(SD::IStream& stream, int version) {
    if (version == 1 || version > 3 || version < 0) return;
    if (version == 3) {
        stream.Serialize(phi, "Phi Angle", "Float");
        stream.Serialize(theta, "Theta Angle", "Float");
    }
    if (version >= 2) SerializeFov(stream);
    stream.Serialize(targetName, "Target Name", "String");
    SD::SerializeVec2(stream, "Mouse Rotation Speed", mouseRotationSpeed);
    SD::SerializeVec2(stream, "Xbox Rotation Speed", padRotationSpeed);
    stream.Serialize(radius, "Radius", "Float");
    SetRadius(radius);
}

SD::Vec2 SphericalCamera::RotationInput() {
    SD::Input_* input = SD::Input_::GetInstance();
    if (!input) return {0.0f, 0.0f};
    float dx = static_cast<float>(input->GetMouseDeltaX()) * mouseRotationSpeed.x;
    float dy = static_cast<float>(input->GetMouseDeltaY()) * mouseRotationSpeed.y;
    if (dx == 0.0f) dx = input->GetAnalog("SphCam_X") * padRotationSpeed.x;
    if (dy == 0.0f) dy = input->GetAnalog("SphCam_Y") * padRotationSpeed.y;
    // A drag whose click the tweak bars took stays off until the button is pressed again
    // outside them; one that started outside keeps going while the button is held.
    const bool dragging = input->GetDevKeysEnabled() && input->GetKeyState(SD::mouse_BUTTON1);
    mouseLookActive = clickTakenByTweakBars ? (mouseLookActive && dragging) : dragging;
    if (!mouseLookActive) return {0.0f, 0.0f};
    return {dx, dy};
}

void SphericalCamera::VUpdate(float) {
    Graphics_* graphics = Graphics_::Peek();
    if (!graphics || graphics->GetActiveCamera() != this) return;
    SD::Input_* input = SD::Input_::GetInstance();
    const SD::Vec2 rotation = RotationInput();
    if (input) SetRadius(std::fabs(input->GetAnalog("Zoom_Out")) + radius - std::fabs(input->GetAnalog("Zoom_In")));
    // Without a client area there is nothing to turn by; the angles stay.
    const uint32_t width = graphics->GetWindowWidth();
    const uint32_t height = graphics->GetWindowHeight();
    if (width != 0 && height != 0) {
        theta += rotation.x / static_cast<float>(width) * kTwoPi * 2.0f;
        phi += rotation.y / static_cast<float>(height) * kTwoPi * 2.0f;
    }
    SD::GameObject* target = SD::Factory_::GetGameObjectByName(targetName.c_str());
    if (!target || !GetOwner()) return;
    SD::Transform& transform = GetOwner()->GetTransform();
    // The position follows the previous frame's dir axis, so the orbit trails the turn by a frame.
    const SD::Vec3 previousDir = transform.GetDir();
    transform.SetOrient(SD::Mtx33::RotationX(phi) * SD::Mtx33::RotationY(theta));
    transform.SetPos(target->GetTransform().GetPos() - previousDir * radius);
}

}  // namespace Aperture
