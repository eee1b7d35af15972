// The editor's 3D cursor: its movement in the main camera's view, driven by its key bindings.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "EditorTestSupport.h"
#include "core/EngineCore.h"

namespace {

using gametest::EditorFixture;

class CursorTest : public EditorFixture {
protected:
    static constexpr float kDt = 0.1f;

    CursorTest() {
        camera.SetOrient(SD::Mtx33::Identity());
        moved.SetScale(SD::Vec3(1.0f, 1.0f, 1.0f));
    }
    // Holds the keys, lets the bindings see them, and moves the transform once.
    SD::Vec3 MoveWith(std::initializer_list<uint32_t> codes, float baseSpeed = 100.0f) {
        for (uint32_t code : codes) keys.insert(code);
        input.Update(kDt);
        moved.SetPos(SD::Vec3());
        QV::CursorLogic::MoveTransform(camera, moved, kDt, baseSpeed, input.GetAnalog("LE_Cursor_Accelerate"));
        for (uint32_t code : codes) keys.erase(code);
        input.Update(kDt);
        return moved.GetLocalPos();
    }

    SD::Transform camera;
    SD::Transform moved;
    const float step = 2.5f * std::log(3.0f) * kDt * 100.0f;  // scale (1, 1, 1)
};

TEST_F(CursorTest, KeysMoveAlongTheCamerasHorizontalAxesAndWorldUp) {
    struct Case {
        const char* what;
        std::initializer_list<uint32_t> keys;
        SD::Vec3 direction;
        float factor;
    };
    const Case cases[] = {
        {"nothing held", {}, SD::Vec3(0, 0, 0), 1.0f},
        {"W forward", {SD::key_W}, SD::Vec3(0, 0, 1), 1.0f},
        {"S backward", {SD::key_S}, SD::Vec3(0, 0, -1), 1.0f},
        {"D right", {SD::key_D}, SD::Vec3(1, 0, 0), 1.0f},
        {"Q up", {SD::key_Q}, SD::Vec3(0, 1, 0), 1.0f},
        {"E down", {SD::key_E}, SD::Vec3(0, -1, 0), 1.0f},
        {"Shift speeds up five times", {SD::key_SHIFT, SD::key_W}, SD::Vec3(0, 0, 1), 5.0f},
        {"Shift and V: the larger, not the sum", {SD::key_SHIFT, SD::key_V, SD::key_W}, SD::Vec3(0, 0, 1), 5.0f},
        {"V slows down", {SD::key_V, SD::key_W}, SD::Vec3(0, 0, 1), 0.2f},
        {"Ctrl + S saves, it does not move back", {SD::key_CONTROL, SD::key_S}, SD::Vec3(0, 0, 0), 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SD::Vec3 p = MoveWith(c.keys);
        EXPECT_NEAR(p.x, c.direction.x * step * c.factor, 1e-3f);
        EXPECT_NEAR(p.y, c.direction.y * step * c.factor, 1e-3f);
        EXPECT_NEAR(p.z, c.direction.z * step * c.factor, 1e-3f);
    }
}

TEST_F(CursorTest, APitchedCameraStillMovesHorizontallyAndOneLookingDownUsesItsUpAxis) {
    camera.RotateLocalXRad(0.5f);
    SD::Vec3 p = MoveWith({SD::key_W});
    EXPECT_NEAR(p.y, 0.0f, 1e-4f);
    EXPECT_NEAR(std::sqrt(p.x * p.x + p.z * p.z), step, 1e-3f);

    // Facing straight down (0, -1, 0), up along +x, right along +z.
    camera.SetOrient(SD::Mtx33(0, 1, 0, 0, 0, -1, 1, 0, 0));
    p = MoveWith({SD::key_W});
    EXPECT_NEAR(p.x, step, 1e-3f);
    EXPECT_NEAR(p.z, 0.0f, 1e-4f);
    p = MoveWith({SD::key_D});
    EXPECT_NEAR(p.z, step, 1e-3f);
}

TEST_F(CursorTest, TheStepGrowsWithTheSizeAndASizeOfOneStandsStill) {
    moved.SetScale(SD::Vec3(0.5f, 0.25f, 0.25f));
    EXPECT_NEAR(MoveWith({SD::key_W}).z, 0.0f, 1e-6f) << "2.5 ln 1 is 0";
    moved.SetScale(SD::Vec3(0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(MoveWith({SD::key_W}).z, kDt * 100.0f, 1e-3f) << "a size of exactly 0 moves at the base rate";
    moved.SetScale(SD::Vec3(3.0f, 3.0f, 3.0f));
    EXPECT_NEAR(MoveWith({SD::key_W}, 10.0f).z, 2.5f * std::log(9.0f) * kDt * 10.0f, 1e-3f);
}

TEST_F(CursorTest, TheCursorFliesOnlyWhileTheEditorsMainCameraIsActive) {
    std::unique_ptr<SD::Core> core(SD::Core::CreateInstance());
    SD::GameObject* cursor = Cursor();
    const SD::Vec3 start = cursor->GetTransform().GetLocalPos();
    keys.insert(SD::key_W);
    Frame();
    EXPECT_EQ(cursor->GetTransform().GetLocalPos().z, start.z) << "the editor is off";

    SwitchOn();
    keys.insert(SD::key_W);
    Frame();
    Frame();
    const float moved = cursor->GetTransform().GetLocalPos().z - start.z;
    EXPECT_GT(moved, 0.0f);

    ActivateOtherCamera();
    const float before = cursor->GetTransform().GetLocalPos().z;
    Frame();
    EXPECT_EQ(cursor->GetTransform().GetLocalPos().z, before) << "another camera is active";
    keys.erase(SD::key_W);
}

}  // namespace
