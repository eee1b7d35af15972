// Triggers built from blueprints and touched through the physics step: who fires them, how
// often, what their actions do, how resets re-arm them, and what malformed data does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "WorldTestSupport.h"
#include "core/Delegate.h"
#include "support/CapturedLog.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/components/TriggerReset.h"

namespace {

using namespace worldtest;

class TriggerTest : public WorldFixture {
protected:
    TriggerTest() {
        Blueprints(Blueprint("Player", TransformXml({}) + BodyXml(1, {0, 50, 0}) + SphereXml(1, 0.5f)) +
                   Blueprint("Stone", TransformXml({}) + GhostBoxXml(5) +
                                          TriggerXml({"BoostPlayerEvent", "NoSuchAction", "SpawnFriendlyWind"})) +
                   Blueprint("Quiet", TransformXml({}) + GhostBoxXml(5) + TriggerXml({})) +
                   Blueprint("ObjectTemplates/WindSphere",
                             TransformXml({}) + Header("Group", 0) + StringXml("Group Name", "Gusts") + "</Group>") +
                   Blueprint("Collector", TransformXml({}) + GhostBoxXml(5) + TriggerXml({"AttachFirefliesToPlayer"}) +
                                              Header("Spawner", 3) + "</Spawner>") +
                   Blueprint("Bare", TransformXml({}) + TriggerXml({"BoostPlayerEvent"})) + FireflyBlueprints());
    }

    // Brings `who` into the trigger at the origin for one frame and out again.
    void Touch(SD::GameObject* who, float dt = kStep) {
        Place(who, {0, 0, 0});
        Frame(dt);
        Place(who, {100, 0, 0});
    }
    int Count(const std::string& posted) const {
        const std::vector<std::string> sounds = sound.Sounds();
        return static_cast<int>(std::count(sounds.begin(), sounds.end(), posted));
    }
    // The gusts the season system has blown, where they are.
    static std::vector<SD::Vec3> Gusts() {
        std::vector<SD::Vec3> places;
        for (SD::Component* member : SD::Group::FindGroup(SD::SharedString("Gusts")))
            places.push_back(member->GetOwner()->GetTransform().GetLocalPos());
        return places;
    }
    WorldSound sound;
};

TEST_F(TriggerTest, ThePlayerFiresItOnceUntilAResetForItsObjectArrives) {
    qvtest::CapturedLog log;
    SD::GameObject* stone = Spawn("Stone", "Stone");
    SD::GameObject* player = Spawn("Player", "Player", {100, 0, 0});
    Physics().BuildTree();
    auto* trigger = Get<QV::Trigger>(stone, SD::CID_Trigger);
    ASSERT_NE(trigger, nullptr);
    EXPECT_EQ(trigger->GetActionNames().size(), 3u);
    EXPECT_EQ(trigger->GetCallbackCount(), 2u) << "the unknown name adds no callback";

    Place(player, {0, 0, 0});
    Frame(kStep);  // two substeps in contact: fired once
    EXPECT_TRUE(trigger->IsFired());
    EXPECT_EQ(sound.Sounds(), (std::vector<std::string>{"sound Play_Flower", "sound Play_Flower"}));
    EXPECT_EQ(Gusts(), std::vector<SD::Vec3>{SD::Vec3(0, 0, 0)}) << "a friendly wind where the player is";
    Frame(kStep);
    EXPECT_EQ(Gusts().size() + sound.Sounds().size(), 3u) << "contacts while fired are ignored";
    Place(player, {100, 0, 0});
    // Said once through the logger, naming the trigger's object.
    EXPECT_EQ(qvtest::Occurrences(log.Text(), "RingTreeTrigger: Stone blows a friendly wind"), 1u) << log.Text();

    // SpawnFriendlyWind re-arms after 3.0 s, BoostPlayerEvent after 4.0 s: the first re-arms.
    for (int i = 0; i < 11; ++i) Frame(0.25f);
    EXPECT_TRUE(trigger->IsFired());
    Frame(0.25f);
    EXPECT_FALSE(trigger->IsFired());

    // A reset for another object leaves a fired trigger fired; its own re-arms at once.
    Touch(player);
    ASSERT_TRUE(trigger->IsFired());
    QV::TriggerReset other(player->GetHandle());
    SD::Message_System::GetInstance()->SendMessage(other);
    EXPECT_TRUE(trigger->IsFired());
    QV::Trigger::ScheduleReset(trigger, 0.0f);
    EXPECT_FALSE(trigger->IsFired()) << "delay 0 re-arms before returning";
}

TEST_F(TriggerTest, OnlyTheObjectNamedPlayerFiresIt) {
    SD::GameObject* stone = Spawn("Quiet", "Stone");
    SD::GameObject* lower = Spawn("Player", "player", {100, 0, 0});
    Physics().BuildTree();
    auto* trigger = Get<QV::Trigger>(stone, SD::CID_Trigger);
    Touch(lower);
    EXPECT_FALSE(trigger->IsFired());
    SD::GameObject* player = Spawn("Player", "Player", {100, 0, 0});
    Touch(player);
    EXPECT_TRUE(trigger->IsFired()) << "no actions and no script, yet fired";
}

TEST_F(TriggerTest, AResetNamingAReusedSlotDoesNotReArmTheNewObjectsTrigger) {
    SD::GameObject* first = Spawn("Quiet", "First");
    const SD::GameObjectHandle old = first->GetHandle();
    factory.DestroyGameObject(first);
    factory.Update(0.0f);
    SD::GameObject* second = Spawn("Quiet", "Second");
    auto* trigger = Get<QV::Trigger>(second, SD::CID_Trigger);
    trigger->SetFired(true);
    QV::TriggerReset stale(old);
    SD::Message_System::GetInstance()->SendMessage(stale);
    EXPECT_TRUE(trigger->IsFired());
    QV::TriggerReset late(second->GetHandle());
    SD::Message_System::GetInstance()->PostMessage(late, -1.0f);
    EXPECT_TRUE(trigger->IsFired());
    Frame(0.016f);
    EXPECT_FALSE(trigger->IsFired()) << "a negative delay is due at the next update";
}

TEST_F(TriggerTest, ResetsPostedTwiceAreBothDeliveredEachInTheUpdateThatFindsItDue) {
    SD::GameObject* stone = Spawn("Quiet", "Stone");
    auto* trigger = Get<QV::Trigger>(stone, SD::CID_Trigger);
    SD::Message_System* messages = SD::Message_System::GetInstance();
    trigger->SetFired(true);
    QV::Trigger::ScheduleReset(trigger, 2.5f);
    QV::Trigger::ScheduleReset(trigger, 2.5f);
    EXPECT_EQ(messages->QueuedCount(), 2u);
    for (int i = 0; i < 9; ++i) Frame(0.25f);
    EXPECT_TRUE(trigger->IsFired()) << "2.25 s: not yet due";
    Frame(0.25f);
    EXPECT_FALSE(trigger->IsFired());
    EXPECT_EQ(messages->QueuedCount(), 0u) << "both came due in that update";
    QV::Trigger::ScheduleReset(trigger, std::nanf(""));
    trigger->SetFired(true);
    Frame(0.016f);
    EXPECT_FALSE(trigger->IsFired()) << "a reset with no number for its delay is delivered at the next update";
}

TEST_F(TriggerTest, CollectingWithNothingSpawnedOnlyReArmsAfterFourSeconds) {
    SD::GameObject* stone = Spawn("Collector", "Stone");
    SD::GameObject* player = Spawn("Player", "Player", {100, 0, 0});
    Physics().BuildTree();
    auto* trigger = Get<QV::Trigger>(stone, SD::CID_Trigger);
    Touch(player, 0.5f);
    EXPECT_TRUE(trigger->IsFired());
    EXPECT_TRUE(SparkleBursts().empty());
    EXPECT_TRUE(sound.Sounds().empty());
    for (int i = 0; i < 7; ++i) Frame(0.5f);
    EXPECT_TRUE(trigger->IsFired());
    Frame(0.5f);
    EXPECT_FALSE(trigger->IsFired());
}

TEST_F(TriggerTest, CollectingBrightensThePlayerAndStopsTheSpawner) {
    SD::GameObject* stone = Spawn("Collector", "Stone");
    SD::GameObject* player = Spawn("Player", "Player", {100, 0, 0});
    auto* spawner = Get<QV::Spawner>(stone, SD::CID_Spawner);
    spawner->SetSpawn_fn("Spawn_Pink_Firefly");
    spawner->SetNum_active_objects(5);
    spawner->SetSpawn_rate(0.1f);
    spawner->SetSpawn_state(true);
    for (int i = 0; i < 10; ++i) Frame(0.2f);
    ASSERT_EQ(spawner->GetSpawnedObjects().size(), 5u);
    SD::GameObject* first = spawner->GetSpawnedObjects().front().get();
    GiveLight(first, SD::Vec4(1, 0.5f, 0, 1));
    GiveLight(player, SD::Vec4(0, 0, 0, 1));
    const std::vector<SD::GameObjectHandle> collected = spawner->GetSpawnedObjects();
    sound.Forget();
    Physics().BuildTree();
    Touch(player);
    const SD::Vec4 light = LightColour(player);
    EXPECT_NEAR(light.x, 0.2f, 1e-6f);
    EXPECT_NEAR(light.y, 0.1f, 1e-6f);
    EXPECT_NEAR(light.z, 0.0f, 1e-6f);
    EXPECT_NEAR(light.w, 1.2f, 1e-6f);
    // Each firefly bursts into sparkles where it is (all at the stone) and flies to the player.
    EXPECT_EQ(SparkleBursts(), std::vector<SD::Vec3>(5, SD::Vec3(0, 0, 0)));
    for (const SD::GameObjectHandle& handle : collected)
        EXPECT_EQ(Lane(handle.get(), QV::Firefly::kLaneFly), "JoinPlayer");
    EXPECT_EQ(sound.Sounds().size(), 0u) << "story counter 0 plays nothing";
    EXPECT_FALSE(spawner->GetSpawn_state());
    EXPECT_TRUE(spawner->GetSpawnedObjects().empty());
}

TEST_F(TriggerTest, OrangeCollectionsAdvanceTheStoryAndTheNinthLiftsTheTrigger) {
    Blueprints(Blueprint("Camera", TransformXml({}) + FollowCameraXml("", 10, 100, 5)));
    SD::GameObject* stone = Spawn("Collector", "Stone");
    SD::GameObject* player = Spawn("Player", "Player", {100, 0, 0});
    auto* follow = Get<QV::VernholmCameraLogic>(Spawn("Camera", "PlayerCam"), SD::CID_VernholmCameraLogic);
    auto* trigger = Get<QV::Trigger>(stone, SD::CID_Trigger);
    auto* spawner = Get<QV::Spawner>(stone, SD::CID_Spawner);
    spawner->SetSpawn_fn("Spawn_Green_Firefly");
    spawner->SetSpawn_rate(0.0f);
    const char* sounds[] = {"Play_Pitcher", "Play_Pitcher",      "Play_Pitcher",      "Play_Reed",         "Play_Reed",
                            "Play_Reed",    "Play_Old_Crystals", "Play_Old_Crystals", "Play_Old_Crystals", nullptr};
    for (int collection = 1; collection <= 10; ++collection) {
        spawner->SetSpawn_state(true);
        Frame(0.016f);
        ASSERT_EQ(spawner->GetSpawnedObjects().size(), 1u);
        const SD::GameObjectHandle firefly = spawner->GetSpawnedObjects().front();
        sound.Forget();
        follow->SetTarget(player);
        QV::Trigger::FindAction("AttachOrangeFirefliesToPlayer")(trigger);
        EXPECT_EQ(QV::SowlarSystem_::GetInstance().GetStoryCounter(), collection);
        const std::string posted = sounds[collection - 1] ? std::string("sound ") + sounds[collection - 1] : "";
        EXPECT_TRUE(SparkleBursts().empty()) << "orange collections burst no sparkles";
        EXPECT_EQ(Lane(firefly.get(), QV::Firefly::kLaneFly), "JoinPlayer");
        EXPECT_EQ(follow->GetTarget(), stone);
        // Each gathering pushes the chase out, up to half as far again as the camera was filed.
        EXPECT_NEAR(follow->GetMaxRadius(),
                    std::min(100.0 * std::pow(1.08, collection), 100.0 * QV::VernholmCameraLogic::kMostRadiusGrowth),
                    1e-6)
            << collection;
        if (!posted.empty()) {
            EXPECT_EQ(Count(posted), 1) << collection;
        }
        if (collection == 9) {
            EXPECT_EQ(stone->GetTransform().GetLocalPos(), player->GetTransform().GetLocalPos() + SD::Vec3(0, 25, 0));
            EXPECT_EQ(stone->GetTransform().GetLocalPos(), SD::Vec3(100, 25, 0));
            EXPECT_EQ(Get<Gedankenexperiment::Collider>(stone, SD::CID_Collider)->position, SD::Vec3(100, 25, 0));
        }
    }
    EXPECT_TRUE(sound.Sounds().empty()) << "the tenth plays no sound";
}

TEST_F(TriggerTest, ActionsWithoutWhatTheyNeedLogAndReturn) {
    const QV::World& state = EnterWorld();
    SD::GameObject* bare = Spawn("Bare", "Bare");
    auto* trigger = Get<QV::Trigger>(bare, SD::CID_Trigger);
    ASSERT_NE(trigger, nullptr) << "a trigger without a collider stays, inert";
    for (const char* name : {"AttachFirefliesToPlayer", "AttachOrangeFirefliesToPlayer", "StartPulsingLight",
                             "ActivateStonedGroup", "StartSummerEvent"})
        QV::Trigger::FindAction(name)(trigger);
    EXPECT_TRUE(SparkleBursts().empty());
    EXPECT_TRUE(state.IsReleaseActive()) << "the summer event needs nothing of the trigger";
    EXPECT_EQ(QV::SowlarSystem_::GetInstance().GetStoryCounter(), 0);
    QV::Trigger::FindAction("BoostPlayerEvent")(nullptr);
    QV::Trigger orphan;
    QV::Trigger::FindAction("SpawnFriendlyWind")(&orphan);
    EXPECT_TRUE(SparkleBursts().empty());
    EXPECT_TRUE(Gusts().empty());
    EXPECT_EQ(QV::Trigger::FindAction("Unknown"), nullptr);
}

struct Fired {
    int count = 0;
    void On() { ++count; }
};

TEST_F(TriggerTest, ReadingAgainReplacesTheNamedActionsButKeepsAddedCallbacks) {
    const QV::World& state = EnterWorld();
    SD::GameObject* stone = Spawn("Stone", "Stone");
    auto* trigger = Get<QV::Trigger>(stone, SD::CID_Trigger);
    Fired fired;
    trigger->AddCallback(new MFCore::Delegate_0Parameters<void, Fired>(&fired, &Fired::On));
    EXPECT_FALSE(trigger->AddCallback(std::string("Nope")));
    ASSERT_EQ(trigger->GetCallbackCount(), 3u);

    ValueReader reader;
    reader.strings = {"", "StartSummerEvent"};
    reader.ints = {1};
    trigger->VSerialize(reader, 3);
    EXPECT_EQ(trigger->GetActionNames(), std::vector<std::string>{"StartSummerEvent"});
    ASSERT_EQ(trigger->GetCallbackCount(), 2u);
    SD::GameObject* player = Spawn("Player", "Player", {100, 0, 0});
    Physics().BuildTree();
    Touch(player);
    EXPECT_EQ(fired.count, 1);
    EXPECT_TRUE(state.IsReleaseActive()) << "the summer event began";
}

TEST_F(TriggerTest, MalformedActionCountsLeaveNoActions) {
    SD::GameObject* stone = Spawn("Quiet", "Stone");
    auto* trigger = Get<QV::Trigger>(stone, SD::CID_Trigger);
    for (int count : {-3, QV::Trigger::kMaxActions + 1, 2000000000}) {
        ValueReader reader;
        reader.strings = {"", "BoostPlayerEvent"};
        reader.ints = {count};
        trigger->VSerialize(reader, 3);
        EXPECT_TRUE(trigger->GetActionNames().empty()) << count;
        EXPECT_EQ(trigger->GetCallbackCount(), 0u) << count;
    }
    // Fewer names than the count: the missing ones are empty, unknown, and skipped.
    ValueReader shortList;
    shortList.strings = {"", "BoostPlayerEvent"};
    shortList.ints = {3};
    trigger->VSerialize(shortList, 3);
    EXPECT_EQ(trigger->GetActionNames().size(), 3u);
    EXPECT_EQ(trigger->GetCallbackCount(), 1u);
}

TEST_F(TriggerTest, EachDataVersionReadsItsOwnFields) {
    struct Case {
        int version;
        size_t names;
        const char* lua;
    };
    const Case cases[] = {{0, 0, ""}, {1, 0, ""}, {2, 1, ""}, {3, 1, "OnStone"}, {4, 0, ""}, {-1, 0, ""}};
    for (const Case& c : cases) {
        QV::Trigger trigger;
        ValueReader reader;
        reader.strings = c.version == 3 ? std::vector<std::string>{"OnStone", "BoostPlayerEvent"}
                                        : std::vector<std::string>{"BoostPlayerEvent"};
        reader.ints = {1};
        trigger.VSerialize(reader, c.version);
        EXPECT_EQ(trigger.GetActionNames().size(), c.names) << c.version;
        EXPECT_STREQ(trigger.GetLuaFunction().c_str(), c.lua) << c.version;
    }
    // Written back: the function, the count and the names, in that order.
    QV::Trigger trigger;
    ValueReader reader;
    reader.strings = {"OnStone", "BoostPlayerEvent", "StartSummerEvent"};
    reader.ints = {2};
    trigger.VSerialize(reader, 3);
    ValueWriter writer;
    trigger.VSerialize(writer, 3);
    EXPECT_EQ(writer.values, (std::vector<std::string>{"Lua Trigger Function=OnStone", "Num Actions=2",
                                                       "=BoostPlayerEvent", "=StartSummerEvent"}));
}

}  // namespace
