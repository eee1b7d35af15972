#pragma once
// The level editor's physics side: the detect-only pass, the cursor's ghost collider that
// reports what it touches, and the positions of objects' colliders.
#include "game/editor/EditorHooks.h"

namespace Gedankenexperiment {
class Collider;
}

namespace QV {

class PhysicsEditorHooks : public EditorHooks {
public:
    void CheckCollisionsNow() override;
    // Makes the cursor's collider a ghost whose contacts reach LevelEditor::OnCursorContact;
    // a cursor without a collider is logged and left alone.
    void AttachCursorBody(SD::GameObject* cursor) override;
    bool GetColliderPosition(SD::GameObject* object, SD::Vec3* position) override;
    void SetColliderPosition(SD::GameObject* object, const SD::Vec3& position) override;

    // The cursor collider's contact callback.
    static void OnCursorContact(Gedankenexperiment::Collider* other);
};

}  // namespace QV
