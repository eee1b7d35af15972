// Spawners and group spawners run frame by frame on a manual clock: when the firefly manager's
// fireflies appear and objects wake, where they go, how the fireflies are set up, and what
// negative, unknown or missing data does.
#include <gtest/gtest.h>

#include <cmath>

#include "WorldTestSupport.h"
#include "core/Random.h"
#include "game/fireflies/FireflyGroup.h"

namespace {

using namespace worldtest;

std::string SpawnerXml(int version, int count, float rate, bool on, const char* spawn, const char* pos,
                       SD::Vec3 zone = {1050, 150, 1050}) {
    std::string xml = Header("Spawner", version);
    if (version == 3)
        xml += Vec3Xml("Wait Zone Velocity", 1, 2, 3) + Vec3Xml("Wait Zone Size", 4, 5, 6) +
               Vec3Xml("Spawn Zone Size", zone.x, zone.y, zone.z);
    if (version >= 2) xml += StringXml("Spline Name", "Loop");
    if (version >= 1)
        xml += IntXml("Number of objects to have active", count) + FloatXml("Rate to spawn objects", rate) +
               BoolXml("Spawn state", on);
    return xml + StringXml("Spawn function", spawn) + StringXml("Pos function", pos) + "</Spawner>";
}

class SpawnerTest : public WorldFixture {
protected:
    SpawnerTest() {
        Blueprints(
            FireflyBlueprints() +
            Blueprint("Hive", TransformXml({}) +
                                  SpawnerXml(3, 3, 1.0f, true, "Spawn_Yellow_Firefly", "GeneratePos_AtSpawner")) +
            Blueprint("Scatter", TransformXml({}) + SpawnerXml(3, 50, 0.0f, true, "Spawn_Blue_Firefly",
                                                               "GeneratePos_RandomlyNearby", {0, 10, -4})) +
            Blueprint("Defaults",
                      TransformXml({}) + Header("Spawner", 0) + StringXml("Spawn function", "x") + "</Spawner>") +
            Blueprint("Negative", TransformXml({}) + SpawnerXml(1, -5, 0.0f, true, "Spawn_Pink_Firefly", "")) +
            Blueprint("Huge", TransformXml({}) + SpawnerXml(1, 2000000000, 0.0f, false, "Spawn_Pink_Firefly", "")) +
            Blueprint("Unknown", TransformXml({}) + SpawnerXml(1, 2, 0.0f, true, "Spawn_Red_Firefly", "")) +
            Blueprint("NoPlace", TransformXml({}) + SpawnerXml(1, 2, 0.0f, true, "Spawn_Pink_Firefly", "Nowhere")) +
            Blueprint("Future", TransformXml({}) + SpawnerXml(4, 2, 0.0f, true, "Spawn_Pink_Firefly", "")));
    }
    static QV::Spawner* SpawnerOf(SD::GameObject* object) { return Get<QV::Spawner>(object, SD::CID_Spawner); }
    static std::vector<SD::GameObject*> Objects(const std::vector<SD::GameObjectHandle>& handles) {
        std::vector<SD::GameObject*> objects;
        for (const SD::GameObjectHandle& handle : handles) objects.push_back(handle.get());
        return objects;
    }
    static std::vector<SD::GameObject*> Spawned(const QV::Spawner& spawner) {
        return Objects(spawner.GetSpawnedObjects());
    }
};

TEST_F(SpawnerTest, OneObjectPerIntervalUpToTheNumberToKeep) {
    const QV::World& state = EnterWorld();
    SD::GameObject* hive = Spawn("Hive", "Hive", {3, 4, 5});
    QV::Spawner* spawner = SpawnerOf(hive);
    ASSERT_NE(spawner, nullptr);
    EXPECT_EQ(spawner->GetWaitZoneVelocity(), SD::Vec3(2000, 2000, 2000)) << "replaced on initialisation";
    EXPECT_EQ(spawner->GetWaitZoneSize(), SD::Vec3(4, 5, 6));
    EXPECT_STREQ(spawner->GetSplineName().c_str(), "Loop");
    std::vector<size_t> counts;
    for (int frame = 1; frame <= 20; ++frame) {
        Frame(0.25f);
        counts.push_back(spawner->GetSpawnedObjects().size());
    }
    // The timer must read more than 1.0 s: frames 5, 10 and 15.
    const std::vector<size_t> expected = {0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3};
    EXPECT_EQ(counts, expected);
    SD::GameObject* first = spawner->GetSpawnedObjects().front().get();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetTransform().GetLocalPos(), SD::Vec3(3, 4, 5));
    EXPECT_EQ(FireflyCount(), 3u) << "the firefly manager made them";
    EXPECT_EQ(Spawned(*spawner), Objects(state.GetYellowFireflies())) << "yellow ones are listed with the world";
    EXPECT_EQ(ListedNames(state.GetReleaseSpawners()), std::vector<std::string>{"Hive"})
        << "a spawner holding fireflies is put on the world's release list";
    // Each is yellow, in a group about the spawner, waits for the player on its idle lane, and
    // takes the spawner's wait zone as its path (the force as replaced on initialisation).
    for (SD::GameObject* object : Spawned(*spawner)) {
        QV::Firefly* firefly = FireflyOf(object);
        ASSERT_NE(firefly, nullptr);
        EXPECT_EQ(firefly->GetColourKind(), 4);
        ASSERT_NE(firefly->GetGroup(), nullptr);
        EXPECT_EQ(firefly->GetGroup()->centre, SD::Vec3(3, 4, 5));
        EXPECT_EQ(Lane(firefly, QV::Firefly::kLaneIdle), "WatchForPlayer");
        EXPECT_EQ(firefly->GetPathScale(), SD::Vec3(4, 5, 6));
        EXPECT_EQ(firefly->GetPathForce(), SD::Vec3(2000, 2000, 2000));
    }

    // A destroyed object is dropped on the next update and replaced once the interval passed:
    // here at once, the timer having run on while the list was full.
    std::vector<SD::GameObject*> survivors = Spawned(*spawner);
    survivors.erase(survivors.begin());
    factory.DestroyGameObject(first);
    factory.Update(0.0f);
    Frame(0.25f);
    ASSERT_EQ(spawner->GetSpawnedObjects().size(), 3u);
    EXPECT_EQ(FireflyCount(), 3u) << "the destroyed one left the manager, a new one joined";
    const std::vector<SD::GameObject*> now = Spawned(*spawner);
    EXPECT_EQ(std::vector<SD::GameObject*>(now.begin(), now.begin() + 2), survivors) << "the new one comes last";
    EXPECT_EQ(FireflyOf(spawner->GetSpawnedObjects().back().get())->GetColourKind(), 4);
    factory.DestroyGameObject(spawner->GetSpawnedObjects().front().get());
    factory.Update(0.0f);
    std::vector<size_t> refill;
    for (int frame = 0; frame < 5; ++frame) {
        Frame(0.25f);
        refill.push_back(spawner->GetSpawnedObjects().size());
    }
    EXPECT_EQ(refill, (std::vector<size_t>{2, 2, 2, 2, 3}));

    // Stopped, the list is kept and nothing more comes.
    spawner->SetSpawn_state(false);
    spawner->SetFollowPath(true);
    factory.DestroyGameObject(spawner->GetSpawnedObjects().back().get());
    factory.Update(0.0f);
    for (int frame = 0; frame < 8; ++frame) Frame(0.25f);
    EXPECT_EQ(spawner->GetSpawnedObjects().size(), 3u);
    spawner->SetSpawn_state(true);
    Frame(0.25f);
    EXPECT_EQ(spawner->GetSpawnedObjects().size(), 3u) << "the gone one dropped, one new made";
    EXPECT_EQ(Lane(spawner->GetSpawnedObjects().back().get(), QV::Firefly::kLaneIdle), "FollowPath");
}

TEST_F(SpawnerTest, RandomPlacesStayInTheZoneAndAZeroSizeKeepsTheSpawnersCoordinate) {
    SD::SetRandomState(SD::kRandomStartState);
    SD::GameObject* scatter = Spawn("Scatter", "Scatter", {100, 200, 300});
    QV::Spawner* spawner = SpawnerOf(scatter);
    for (int frame = 0; frame < 40; ++frame) Frame(0.016f);
    ASSERT_EQ(spawner->GetSpawnedObjects().size(), 40u);
    bool movedOnZ = false;
    for (const SD::GameObjectHandle& handle : spawner->GetSpawnedObjects()) {
        const SD::Vec3 p = handle.get()->GetTransform().GetLocalPos();
        EXPECT_FLOAT_EQ(p.x, 100.0f);
        EXPECT_GE(p.y, 190.0f);
        EXPECT_LT(p.y, 210.0f);
        EXPECT_GE(p.z, 296.0f) << "a negative size counts by its magnitude";
        EXPECT_LT(p.z, 304.0f);
        movedOnZ = movedOnZ || p.z != 300.0f;
    }
    EXPECT_TRUE(movedOnZ);
    // Blue; made with "Still" on its idle lane, which the spawner's own idle behaviour replaces.
    QV::Firefly* firefly = FireflyOf(spawner->GetSpawnedObjects().front().get());
    ASSERT_NE(firefly, nullptr);
    EXPECT_EQ(firefly->GetColourKind(), 3);
    EXPECT_EQ(Lane(firefly, QV::Firefly::kLaneIdle), "WatchForPlayer");
}

TEST_F(SpawnerTest, MissingNegativeUnknownAndFutureDataSpawnNothingAndCrashNothing) {
    QV::Spawner* defaults = SpawnerOf(Spawn("Defaults", "Defaults"));
    EXPECT_EQ(defaults->GetNum_active_objects(), 10);
    EXPECT_FLOAT_EQ(defaults->GetSpawn_rate(), 30.0f);
    EXPECT_FALSE(defaults->GetSpawn_state());
    EXPECT_EQ(defaults->GetSpawnZoneSize(), SD::Vec3(1050, 150, 1050));
    QV::Spawner* negative = SpawnerOf(Spawn("Negative", "Negative"));
    EXPECT_EQ(negative->GetNum_active_objects(), 0) << "clamped";
    QV::Spawner* huge = SpawnerOf(Spawn("Huge", "Huge"));
    EXPECT_EQ(huge->GetNum_active_objects(), static_cast<int>(factory.GetPool().GetCapacity()))
        << "no more than the factory can hold";
    QV::Spawner* unknown = SpawnerOf(Spawn("Unknown", "Unknown"));
    QV::Spawner* noPlace = SpawnerOf(Spawn("NoPlace", "NoPlace"));
    QV::Spawner* future = SpawnerOf(Spawn("Future", "Future"));
    EXPECT_EQ(future->GetNum_active_objects(), 10) << "an unknown version reads nothing";
    EXPECT_STREQ(future->GetSpawn_fn(), "");
    for (int frame = 0; frame < 5; ++frame) Frame(0.25f);
    for (QV::Spawner* s : {negative, unknown, noPlace, future}) EXPECT_TRUE(s->GetSpawnedObjects().empty());
    EXPECT_EQ(FireflyCount(), 0u);
    negative->SetNum_active_objects(-1);
    EXPECT_EQ(negative->GetNum_active_objects(), 0);
}

TEST_F(SpawnerTest, DataIsWrittenBackInVersionOrder) {
    QV::Spawner* spawner = SpawnerOf(Spawn("Hive", "Hive"));
    ValueWriter writer;
    spawner->VSerialize(writer, 3);
    EXPECT_EQ(writer.values,
              (std::vector<std::string>{"=2000", "=2000", "=2000", "=4", "=5", "=6", "=1050", "=150", "=1050",
                                        "Spline Name=Loop", "Number of objects to have active=3",
                                        "Rate to spawn objects=1", "Spawn state=true",
                                        "Spawn function=Spawn_Yellow_Firefly", "Pos function=GeneratePos_AtSpawner"}));
}

std::string GroupSpawnerXml(int version, float delay, const char* group, const char* action) {
    std::string xml = Header("GroupSpawner", version);
    if (version == 1) xml += FloatXml("Delay Time", delay);
    return xml + StringXml("Group Name", group) + StringXml("Action Name", action) + "</GroupSpawner>";
}

class GroupSpawnerTest : public WorldFixture {
protected:
    GroupSpawnerTest() {
        Blueprints(Blueprint("Member",
                             TransformXml({}) + Header("Group", 0) + StringXml("Group Name", "Bridge") + "</Group>") +
                   Blueprint("Gate", TransformXml({}) + GhostBoxXml(5) + TriggerXml({}) +
                                         GroupSpawnerXml(1, 2.0f, "Bridge", "SpawnWithDelay")) +
                   Blueprint("FastGate",
                             TransformXml({}) + TriggerXml({}) + GroupSpawnerXml(1, 0.0f, "Bridge", "SpawnWithDelay")) +
                   Blueprint("EmptyGate",
                             TransformXml({}) + TriggerXml({}) + GroupSpawnerXml(1, 0.0f, "Nobody", "SpawnWithDelay")) +
                   Blueprint("OddGate",
                             TransformXml({}) + TriggerXml({}) + GroupSpawnerXml(0, 5.0f, "Bridge", "SpawnAtOnce")) +
                   Blueprint("Lonely", TransformXml({}) + GroupSpawnerXml(1, 0.0f, "Bridge", "SpawnWithDelay")) +
                   Blueprint("Player", TransformXml({}) + BodyXml(1, {0, 50, 0}) + SphereXml(1, 0.5f)));
    }
    void Members(int count) {
        for (int i = 0; i < count; ++i) {
            SD::GameObject* member = Spawn("Member", "Member" + std::to_string(i));
            member->Sleep();
            members.push_back(member);
        }
    }
    std::string Awake() const {
        std::string text;
        for (SD::GameObject* m : members) text += m->IsAsleep() ? '.' : 'o';
        return text;
    }
    std::vector<SD::GameObject*> members;
};

TEST_F(GroupSpawnerTest, MembersWakeOneDelayApartAfterTheTriggerFires) {
    Members(3);
    SD::GameObject* gate = Spawn("Gate", "Gate");
    SD::GameObject* player = Spawn("Player", "Player", {100, 0, 0});
    Physics().BuildTree();
    for (int frame = 0; frame < 20; ++frame) Frame(0.5f);
    EXPECT_EQ(Awake(), "...") << "dormant until the trigger fires";
    Place(player, {0, 0, 0});
    std::vector<std::string> seen;
    for (int frame = 0; frame < 16; ++frame) {
        Frame(0.5f);
        seen.push_back(Awake());
    }
    // Fired in the first frame; the countdown of 2.0 runs below 0 on the fifth update, and again
    // five updates after each wake (a countdown of exactly 0 still waits).
    const std::vector<std::string> expected = {"...", "...", "...", "...", "o..", "o..", "o..", "o..",
                                               "o..", "oo.", "oo.", "oo.", "oo.", "oo.", "ooo", "ooo"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(Get<QV::GroupSpawner>(gate, SD::CID_GroupSpawner)->GetWokenCount(), 3u);
}

TEST_F(GroupSpawnerTest, NoDelayWakesOnePerFrameAndAnEmptyGroupWakesNothing) {
    Members(3);
    SD::GameObject* fast = Spawn("FastGate", "Fast");
    SD::GameObject* empty = Spawn("EmptyGate", "Empty");
    Get<QV::GroupSpawner>(fast, SD::CID_GroupSpawner)->OnTriggerFired();
    Get<QV::GroupSpawner>(empty, SD::CID_GroupSpawner)->OnTriggerFired();
    std::vector<std::string> seen;
    for (int frame = 0; frame < 4; ++frame) {
        Frame(0.016f);
        seen.push_back(Awake());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"o..", "oo.", "ooo", "ooo"}));
    EXPECT_EQ(Get<QV::GroupSpawner>(empty, SD::CID_GroupSpawner)->GetWokenCount(), 0u);
}

TEST_F(GroupSpawnerTest, AnUnknownActionShowsInvalidActionAndDoesNothing) {
    Members(1);
    SD::GameObject* odd = Spawn("OddGate", "Odd");
    auto* spawner = Get<QV::GroupSpawner>(odd, SD::CID_GroupSpawner);
    EXPECT_STREQ(spawner->GetAction(), "Invalid Action");
    EXPECT_FLOAT_EQ(spawner->GetDelay(), 0.0f) << "version 0 has no delay";
    EXPECT_STREQ(spawner->GetGroupName(), "Bridge");
    spawner->OnTriggerFired();
    for (int frame = 0; frame < 3; ++frame) Frame(0.5f);
    EXPECT_EQ(Awake(), ".");
    spawner->SetAction("SpawnWithDelay");
    EXPECT_STREQ(spawner->GetAction(), "SpawnWithDelay");
    Frame(0.5f);
    EXPECT_EQ(Awake(), "o");
    // Without a trigger it never starts.
    SD::GameObject* lonely = Spawn("Lonely", "Lonely");
    EXPECT_FALSE(Get<QV::GroupSpawner>(lonely, SD::CID_GroupSpawner)->IsRegistered());
}

// Components removed while the rest of their object stays: nothing is left that calls them.
TEST_F(GroupSpawnerTest, ASpawnerOrTriggerRemovedFirstLeavesNothingBehindToCall) {
    Members(1);
    SD::GameObject* gate = Spawn("Gate", "Gate");
    SD::GameObject* player = Spawn("Player", "Player", {100, 0, 0});
    Physics().BuildTree();
    auto* trigger = Get<QV::Trigger>(gate, SD::CID_Trigger);
    ASSERT_EQ(trigger->GetCallbackCount(), 1u);
    gate->RemoveComponent(gate->GetComponent(SD::CID_GroupSpawner));
    EXPECT_EQ(trigger->GetCallbackCount(), 0u) << "the spawner's callback went with it";
    Place(player, {0, 0, 0});
    Frame(0.5f);
    EXPECT_TRUE(trigger->IsFired());
    EXPECT_EQ(Awake(), ".");

    gate->RemoveComponent(trigger);
    Place(player, {100, 0, 0});
    Frame(0.5f);
    Place(player, {0, 0, 0});
    Frame(0.5f);  // the collider stays and is touched again: its callback calls nothing
    EXPECT_EQ(Awake(), ".");
    factory.DestroyGameObject(gate);
    factory.Update(0.0f);
    Frame(0.5f);
}

}  // namespace
