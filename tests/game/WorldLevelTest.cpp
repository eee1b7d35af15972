// A small level loaded from its files and run frame by frame, headless: a trigger stone with a
// spawner and a group spawner, a bridge of three planks, a floating buoy and the player. What
// exists, what is awake and what the actions did, frame by frame.
#include <gtest/gtest.h>

#include <cmath>

#include "WorldTestSupport.h"
#include "engine/LevelLayerFile.h"
#include "engine/LevelLayerManager.h"

namespace {

using namespace worldtest;

std::string Placed(const char* blueprint, const char* name, SD::Vec3 p) {
    return std::string("<GameObject blueprint=\"") + blueprint + "\"><Components>" + TransformXml(p) +
           Header("Name", 0) + StringXml("Name", name) + "</Name></Components></GameObject>";
}

class WorldLevelTest : public WorldFixture {
protected:
    WorldLevelTest() {
        Blueprints(
            FireflyBlueprints() +
            Blueprint("ObjectTemplates/Player", TransformXml({}) + BodyXml(1, {0, 50, 0}) + SphereXml(1, 0.5f)) +
            Blueprint("ObjectTemplates/TriggerStone",
                      TransformXml({}) + GhostBoxXml(5) + TriggerXml({"AttachFirefliesToPlayer", "BoostPlayerEvent"}) +
                          Header("Spawner", 3) + Vec3Xml("Wait Zone Velocity", 0, 0, 0) +
                          Vec3Xml("Wait Zone Size", 50, 50, 50) + Vec3Xml("Spawn Zone Size", 0, 0, 0) +
                          StringXml("Spline Name", "") + IntXml("Number of objects to have active", 3) +
                          FloatXml("Rate to spawn objects", 1.0f) + BoolXml("Spawn state", true) +
                          StringXml("Spawn function", "Spawn_Pink_Firefly") +
                          StringXml("Pos function", "GeneratePos_RandomlyNearby") + "</Spawner>" +
                          Header("GroupSpawner", 1) + FloatXml("Delay Time", 0.5f) + StringXml("Group Name", "Bridge") +
                          StringXml("Action Name", "SpawnWithDelay") + "</GroupSpawner>") +
            Blueprint("ObjectTemplates/Plank",
                      TransformXml({}) + Header("Group", 0) + StringXml("Group Name", "Bridge") + "</Group>") +
            Blueprint("ObjectTemplates/Buoy", TransformXml({}) + Header("FloatingLogic", 1) +
                                                  FloatXml("Move Extent", 1) + FloatXml("Move Speed", 2) +
                                                  "</FloatingLogic>"));
        tree.Write("Assets/Levels/Pond/objects.xml",
                   "<?xml version=\"1.0\" ?>\n<LevelLayers><LevelLayer name=\"Main\" version=\"0\"><GameObjects>" +
                       Placed("ObjectTemplates/TriggerStone", "Stone", {0, 0, 0}) +
                       Placed("ObjectTemplates/Plank", "Plank0", {30, 0, 0}) +
                       Placed("ObjectTemplates/Plank", "Plank1", {32, 0, 0}) +
                       Placed("ObjectTemplates/Plank", "Plank2", {34, 0, 0}) +
                       Placed("ObjectTemplates/Buoy", "Buoy", {-30, 4, 0}) +
                       Placed("ObjectTemplates/Player", "Player", {100, 0, 0}) +
                       "</GameObjects></LevelLayer></LevelLayers>\n");
        layers.Initialize();
    }
    ~WorldLevelTest() override { layers.Shutdown(); }

    SD::GameObject* Named(const std::string& name) { return factory.GetGameObject(name); }
    std::string Planks() {
        std::string text;
        for (int i = 0; i < 3; ++i) text += Named("Plank" + std::to_string(i))->IsAsleep() ? '.' : 'o';
        return text;
    }

    SD::LevelLayerManager layers;
};

TEST_F(WorldLevelTest, TheTriggerStoneSpawnsCollectsAndRaisesTheBridge) {
    const QV::World& state = EnterWorld();
    WorldSound sound;
    ASSERT_NE(SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Pond/objects.xml"), nullptr);
    SD::GameObject* stone = Named("Stone");
    SD::GameObject* player = Named("Player");
    SD::GameObject* buoy = Named("Buoy");
    ASSERT_TRUE(stone && player && buoy && Named("Plank2"));
    // The season cycle puts a group's members to sleep until they are wanted.
    for (int i = 0; i < 3; ++i) Named("Plank" + std::to_string(i))->Sleep();
    Physics().BuildTree();
    auto* trigger = Get<QV::Trigger>(stone, SD::CID_Trigger);
    auto* spawner = Get<QV::Spawner>(stone, SD::CID_Spawner);

    struct Seen {
        size_t fireflies;
        size_t spawned;
        std::string planks;
        bool fired;
    };
    std::vector<Seen> seen(1);
    std::vector<size_t> burstsAt(1, 0);
    std::vector<size_t> soundsAt(1, 0);
    std::vector<SD::GameObjectHandle> fireflies;
    for (int frame = 1; frame <= 34; ++frame) {
        if (frame == 16) Place(player, {0, 0, 0});
        if (frame == 17) Place(player, {100, 0, 0});
        Frame(0.25f);
        seen.push_back({FireflyCount(), spawner->GetSpawnedObjects().size(), Planks(), trigger->IsFired()});
        burstsAt.push_back(SparkleBursts().size());
        if (frame == 15) fireflies = spawner->GetSpawnedObjects();
        soundsAt.push_back(sound.Sounds().size());
        if (frame == 3) {
            EXPECT_NEAR(buoy->GetTransform().GetLocalPos().y, 4.0f + std::sin(2.0f * 0.5f), 1e-4f);
        }
    }
    // Fireflies at frames 5, 10 and 15 (more than 1.0 s each), at the stone: its zone is empty.
    EXPECT_EQ(seen[4].fireflies, 0u);
    EXPECT_EQ(seen[5].fireflies, 1u);
    EXPECT_EQ(seen[10].fireflies, 2u);
    EXPECT_EQ(seen[15].fireflies, 3u);
    EXPECT_EQ(seen[15].spawned, 3u);
    ASSERT_EQ(fireflies.size(), 3u);
    for (const SD::GameObjectHandle& firefly : fireflies) {
        ASSERT_NE(firefly.get(), nullptr);
        EXPECT_EQ(firefly.get()->GetTransform().GetLocalPos(), SD::Vec3(0, 0, 0));
        EXPECT_EQ(FireflyOf(firefly.get())->GetColourKind(), 1) << "pink";
    }
    EXPECT_EQ(burstsAt[15], 0u) << "only the three spawns so far";
    EXPECT_EQ(ListedNames(state.GetReleaseSpawners()), std::vector<std::string>{"Stone"})
        << "the spawns put the stone on the release list";
    EXPECT_FALSE(seen[15].fired);
    // Frame 16: the player touches the stone; the fireflies are collected and the spawner stops.
    EXPECT_TRUE(seen[16].fired);
    EXPECT_EQ(seen[16].spawned, 0u);
    // Each collected firefly burst into sparkles where it was and flies to the player.
    EXPECT_EQ(SparkleBursts(), std::vector<SD::Vec3>(3, SD::Vec3(0, 0, 0)));
    for (const SD::GameObjectHandle& firefly : fireflies)
        EXPECT_EQ(Lane(firefly.get(), QV::Firefly::kLaneFly), "JoinPlayer");
    EXPECT_EQ(soundsAt[15], 0u);
    EXPECT_EQ(soundsAt[16], 1u);
    EXPECT_EQ(sound.Sounds(), std::vector<std::string>{"sound Play_Flower"});
    EXPECT_EQ(seen[34].fireflies, 3u) << "collected fireflies fly on; nothing new spawns";
    EXPECT_EQ(burstsAt[34], burstsAt[16]);
    // The bridge: dormant until frame 16, then one plank each 0.5 s once the countdown runs out.
    EXPECT_EQ(seen[16].planks, "...");
    EXPECT_EQ(seen[17].planks, "...");
    EXPECT_EQ(seen[18].planks, "o..");
    EXPECT_EQ(seen[20].planks, "o..");
    EXPECT_EQ(seen[21].planks, "oo.");
    EXPECT_EQ(seen[24].planks, "ooo");
    // Re-armed 4.0 s after firing (frame 16 + 16 frames).
    EXPECT_TRUE(seen[31].fired);
    EXPECT_FALSE(seen[32].fired);
}

}  // namespace
