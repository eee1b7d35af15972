// Handles and the object pool: deferred deletion, stale handles, slot reuse, a full pool.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "core/Logger.h"
#include "support/TempTree.h"

namespace {

using enginetest::EngineFixture;

class HandleTest : public EngineFixture {
protected:
    HandleTest() : EngineFixture(3) {}
};

TEST_F(HandleTest, HandleStaysValidUntilTheFactoryUpdates) {
    SD::GameObject* object = factory.NewGameObject();
    const SD::GameObjectHandle handle = object->GetHandle();
    object->Destroy();
    EXPECT_EQ(handle.get(), object);
    factory.Update(0.0f);
    EXPECT_EQ(handle.get(), nullptr);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), 0u);
    // Queued twice: deleted once.
    SD::GameObject* twice = factory.NewGameObject();
    factory.DestroyGameObject(twice);
    factory.DestroyGameObject(twice);
    factory.Update(0.0f);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), 0u);
}

TEST_F(HandleTest, ReusedSlotsDoNotRevivePastHandlesAndSlotZeroIsNeverUsed) {
    std::vector<SD::GameObjectHandle> seen;
    for (int round = 0; round < 4; ++round) {
        std::vector<SD::GameObject*> objects;
        for (int i = 0; i < 3; ++i) {
            SD::GameObject* object = factory.NewGameObject();
            ASSERT_NE(object, nullptr);
            EXPECT_NE(object->GetHandle().GetIndex(), 0u);
            EXPECT_EQ(object->GetHandle().get(), object);
            seen.push_back(object->GetHandle());
            objects.push_back(object);
        }
        for (SD::GameObject* object : objects) object->Destroy();
        factory.Update(0.0f);
        for (const SD::GameObjectHandle& handle : seen) EXPECT_EQ(handle.get(), nullptr);
    }
    EXPECT_EQ(SD::GameObjectHandle().get(), nullptr);
}

TEST_F(HandleTest, DestroyingAParentDestroysItsChildren) {
    SD::GameObject* parent = factory.NewGameObject();
    SD::GameObject* child = factory.NewGameObject();
    parent->AttachChild(child);
    const SD::GameObjectHandle childHandle = child->GetHandle();
    child->DestroyEntity();  // reaches the root
    factory.Update(0.0f);
    EXPECT_EQ(childHandle.get(), nullptr);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), 0u);
}

TEST_F(HandleTest, AFullPoolRefusesWithALogLine) {
    Debug::GlobalLogger logger;
    for (int i = 0; i < 3; ++i) ASSERT_NE(factory.NewGameObject(), nullptr);
    qvtest::StderrCapture capture;
    EXPECT_EQ(factory.NewGameObject(), nullptr);
    EXPECT_NE(capture.Text().find("object pool is full"), std::string::npos);
}

TEST(ObjectPool, ASizeBelowOneHoldsOneObject) {
    SD::Factory_ factory(0);
    EXPECT_EQ(factory.GetPool().GetCapacity(), 1u);
    SD::GameObject* only = factory.NewGameObject();
    ASSERT_NE(only, nullptr);
    EXPECT_EQ(factory.NewGameObject(), nullptr);
    only->Destroy();
    factory.Update(0.0f);
    EXPECT_NE(factory.NewGameObject(), nullptr);
}

TEST_F(HandleTest, NamesFindTheLatestObjectAndGoWithEitherObject) {
    SD::GameObject* first = factory.NewGameObject();
    SD::GameObject* second = factory.NewGameObject();
    first->NameObject("Crate");
    second->NameObject("Crate");
    EXPECT_EQ(factory.GetGameObject(std::string("Crate")), second);
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Crate"), second);
    first->Destroy();
    EXPECT_EQ(factory.GetGameObject(std::string("Crate")), nullptr);
    // A renamed object drops its old name.
    second->NameObject("Barrel");
    second->NameObject("Box");
    EXPECT_EQ(factory.GetGameObject(std::string("Barrel")), nullptr);
    EXPECT_EQ(factory.GetGameObject(SD::SharedString("Box")), second);
}

}  // namespace
