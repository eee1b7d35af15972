#include "game/editor/PhysicsEditorHooks.h"

#include "core/BoundFunction.h"
#include "core/Logger.h"
#include "engine/GameObject.h"
#include "game/editor/LevelEditor.h"
#include "physics/Collider.h"
#include "physics/PhysicsSystem.h"

namespace QV {
namespace {

Gedankenexperiment::Collider* ColliderOf(SD::GameObject* object) {
    return object ? static_cast<Gedankenexperiment::Collider*>(object->GetComponent(SD::CID_Collider)) : nullptr;
}

}  // namespace

void PhysicsEditorHooks::CheckCollisionsNow() {
    Gedankenexperiment::Physics_System::GetInstance()->CheckCollisionsNow();
}

void PhysicsEditorHooks::AttachCursorBody(SD::GameObject* cursor) {
    Gedankenexperiment::Collider* collider = ColliderOf(cursor);
    if (!collider) {
        SD_WARNING(Debug::kLogError, "The level editor's cursor has no collider; it selects nothing by touch");
        return;
    }
    collider->ghost = true;
    collider->SetCallback(new MFCore::StaticFunction_1Parameters<void, Gedankenexperiment::Collider*>(
        &PhysicsEditorHooks::OnCursorContact));
}

void PhysicsEditorHooks::OnCursorContact(Gedankenexperiment::Collider* other) {
    if (LevelEditor* editor = LevelEditor::Peek()) editor->OnCursorContact(other ? other->GetOwner() : nullptr);
}

bool PhysicsEditorHooks::GetColliderPosition(SD::GameObject* object, SD::Vec3* position) {
    Gedankenexperiment::Collider* collider = ColliderOf(object);
    if (!collider || !position) return false;
    *position = collider->position;
    return true;
}

void PhysicsEditorHooks::SetColliderPosition(SD::GameObject* object, const SD::Vec3& position) {
    Gedankenexperiment::Collider* collider = ColliderOf(object);
    if (!collider) return;
    collider->position = position;
    collider->previousPosition = position;
}

}  // namespace QV
