#include "game/editor/CursorLogic.h"

#include <cmath>
#include <cstdio>

#include "core/EngineCore.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/editor/EditorLayout.h"
#include "game/editor/EditorScene.h"
#include "game/editor/LevelEditor.h"
#include "runtime/Input.h"

namespace QV {
namespace {

SD::Vec3 Normalized(const SD::Vec3& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? SD::Vec3(v.x / length, v.y / length, v.z / length) : v;
}

}  // namespace

void CursorLogic::VInitialize(bool) {
    bindings_.BindAnalog("LE_Cursor_Accelerate", 0, SD::xpad1_Y, 10.0f);
    bindings_.BindAnalog("LE_Cursor_Accelerate", 0, SD::xpad1_B, 0.1f);
    bindings_.BindAnalog("LE_Cursor_UpDown", SD::xpad1_TRIGGER_L, 0, 0.6f);
    bindings_.BindAnalog("LE_Cursor_UpDown", SD::xpad1_TRIGGER_R, 0, -0.6f);
    bindings_.BindAnalog("LE_Cursor_ForwardBackward", SD::xpad1_AXIS_LY_N, 0, 1.0f);
    bindings_.BindAnalog("LE_Cursor_LeftRight", SD::xpad1_AXIS_LX_N, 0, 1.0f);
    bindings_.BindAnalog("LE_Cursor_Accelerate", 0, SD::key_SHIFT, 5.0f);
    bindings_.BindAnalog("LE_Cursor_Accelerate", 0, SD::key_V, 0.2f);
    bindings_.BindAnalog("LE_Cursor_UpDown", SD::key_E, SD::key_Q, 1.0f);
    bindings_.BindAnalog("LE_Cursor_ForwardBackward", SD::key_S, SD::key_W, 1.0f);
    bindings_.BindAnalog("LE_Cursor_LeftRight", SD::key_A, SD::key_D, 1.0f);
    if (GetOwner()) editorscene::AttachCursorBody(GetOwner());
}

void CursorLogic::VSerialize(SD::IStream&, int) {}

void CursorLogic::VUpdate(float) {
    LevelEditor* editor = LevelEditor::Peek();
    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::Input_* input = SD::Input_::GetInstance();
    if (!editor || !editor->IsActive() || !factory || !input || !GetOwner()) return;
    SD::GameObject* cameraObject = factory->GetGameObject(std::string("LE_CursorCamera"));
    SD::Component* camera = cameraObject ? cameraObject->GetComponent(SD::CID_SphericalCamera) : nullptr;
    if (!camera || editorscene::ActiveCamera() != camera) return;
    if (editor->GetMode() == kModeObjectEdit) return;
    const SD::Core* core = SD::Core::GetInstance();
    const float dt = core ? static_cast<float>(core->GetFrameTime()) : 0.0f;
    MoveTransform(cameraObject->GetTransform(), GetOwner()->GetTransform(), dt, 100.0f,
                  input->GetAnalog("LE_Cursor_Accelerate"));
}

void CursorLogic::MoveTransform(SD::Transform& camera, SD::Transform& moved, float dt, float baseSpeed,
                                float accelerate) {
    SD::Input_* input = SD::Input_::GetInstance();
    if (!input) return;
    const SD::Vec3 p = moved.GetPos();
    const SD::Vec3& scale = moved.GetScale();
    const float size = scale.x + scale.y + scale.z;
    const float f = size == 0.0f ? 1.0f : 2.5f * std::log(size);
    const float ud = input->GetAnalog("LE_Cursor_UpDown");
    float fb = input->GetAnalog("LE_Cursor_ForwardBackward");
    float lr = input->GetAnalog("LE_Cursor_LeftRight");
    if (input->GetKeyState(SD::mouse_BUTTON3)) {
        char text[64];
        std::snprintf(text, sizeof text, "Speed = %f", baseSpeed);
        if (LevelEditor::Peek()) editorscene::DrawDebugText(editorlayout::kMargin, editorlayout::kNoteRow, text);
        fb = static_cast<float>(input->GetMouseDeltaY()) * baseSpeed * -0.00075f;
        lr = static_cast<float>(input->GetMouseDeltaX()) * baseSpeed * 0.00075f;
    }
    // S saves with Ctrl held; it must not move the cursor backwards then.
    if (input->GetKeyState(SD::key_CONTROL) && input->GetDigital("LE_Save")) fb = 0.0f;
    const float a = accelerate == 0.0f ? 1.0f : accelerate;
    const float k = f * dt * baseSpeed * a;

    const SD::Mtx33& m = camera.GetOrient();
    const SD::Vec3 right = Normalized(SD::Vec3(m(0, 0), 0.0f, m(2, 0)));
    SD::Vec3 forward(m(0, 2), 0.0f, m(2, 2));
    if (m(2, 2) * m(2, 2) + m(0, 2) * m(0, 2) < 0.01f) forward = SD::Vec3(m(0, 1), m(1, 1), m(2, 1));
    forward = Normalized(forward);

    const SD::Vec3 next(p.x + k * (fb * forward.x + lr * right.x), p.y + k * (fb * forward.y + lr * right.y) + k * ud,
                        p.z + k * (fb * forward.z + lr * right.z));
    moved.SetPos(next);
    if (SD::GameObject* owner = moved.GetOwner()) {
        if (LevelEditor::Peek()) editorscene::SetColliderPosition(owner, next);
    }
}

}  // namespace QV
