// The object list of a game state: adding, removing in place and deferred destruction.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/Level.h"

namespace {

class PlainLevel : public SD::Level {
public:
    void Load() override {}
    void Unload() override {}
    void Update(float) override {}
};

class LevelTest : public enginetest::EngineFixture {
protected:
    PlainLevel level;
};

TEST_F(LevelTest, RemoveEmptiesEveryEntryOfTheObjectInPlace) {
    SD::GameObject* a = factory.NewGameObject();
    SD::GameObject* b = factory.NewGameObject();
    level.AddObject(a);
    level.AddObject(nullptr);
    level.AddObject(b);
    level.AddObject(a);
    level.RemoveObject(a);
    level.RemoveObject(nullptr);
    ASSERT_EQ(level.GetObjects().size(), 3u);
    EXPECT_EQ(level.GetObjects()[0].get(), nullptr);
    EXPECT_EQ(level.GetObjects()[1].get(), b);
    EXPECT_EQ(level.GetObjects()[2].get(), nullptr);
}

TEST_F(LevelTest, DestroyObjectsSkipsObjectsDestroyedElsewhereAndEmptiesTheList) {
    SD::GameObject* kept = factory.NewGameObject();
    SD::GameObject* gone = factory.NewGameObject();
    SD::GameObject* parent = factory.NewGameObject();
    SD::GameObject* child = factory.NewGameObject();
    parent->AttachChild(child);
    SD::GameObjectHandle keptHandle = kept->GetHandle();
    SD::GameObjectHandle childHandle = child->GetHandle();
    SD::GameObjectHandle parentHandle = parent->GetHandle();
    for (SD::GameObject* object : {kept, gone, parent, child}) level.AddObject(object);
    level.RemoveObject(kept);
    factory.DestroyGameObject(gone);
    factory.Update(0.0f);

    level.DestroyObjects();
    EXPECT_TRUE(level.GetObjects().empty());
    EXPECT_NE(parentHandle.get(), nullptr);  // deferred until the factory's next update
    factory.Update(0.0f);
    EXPECT_EQ(parentHandle.get(), nullptr);
    EXPECT_EQ(childHandle.get(), nullptr);
    EXPECT_EQ(keptHandle.get(), kept);
}

TEST(LevelBase, TransitionsFinishAtOnce) {
    PlainLevel level;
    EXPECT_EQ(level.TransitionIn(0.5f), 1);
    EXPECT_EQ(level.TransitionOut(0.0f), 1);
    EXPECT_EQ(level.GetName(), "");
}

}  // namespace
