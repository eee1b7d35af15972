// The transform's matrices and motion records, and the transformer's pass over the object tree.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestSupport.h"
#include "core/EngineCore.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"
#include "support/ExpectNear.h"
#include "tests/engine/TransformProbes.h"

namespace {

using qvtest::ExpectNear;
constexpr float kTolerance = 1e-5f;

using enginetest::EngineFixture;
using enginetest::RecordOf;
using TransformerProbe = platform::TestProbe<SD::Transformer_>;

TEST(Transform, FreshTransformAndRotationBookkeeping) {
    SD::Transform t;
    EXPECT_EQ(t.GetScale(), SD::Vec3(1, 1, 1));
    EXPECT_EQ(t.GetOrient(), SD::Mtx33::Identity());
    EXPECT_TRUE(RecordOf(t).invalid);
    EXPECT_EQ(t.GetGlobalMatrix(), SD::Mtx44::Zero());

    // Setting the same angle twice rotates once.
    t.SetRotateZ(0.5f);
    t.SetRotateZ(0.5f);
    ExpectNear(t.GetRight(), SD::Vec3(std::cos(0.5f), std::sin(0.5f), 0), kTolerance);
    EXPECT_EQ(RecordOf(t).changeCount, 2u);

    // A target straight above gives the right axis (1, 0, 0).
    t.LookAt(SD::Vec3(0, 0, 10));
    ExpectNear(t.GetRight(), SD::Vec3(1, 0, 0), kTolerance);
    ExpectNear(t.GetDir(), SD::Vec3(0, 0, -1), kTolerance);
    EXPECT_EQ(RecordOf(t).changeCount, 0u);

    // More than 8192 units of change re-orthonormalise at the next refresh.
    for (int i = 0; i < 8193; ++i) t.RotateLocalXRad(0.001f);
    EXPECT_EQ(RecordOf(t).changeCount, 8193u);
    t.Refresh();
    EXPECT_EQ(RecordOf(t).changeCount, 0u);
    EXPECT_NEAR(t.GetUp().Length(), 1.0f, 1e-6f);
}

TEST(Transform, RotationsAboutAPivotAndTheAccumulatedRotation) {
    SD::Transform t;
    t.SetPos(SD::Vec3(2, 0, 0));
    t.RotateGlobalZRad(static_cast<float>(M_PI / 2), SD::Vec3(1, 0, 0));
    ExpectNear(t.GetLocalPos(), SD::Vec3(1, 1, 0), kTolerance);
    ExpectNear(t.GetRight(), SD::Vec3(0, 1, 0), kTolerance);
    t.Rotate(0.25f, SD::Vec3(0, 1, 0));
    EXPECT_EQ(RecordOf(t).changeCount, 11u);
    ExpectNear(RecordOf(t).angularDelta, SD::Vec3(0, 0.25f, static_cast<float>(M_PI / 2)), kTolerance);
    t.Refresh();
    ExpectNear(RecordOf(t).previousAngularDelta, SD::Vec3(0, 0.25f, static_cast<float>(M_PI / 2)), kTolerance);
    ExpectNear(RecordOf(t).angularDelta, SD::Vec3(), kTolerance);
}

// A turn about one of the object's own axes comes after its orientation, and the frame's
// rotation grows by the angle about that axis as the object holds it.
TEST(Transform, LocalTurnsFollowTheObjectsOwnAxes) {
    const SD::Mtx33 start = SD::Mtx33::RotationAxisAngle(0.7f, SD::Vec3(1, 2, 3).GetNormalized());
    struct Case {
        void (SD::Transform::*turn)(float);
        SD::Mtx33 (*rotation)(float);
        int axis;
    };
    const Case cases[] = {{&SD::Transform::RotateLocalXRad, &SD::Mtx33::RotationX, 0},
                          {&SD::Transform::RotateLocalYRad, &SD::Mtx33::RotationY, 1},
                          {&SD::Transform::RotateLocalZRad, &SD::Mtx33::RotationZ, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.axis);
        SD::Transform t;
        t.SetOrient(start);
        const uint32_t changes = RecordOf(t).changeCount;
        (t.*c.turn)(0.4f);
        ExpectNear(RecordOf(t).angularDelta, start.GetColumn(c.axis) * 0.4f, kTolerance);
        const SD::Mtx33 expected = start * c.rotation(0.4f);
        for (int k = 0; k < 3; ++k) ExpectNear(t.GetOrient().GetColumn(k), expected.GetColumn(k), kTolerance);
        EXPECT_EQ(RecordOf(t).changeCount, changes + 1);
        EXPECT_TRUE(RecordOf(t).invalid);
    }
}

TEST(Transform, FakeVelocityUsesTheCoresFrameTime) {
    SD::Transform t;
    t.SetPos(SD::Vec3(1, 2, 3));
    ExpectNear(t.GetFakeVel(), SD::Vec3(), kTolerance);  // no core: no frame time
    std::unique_ptr<SD::Core> core(SD::Core::CreateInstance());
    ExpectNear(t.GetFakeVel(), SD::Vec3(1, 2, 3) * static_cast<float>(1.0 / SD::Core::kDefaultFrameTime), 1e-3f);
    t.SetPrevPos(SD::Vec3(1, 2, 3));
    ExpectNear(t.GetFakeVel(), SD::Vec3(), kTolerance);
    ExpectNear(RecordOf(t).positionDelta, SD::Vec3(1, 2, 3), kTolerance);
}

TEST(Transform, ReflectedAccessorsReachTheFields) {
    RTTIClassRegistry::Create();
    SD::Transform t;
    const IRTTIUser::ClassInfo info = t.GetClassInfo();
    EXPECT_EQ(info.name, "SD::Transform");
    ASSERT_EQ(info.functions.size(), 18u);
    auto call = [&info, &t](const std::string& name, std::vector<MFCore::Any> args) -> MFCore::BoundFunction* {
        for (const auto& entry : info.functions) {
            if (entry.name != name) continue;
            args.insert(args.begin(), MFCore::Any(&t));
            entry.function->Invoke(args);
            return entry.function.get();
        }
        ADD_FAILURE() << name;
        return nullptr;
    };
    t.SetInvalid(false);
    call("SetPosY", {MFCore::Any(2.5f)});
    EXPECT_EQ(t.GetPosY(), 2.5f);
    EXPECT_TRUE(RecordOf(t).invalid);
    call("SetRotateZ", {MFCore::Any(0.5f)});
    MFCore::BoundFunction* getter = call("GetRotateZ", {});
    EXPECT_EQ(MFCore::Any::Extract<float>(*getter->GetResult()), 0.5f);
    RTTIClassRegistry::Destroy();
}

TEST(Transform, ValueTreeRecordReadsBackInOrderAndByName) {
    SD::Transform source;
    source.SetPos(SD::Vec3(1, 2, 3));
    source.SetScale(SD::Vec3(4, 5, 6));
    source.RotateLocalXRad(0.5f);
    SD::SuperialDataMap map;
    source.VWriteSuperial(map.Top(), 0);
    for (bool byName : {false, true}) {
        SD::Transform copy;
        copy.VReadSuperial(map.Top(), byName);
        EXPECT_EQ(copy.GetLocalPos(), source.GetLocalPos());
        EXPECT_EQ(copy.GetScale(), source.GetScale());
        EXPECT_EQ(copy.GetOrient(), source.GetOrient());
    }
    // A record without the fields leaves them alone.
    SD::SuperialDataMap empty;
    empty.Top()->MakeObject();
    SD::Transform untouched;
    untouched.VReadSuperial(empty.Top(), true);
    untouched.VReadSuperial(empty.Top(), false);
    EXPECT_EQ(untouched.GetScale(), SD::Vec3(1, 1, 1));
}

class TransformTreeTest : public EngineFixture {
protected:
    TransformTreeTest() : EngineFixture(2100) {}
};

TEST_F(TransformTreeTest, WorldPositionIgnoresParentScaleWhileTheMatrixUsesIt) {
    SD::GameObject* parent = factory.NewGameObject();
    SD::GameObject* child = factory.NewGameObject();
    parent->AttachChild(child);
    parent->GetTransform().SetPos(SD::Vec3(10, 0, 0));
    parent->GetTransform().SetScale(SD::Vec3(2, 2, 2));
    parent->GetTransform().RotateLocalZRad(static_cast<float>(M_PI / 2));
    child->GetTransform().SetPos(SD::Vec3(1, 0, 0));
    parent->Initialize(false);
    transformer.Update(0.0f);
    ExpectNear(child->GetTransform().GetPos(), SD::Vec3(10, 1, 0), kTolerance);
    ExpectNear(child->GetTransform().GetGlobalMatrix().GetColumn3(3), SD::Vec3(10, 2, 0), kTolerance);
}

TEST_F(TransformTreeTest, DeepTreeIsRefreshedOnceParentsFirst) {
    // Deepest object first, each initialised before it is attached, so the transformer's list
    // runs from the leaves up and only the root may start a pass.
    constexpr int kDepth = 2000;
    std::vector<SD::GameObject*> chain(kDepth);
    for (int i = kDepth - 1; i >= 0; --i) {
        chain[i] = factory.NewGameObject();
        ASSERT_NE(chain[i], nullptr);
        chain[i]->GetTransform().SetPos(SD::Vec3(1, 0, 0));
        chain[i]->Initialize(false);
        if (i + 1 < kDepth) chain[i]->AttachChild(chain[i + 1]);
    }
    ASSERT_EQ(TransformerProbe::Transforms(transformer).Size(), static_cast<size_t>(kDepth));
    transformer.Update(0.0f);
    for (int i = 1; i < kDepth; i += 199) {
        const SD::Transform& t = chain[i]->GetTransform();
        // Built on the parent's fresh matrix, and moved once: a second visit would see no motion.
        EXPECT_FLOAT_EQ(t.GetGlobalMatrix().GetColumn3(3).x, static_cast<float>(i + 1)) << i;
        EXPECT_FLOAT_EQ(RecordOf(t).positionDelta.x, static_cast<float>(i + 1)) << i;
        EXPECT_NE(RecordOf(t).previousGlobalMatrix, t.GetGlobalMatrix()) << i;
    }
}

TEST_F(TransformTreeTest, PassFollowsTheObjectTreeAsItChangesBetweenFrames) {
    SD::GameObject* a = factory.NewGameObject();
    SD::GameObject* b = factory.NewGameObject();
    SD::GameObject* c = factory.NewGameObject();
    a->GetTransform().SetPos(SD::Vec3(10, 0, 0));
    b->GetTransform().SetPos(SD::Vec3(1, 0, 0));
    c->GetTransform().SetPos(SD::Vec3(100, 0, 0));
    for (SD::GameObject* o : {a, b, c}) o->Initialize(false);
    const auto worldX = [](SD::GameObject* o) { return o->GetTransform().GetGlobalMatrix().GetColumn3(3).x; };
    const auto previousX = [](SD::GameObject* o) {
        return RecordOf(o->GetTransform()).previousGlobalMatrix.GetColumn3(3).x;
    };

    transformer.Update(0.0f);
    EXPECT_FLOAT_EQ(worldX(b), 1.0f);

    // Attached after the frames began: reached through its parent, once.
    a->AttachChild(b);
    transformer.Update(0.0f);
    EXPECT_FLOAT_EQ(worldX(b), 11.0f);
    EXPECT_FLOAT_EQ(previousX(b), 1.0f);

    // Moved to another parent: the old one is a lone object again and still refreshed.
    c->AttachChild(b);
    a->GetTransform().SetPos(SD::Vec3(20, 0, 0));
    transformer.Update(0.0f);
    EXPECT_FLOAT_EQ(worldX(b), 101.0f);
    EXPECT_FLOAT_EQ(previousX(b), 11.0f);
    EXPECT_FLOAT_EQ(worldX(a), 20.0f);

    // A child queued for destruction is on its own until it goes.
    c->DestroyChildren();
    b->GetTransform().SetPos(SD::Vec3(3, 0, 0));
    transformer.Update(0.0f);
    EXPECT_FLOAT_EQ(worldX(b), 3.0f);
    EXPECT_FLOAT_EQ(RecordOf(b->GetTransform()).positionDelta.x, 2.0f);
}

TEST_F(TransformTreeTest, PassKeepsTheRegistrationOrderAsTransformsLeaveAndReturn) {
    // A transform-level parent is read as the pass finds it, so the order of the list shows.
    SD::GameObject* parent = factory.NewGameObject();
    std::vector<SD::GameObject*> others(16);
    for (SD::GameObject*& o : others) o = factory.NewGameObject();
    SD::GameObject* follower = factory.NewGameObject();
    parent->Initialize(false);
    for (SD::GameObject* o : others) o->Initialize(false);
    follower->Initialize(false);
    SD::Transform& p = parent->GetTransform();
    SD::Transform& f = follower->GetTransform();
    f.SetParent(&p);
    f.SetPos(SD::Vec3(1, 0, 0));
    const auto worldX = [](const SD::Transform& t) { return t.GetGlobalMatrix().GetColumn3(3).x; };

    p.SetPos(SD::Vec3(5, 0, 0));
    transformer.Update(0.0f);
    EXPECT_FLOAT_EQ(worldX(f), 6.0f);  // the parent came first

    // Leaving and returning puts the parent after the follower.
    p.VUnregister();
    p.VRegister();
    p.SetPos(SD::Vec3(7, 0, 0));
    transformer.Update(0.0f);
    EXPECT_FLOAT_EQ(worldX(f), 6.0f);  // last frame's parent
    EXPECT_FLOAT_EQ(worldX(p), 7.0f);

    // Many leaving at once, then the follower too: it is no longer refreshed.
    for (int i = 0; i < 8; ++i) others[i]->GetTransform().VUnregister();
    transformer.Update(0.0f);
    EXPECT_FLOAT_EQ(worldX(f), 8.0f);
    f.VUnregister();
    f.SetPos(SD::Vec3(50, 0, 0));
    others[8]->GetTransform().SetPos(SD::Vec3(9, 0, 0));
    transformer.Update(0.0f);
    EXPECT_FLOAT_EQ(worldX(f), 8.0f);
    EXPECT_FLOAT_EQ(worldX(others[8]->GetTransform()), 9.0f);
    EXPECT_EQ(TransformerProbe::Transforms(transformer).Size(), 9u);
}

TEST_F(TransformTreeTest, EachRefreshKeepsTheMatrixItReplacedAsThePreviousOne) {
    // Refreshes from the frame's pass and from code outside it, mixed: the previous matrix is
    // always the world matrix as it stood before the latest refresh, whoever made it.
    SD::GameObject* object = factory.NewGameObject();
    object->Initialize(false);
    SD::Transform& t = object->GetTransform();
    enum Refresh { kFrame, kMatrixOnly, kFull };
    const struct {
        float x;
        Refresh refresh;
        float world, previous;
    } steps[] = {
        {1, kFrame, 1, 0},      {2, kFrame, 2, 1},      {3, kMatrixOnly, 3, 2}, {4, kFrame, 4, 3}, {4, kFull, 4, 4},
        {5, kMatrixOnly, 5, 4}, {6, kMatrixOnly, 6, 5}, {6, kFrame, 6, 6},      {7, kFull, 7, 6},  {8, kFrame, 8, 7},
    };
    for (const auto& step : steps) {
        t.SetPos(SD::Vec3(step.x, 0, 0));
        if (step.refresh == kFrame)
            transformer.Update(0.0f);
        else if (step.refresh == kMatrixOnly)
            t.UpdateGlobalMatrix();
        else
            t.Refresh();
        EXPECT_FLOAT_EQ(t.GetGlobalMatrix().GetColumn3(3).x, step.world) << step.x;
        EXPECT_FLOAT_EQ(RecordOf(t).previousGlobalMatrix.GetColumn3(3).x, step.previous) << step.x;
        EXPECT_FLOAT_EQ(t.GetGlobalMatrix().m[15], 1.0f) << step.x;
    }
    // A frame without the transform leaves both matrices as they are.
    t.VUnregister();
    t.SetPos(SD::Vec3(9, 0, 0));
    transformer.Update(0.0f);
    EXPECT_FLOAT_EQ(t.GetGlobalMatrix().GetColumn3(3).x, 8.0f);
    EXPECT_FLOAT_EQ(RecordOf(t).previousGlobalMatrix.GetColumn3(3).x, 7.0f);
}

}  // namespace
