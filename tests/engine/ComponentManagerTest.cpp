// The component manager's frame: update order, developer-pause hooks, changes during the walk.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "support/PlayStateDouble.h"
#include "tests/engine/ComponentListProbes.h"

namespace {

using ManagerProbe = platform::TestProbe<SD::ComponentManager_>;

using enginetest::EngineFixture;
using enginetest::Journal;
using enginetest::kMoverID;
using enginetest::Mover;

uint32_t gPlayState = 0;

class ComponentManagerTest : public EngineFixture {
protected:
    ComponentManagerTest() { gPlayState = 0; }
    qvtest::PlayStateDouble playStateQuery{gPlayState};

    Mover* AddMover(const std::string& label) {
        SD::GameObject* object = factory.NewGameObject();
        auto* mover = static_cast<Mover*>(object->AddComponent(kMoverID));
        mover->label = label;
        object->Initialize(false);
        return mover;
    }
};

struct FrameCase {
    uint32_t before, after;
    std::vector<std::string> journal;
};

TEST_F(ComponentManagerTest, DevPauseHooksWrapTheFramesUpdate) {
    const FrameCase cases[] = {
        {0, 0, {"a:update", "b:update"}},
        {0, 2, {"a:enter", "b:enter", "a:update", "b:update"}},
        {1, 2, {"a:enter", "b:enter", "a:update", "b:update"}},
        {2, 2, {"a:update", "b:update"}},
        {2, 0, {"a:update", "b:update", "a:exit", "b:exit"}},
        {2, 1, {"a:update", "b:update", "a:exit", "b:exit"}},
        {1, 0, {"a:update", "b:update"}},
    };
    AddMover("a");
    AddMover("b");
    for (const FrameCase& c : cases) {
        gPlayState = c.before;
        components.Update(0.016f);
        Journal().clear();
        gPlayState = c.after;
        components.Update(0.016f);
        EXPECT_EQ(Journal(), c.journal) << c.before << " -> " << c.after;
    }
}

// Starts another mover from its update, and puts itself to sleep when asked.
class Spawner : public Mover {
public:
    void VUpdate(float dt) override {
        Mover::VUpdate(dt);
        if (spawn) {
            spawn->Start();
            spawn = nullptr;
        }
        if (leave) Sleep();
    }
    Mover* spawn = nullptr;
    bool leave = false;
};

TEST_F(ComponentManagerTest, ComponentsAddedOrRemovedDuringTheWalk) {
    AddMover("first");
    Spawner spawner;
    spawner.label = "spawner";
    Mover late;
    late.label = "late";
    spawner.spawn = &late;
    spawner.Start();
    components.Update(0.0f);
    EXPECT_EQ(Journal(), (std::vector<std::string>{"first:update", "spawner:update", "late:update"}));

    // A component that leaves the list during its update does not end the walk.
    Journal().clear();
    spawner.leave = true;
    components.Update(0.0f);
    EXPECT_EQ(Journal(), (std::vector<std::string>{"first:update", "spawner:update", "late:update"}));
    EXPECT_FALSE(spawner.IsRegistered());
    EXPECT_EQ(ManagerProbe::UpdateList(components).Size(), 2u);
}

// Puts components to sleep from its update, then wakes others; either list may hold itself.
class Switcher : public Mover {
public:
    void VUpdate(float dt) override {
        Mover::VUpdate(dt);
        const std::vector<Mover*> sleepNow = std::move(sleeping), wakeNow = std::move(waking);
        sleeping.clear();
        waking.clear();
        for (Mover* m : sleepNow) m->Sleep();
        for (Mover* m : wakeNow) m->Awake();
    }
    std::vector<Mover*> sleeping, waking;
};

std::vector<std::string> Updates(const char* labels) {
    std::vector<std::string> out;
    for (const char* l = labels; *l; ++l) out.push_back(std::string(1, *l) + ":update");
    return out;
}

// An update that takes components out of the walk, itself or the one before it among them, or
// puts itself back at the end, leaves every other component updated in registration order.
TEST_F(ComponentManagerTest, ChangesDuringTheWalkKeepTheRestOfTheFrame) {
    struct Case {
        const char* sleeping;
        const char* waking;
        const char* firstFrame;
        const char* secondFrame;
    };
    const Case cases[] = {
        {"cx", "", "abcxde", "abde"},
        {"x", "x", "abcxdex", "abcdex"},
        {"d", "", "abcxe", "abcxe"},
        {"abx", "a", "abcxdea", "cdea"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sleeping);
        std::map<char, Mover*> byLabel;
        for (char l : std::string("abc")) byLabel[l] = AddMover(std::string(1, l));
        Switcher switcher;
        switcher.label = "x";
        switcher.Start();
        byLabel['x'] = &switcher;
        for (char l : std::string("de")) byLabel[l] = AddMover(std::string(1, l));
        for (const char* l = c.sleeping; *l; ++l) switcher.sleeping.push_back(byLabel[*l]);
        for (const char* l = c.waking; *l; ++l) switcher.waking.push_back(byLabel[*l]);
        Journal().clear();
        components.Update(0.0f);
        EXPECT_EQ(Journal(), Updates(c.firstFrame));
        Journal().clear();
        components.Update(0.0f);
        EXPECT_EQ(Journal(), Updates(c.secondFrame));
        switcher.Sleep();
        factory.DestroyAllGameObjects();
        EXPECT_TRUE(ManagerProbe::UpdateList(components).Empty());
    }
}

// Many leaving at once, then others leaving and returning after the walk has closed up behind
// them: each is found where it now stands.
TEST_F(ComponentManagerTest, LeavingAndReturningBetweenFramesKeepsTheOrder) {
    std::vector<Mover*> movers;
    for (char l = 'a'; l <= 'p'; ++l) movers.push_back(AddMover(std::string(1, l)));
    for (int i = 0; i < 8; ++i) movers[i]->Sleep();
    components.Update(0.0f);
    EXPECT_EQ(Journal(), Updates("ijklmnop"));
    Journal().clear();
    movers[12]->Sleep();
    movers[3]->Awake();
    movers[14]->Sleep();
    components.Update(0.0f);
    EXPECT_EQ(Journal(), Updates("ijklnpd"));
    EXPECT_EQ(ManagerProbe::UpdateList(components).Size(), 7u);
}

// Destroys other components from its update.
constexpr SD::ComponentID kDestroyerID = SD::CID_VernholmCameraLogic;
class Destroyer : public Mover {
public:
    SD::ComponentID VGetID() const override { return kDestroyerID; }
    void VUpdate(float dt) override {
        Mover::VUpdate(dt);
        for (Mover* victim : victims) victim->GetOwner()->RemoveComponent(victim);
        victims.clear();
    }
    std::vector<Mover*> victims;
};

// An update that destroys the components just after its own, or further on, must leave the
// walk reading only live ones.
TEST_F(ComponentManagerTest, ComponentsDestroyedAheadOfTheWalkAreSkipped) {
    factory.RegisterComponentCreator("Destroyer", kDestroyerID, new SD::ComponentCreator<Destroyer>);
    for (size_t firstVictim = 2; firstVictim <= 6; ++firstVictim) {
        SCOPED_TRACE(firstVictim);
        std::vector<Mover*> movers;
        for (size_t i = 0; i < 8; ++i) {
            SD::GameObject* object = factory.NewGameObject();
            auto* mover = static_cast<Mover*>(object->AddComponent(i == 1 ? kDestroyerID : kMoverID));
            mover->label = std::string(1, static_cast<char>('a' + i));
            object->Initialize(false);
            movers.push_back(mover);
        }
        static_cast<Destroyer*>(movers[1])->victims = {movers[firstVictim], movers[firstVictim + 1]};
        Journal().clear();
        components.Update(0.0f);
        std::vector<std::string> expected;
        for (size_t i = 0; i < movers.size(); ++i)
            if (i != firstVictim && i != firstVictim + 1)
                expected.push_back(std::string(1, static_cast<char>('a' + i)) + ":update");
        EXPECT_EQ(Journal(), expected);
        factory.DestroyAllGameObjects();
        EXPECT_TRUE(ManagerProbe::UpdateList(components).Empty());
    }
}

TEST_F(ComponentManagerTest, ForEachComponentWalksARangeOfTheList) {
    AddMover("a");
    Mover* b = AddMover("b");
    AddMover("c");
    SD::ComponentList& list = ManagerProbe::UpdateList(components);
    SD::ForEachComponentWithTime(list.First(), b, &Mover::VUpdate, 0.0f);
    SD::ForEachComponent(b, nullptr, &Mover::VOnDevPauseEnter);
    EXPECT_EQ(Journal(), (std::vector<std::string>{"a:update", "b:enter", "c:enter"}));
}

TEST_F(ComponentManagerTest, AnEmptyListRunsNothing) {
    components.Update(0.016f);
    transformer.Update(0.016f);
    EXPECT_TRUE(Journal().empty());
}

}  // namespace
