#pragma once
// The component of the level editor's cursor object: binds the cursor's movement inputs,
// hands the cursor's body to the editor so that what it touches is reported, and flies the
// cursor through the level in the view of the editor's main camera while that camera is active.
#include "engine/UpdateComponent.h"
#include "runtime/InputBindingSet.h"

namespace SD {
class Transform;
}

namespace QV {

class CursorLogic : public SD::IUpdateComponent {
public:
    CursorLogic() { SetID(SD::CID_CursorLogic); }

    SD::ComponentID VGetID() const override { return SD::CID_CursorLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    // Moves `moved` in the horizontal view of `camera`: forward and backward along the
    // camera's facing (its up axis when it looks almost straight up or down), sideways along its
    // right axis, up and down along world Y; the step grows with the object's size.
    static void MoveTransform(SD::Transform& camera, SD::Transform& moved, float dt, float baseSpeed, float accelerate);

private:
    SD::InputBindingSet bindings_;
};

}  // namespace QV
