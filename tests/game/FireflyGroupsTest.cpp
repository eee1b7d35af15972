// The firefly groups: the table at its full capacity, the collection of empty groups, the
// round robin and overflow of the escort sets, the snake step and the sampled paths.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "core/Random.h"
#include "game/fireflies/FireflyGroups.h"
#include "runtime/SplineSystem.h"

namespace {

using QV::FireflyGroup;
using QV::FireflyGroups;
using QV::FireflyGroupTable;

// Groups only keep member pointers; these stand for fireflies.
QV::Firefly* FakeFirefly(int i) {
    static char storage[16];
    return reinterpret_cast<QV::Firefly*>(&storage[i % 16]);
}

class FireflyGroupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SD::SetRandomState(SD::kRandomStartState);
        groups.Initialize();
    }
    void TearDown() override { groups.Shutdown(); }
    FireflyGroups groups;
};

TEST(FireflyGroupTableTest, HandlesOutEveryOneOfItsSlotsOnceAndRefusesWhenFull) {
    FireflyGroupTable table;
    std::set<uint32_t> slots;
    std::vector<QV::FireflyGroupHandle> handles;
    for (uint32_t i = 0; i < FireflyGroupTable::kCapacity; ++i) {
        auto* group = new FireflyGroup;
        ASSERT_TRUE(table.Register(group)) << i;
        slots.insert(group->handle.index);
        handles.push_back(group->handle);
    }
    EXPECT_EQ(slots.size(), FireflyGroupTable::kCapacity);
    EXPECT_EQ(*slots.begin(), 0u);  // only the very first search hands out slot 0
    EXPECT_TRUE(table.IsFull());

    FireflyGroup refused;
    EXPECT_FALSE(table.Register(&refused));  // ends instead of searching for ever

    // The search goes on from where it stopped: first to the one slot never used, then, after
    // the wrap, to a released one, whose old handle no longer resolves.
    const QV::FireflyGroupHandle old = handles[7];
    table.Release(old);
    EXPECT_EQ(old.Get(), nullptr);
    auto* last = new FireflyGroup;
    ASSERT_TRUE(table.Register(last));
    EXPECT_EQ(last->handle.index, FireflyGroupTable::kCapacity);
    EXPECT_FALSE(table.Register(&refused));
    table.Release(handles[3]);
    auto* again = new FireflyGroup;
    ASSERT_TRUE(table.Register(again));
    EXPECT_EQ(again->handle.index, 3u);
    EXPECT_EQ(again->handle.generation, handles[3].generation + 1);
    EXPECT_EQ(again->handle.Get(), again);
    table.Release(old);  // stale: nothing happens
    EXPECT_EQ(table.LiveCount(), FireflyGroupTable::kCapacity);
}

TEST_F(FireflyGroupsTest, RequestGroupsAreCollectedWhenTheTableRunsFullAndTheRestRefused) {
    ASSERT_EQ(groups.Table().LiveCount(), 15u);
    std::vector<FireflyGroup*> made;
    while (groups.Table().LiveCount() + 1 < FireflyGroupTable::kCapacity) {
        made.push_back(groups.CreateRequestGroup(SD::Vec3(1, 2, 3)));
        ASSERT_NE(made.back(), nullptr);
    }
    // Every second group has a member and must survive the collection.
    for (size_t i = 0; i < made.size(); i += 2) made[i]->AddMember(FakeFirefly(static_cast<int>(i)));
    const QV::FireflyGroupHandle kept = made[0]->handle;
    const QV::FireflyGroupHandle empty = made[1]->handle;

    FireflyGroup* next = groups.CreateRequestGroup(SD::Vec3());
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(empty.Get(), nullptr);
    EXPECT_EQ(kept.Get(), made[0]);
    const size_t withMembers = (made.size() + 1) / 2;
    EXPECT_EQ(groups.Table().LiveCount(), 15u + withMembers + 1);
    EXPECT_EQ(groups.RequestGroups().size(), withMembers + 1);
    next->AddMember(FakeFirefly(2));

    // Filled with groups that all have members, the table refuses rather than loop.
    for (;;) {
        FireflyGroup* group = groups.CreateRequestGroup(SD::Vec3());
        if (!group) break;
        group->AddMember(FakeFirefly(1));
        ASSERT_LE(groups.Table().LiveCount(), FireflyGroupTable::kCapacity);
    }
    EXPECT_EQ(groups.CreateRequestGroup(SD::Vec3()), nullptr);
    EXPECT_EQ(groups.Table().LiveCount(), FireflyGroupTable::kCapacity);

    // Shutdown destroys them all and forgets every list.
    groups.Shutdown();
    EXPECT_EQ(groups.Table().LiveCount(), 0u);
    EXPECT_EQ(kept.Get(), nullptr);
    EXPECT_TRUE(groups.RequestGroups().empty());
    EXPECT_TRUE(groups.EscortSet(0).empty());
}

TEST_F(FireflyGroupsTest, JoinsGoRoundTheEscortGroupsThenFillOverflowGroupsOfThree) {
    const std::vector<FireflyGroup*> set0 = groups.EscortSet(0);
    ASSERT_EQ(set0.size(), 5u);
    const int order[] = {0, 1, 2, 3, 4, 0, 1, 2};
    for (int expected : order) {
        FireflyGroup* group = groups.PickEscortGroup(0);
        EXPECT_EQ(group, set0[expected]);
        EXPECT_EQ(group->flags, 0);
    }
    FireflyGroup* overflow = groups.PickEscortGroup(0);
    ASSERT_NE(overflow, nullptr);
    EXPECT_EQ(groups.EscortSet(0).size(), 6u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(groups.PickEscortGroup(0), overflow);
        overflow->AddMember(FakeFirefly(i));
    }
    FireflyGroup* second = groups.PickEscortGroup(0);
    EXPECT_NE(second, overflow);
    EXPECT_EQ(groups.EscortSet(0).size(), 7u);

    for (int bad : {-1, 3, 4}) EXPECT_EQ(groups.PickEscortGroup(bad), nullptr) << bad;
    EXPECT_EQ(groups.PickEscortGroup(1), groups.EscortSet(1)[0]);  // the sets count apart

    groups.ResetEscort();
    EXPECT_EQ(groups.EscortSet(0).size(), 5u);
    EXPECT_EQ(groups.PickEscortGroup(0), set0[0]);
    EXPECT_EQ(overflow->handle.Get(), overflow);  // cut from the set, still owned by the table
}

TEST_F(FireflyGroupsTest, TheSnakeStepPassesCentresAndFlagsBackWithAnOffsetPerGroup) {
    const std::vector<FireflyGroup*>& set = groups.EscortSet(2);
    for (size_t i = 0; i < set.size(); ++i) set[i]->centre = SD::Vec3(100.0f * i, 0, 0);
    set[0]->flags = 7;
    groups.MoveEscortSet(2, SD::Vec3(-1, -2, -3));
    EXPECT_EQ(set[0]->centre.x, -1.0f);
    EXPECT_EQ(set[0]->centre.z, -3.0f);
    EXPECT_EQ(set[1]->flags, 7);
    for (size_t i = 1; i < set.size(); ++i) {
        const SD::Vec3 c = set[i]->centre;
        const float offset = c.y;  // one offset on all three axes
        EXPECT_GE(offset, -5.55f);
        EXPECT_LT(offset, 5.55f);
        EXPECT_FLOAT_EQ(c.x, 100.0f * (i - 1) + offset);
        EXPECT_FLOAT_EQ(c.z, offset);
    }
}

TEST_F(FireflyGroupsTest, SampledPathsRepeatAndTheIndexWraps) {
    SD::Spline_System& splines = SD::Spline_System::GetInstance();
    const SD::SharedString name("GroupsTestPath");
    splines.CreateSpline({SD::Vec3(0, 0, 0), SD::Vec3(10, 0, 0), SD::Vec3(20, 5, 0)}, {1.0, 1.0}, name);
    FireflyGroup* group = groups.CreateGroup(SD::Vec3(4, 4, 4));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetTarget().x, 4.0f);
    EXPECT_FALSE(group->FollowSplineByName(SD::SharedString("NoSuchPath")));
    EXPECT_FALSE(group->follow);
    ASSERT_TRUE(group->FollowSplineByName(name));
    EXPECT_EQ(group->path.size(), 100u);
    group->SampleSpline();
    ASSERT_EQ(group->path.size(), 200u);
    EXPECT_EQ(group->path[3].x, group->path[103].x);
    EXPECT_NEAR(group->path[0].x, 0.0f, 1e-3f);

    unsigned index = 198;
    group->NextPathPoint(index);
    EXPECT_EQ(index, 199u);
    group->NextPathPoint(index);
    EXPECT_EQ(index, 0u);
    splines.DestroySpline(group->spline);
    EXPECT_EQ(group->GetTarget().x, 4.0f);  // a spline gone leaves the centre
}

}  // namespace
