// The world the play state loads, from the sample data's blueprints and level, run headless
// frame by frame with the vehicle made as the play state makes it: it carries every kind of
// scenery, weather, wind, trigger and spawning component, its collector counts its flowers, its
// proximity triggers fire, its firefly spawners make fireflies, the season and the moon move the
// world and the mountain splits.
#include <gtest/gtest.h>

#include <filesystem>

#include "WorldLogicTestSupport.h"
#include "game/systems/SowlarSystem.h"
#include "engine/LevelLayerManager.h"

namespace {

using namespace worldtest;

int Members(const char* group) {
    int count = 0;
    for (SD::Component* member : SD::Group::FindGroup(SD::SharedString(group))) count += member ? 1 : 0;
    return count;
}

class SampleWorldTest : public WorldLogicFixture {
protected:
    SampleWorldTest() {
        for (const char* folder :
             {"Assets/Objects", "Assets/Levels/World_v6", "Assets/PhysicsMeshData", "Assets/Textures/HeightMaps"}) {
            std::filesystem::create_directories(tree.Path(folder));
            std::filesystem::copy(qvtest::SourceDir() + "/" + folder, tree.Path(folder),
                                  std::filesystem::copy_options::recursive);
        }
        factory.LoadObjectManifest("../Assets/Objects/Objects.man");
        layers.Initialize();
    }
    ~SampleWorldTest() override { layers.Shutdown(); }

    SD::GameObject* Named(const std::string& name) { return factory.GetGameObject(name); }
    template <class T>
    T* Of(const std::string& name, SD::ComponentID id) {
        return Get<T>(Named(name), id);
    }

    SD::LevelLayerManager layers;
};

TEST_F(SampleWorldTest, TheWorldCarriesEveryKindAndTheyBehave) {
    ASSERT_NE(SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/World_v6/objects.xml"), nullptr);
    // The narrator waits for the story's first line, which the play state makes with the level.
    ASSERT_NE(Spawn("Hud/Narr_1", "Narr_1"), nullptr);
    // The vehicle and its camera as the play state makes them, the vehicle away from the floor
    // and from every proximity trigger.
    SD::GameObject* player = Spawn("World/Player", "Player", {0, 0, -150});
    ASSERT_NE(player, nullptr);
    ASSERT_NE(Spawn("World/Camera", "PlayerCam"), nullptr);
    // It hovers wherever the test puts it, as its controls would hold it.
    auto* body = Get<Gedankenexperiment::Body>(player, SD::CID_Body);
    ASSERT_NE(body, nullptr);
    body->SetAppliedGravity(SD::Vec3() - Gedankenexperiment::Body::kGravity);
    // One of each kind, on the object that carries it.
    const std::pair<const char*, SD::ComponentID> kinds[] = {
        {"TallTombstone", SD::CID_TallTombstoneLogic},
        {"WindVolume", SD::CID_WindLogic},
        {"WindTube", SD::CID_WindTubeLogic},
        {"WindGate", SD::CID_WindTrigger},
        {"SummerGlade", SD::CID_SeasonTransitionLogic},
        {"Bloom", SD::CID_SeasonalColorInterpLogic},
        {"RainCloud", SD::kRainLogicID},
        {"MoonLogic", SD::kMoonLogicID},
        {"Shadow", SD::kSyncLogicID},
        {"Hatchery", SD::kHackProximitySpawnID},
        {"Hatchery", SD::CID_QuorvPhantom},
        {"Lookout", SD::kCameraTransitionTriggerID},
        {"Narrator", SD::CID_HudFadeTrigger},
        {"Gardener", SD::CID_Collector},
        {"GlowingIsland", SD::kFloatingIslandGlowLogicID},
        {"GlowingIsland", SD::kFloatingIslandLogicID},
        {"Crystal", SD::kCrystalLogicID},
        {"MountainEast", SD::CID_MountainSplitLogic},
        {"RingTreeStream", SD::kRingTreeWindStreamLogicID},
        {"Quorvanta", SD::CID_QuorvantaLogic},
        {"Bulb", SD::CID_FloatingBulbLogic},
        {"LilyPad", SD::CID_LilyPadLogic},
        {"GrassPatch", SD::CID_GrassPatchLogic},
        {"Billboard", SD::CID_NaiveGrassBillboardLogic},
        {"StarfallTree", SD::CID_StarfallTreeLeafLogic},
        {"SummerStarfallTree", SD::CID_SummerStarfallTreeLeafLogic},
        {"SpringStarfallTree", SD::CID_SpringStarfallTreeLeafLogic},
        {"Cloud", SD::CID_CloudLogic},
        {"Gravestone", SD::kSimpleTombstoneLogicID},
        {"Buoy", SD::CID_Floating},
        {"Pinwheel", SD::kSpinningLogicID},
        {"RisingStone", SD::CID_SpawnLogic},
        {"StoneCaller", SD::CID_Trigger},
        {"StoneCaller", SD::CID_GroupSpawner},
        {"Chime", SD::CID_Phantom},
        {"Crate", SD::CID_Body},
        {"Crate", SD::CID_Collider},
    };
    for (const auto& [name, id] : kinds) {
        ASSERT_NE(Named(name), nullptr) << name;
        EXPECT_NE(Named(name)->GetComponent(id), nullptr) << name;
    }
    EXPECT_EQ(Named("StarfallTree")->GetChildren().Size(), 64u);
    Frames(2, 0.1f);

    // The collector counts its two flowers and then makes a firefly spawner at its one magic place.
    auto* collector = Of<QV::Collector>("Gardener", SD::CID_Collector);
    EXPECT_EQ(collector->GetTargetCount(), 2);
    auto* playerCollider = Get<Gedankenexperiment::Collider>(player, SD::CID_Collider);
    const int spawnersBefore = Members("InitialGroup");
    Of<QV::Trigger>("FlowerA", SD::CID_Trigger)->OnContact(playerCollider);
    EXPECT_EQ(Members("InitialGroup"), spawnersBefore);
    Of<QV::Trigger>("FlowerB", SD::CID_Trigger)->OnContact(playerCollider);
    EXPECT_EQ(collector->GetCollected(), 2);
    EXPECT_EQ(Members("InitialGroup"), spawnersBefore + 1);

    // Proximity: the armed hatchery asks the music for its sound, the lookout turns the camera,
    // the narrator queues its fade.
    auto* hatchery = Of<QV::HackProximitySpawn>("Hatchery", SD::kHackProximitySpawnID);
    // The first stage's group arms it.
    EXPECT_FALSE(hatchery->IsArmed());
    QV::SowlarSystem_::GetInstance().ActivateGroup("Group_01", false);
    EXPECT_TRUE(hatchery->IsArmed());
    const auto at = [this](const char* name) { return Named(name)->GetTransform().GetLocalPos(); };
    Place(player, at("Hatchery"));
    Frames(1, 0.1f);
    EXPECT_TRUE(hatchery->IsDone());
    EXPECT_EQ(QV::AudioLogic_::GetInstance().SyncQueueSize(), 1u);
    Place(player, at("Lookout"));
    Frames(1, 0.1f);
    EXPECT_TRUE(Of<QV::CameraTransitionTrigger>("Lookout", SD::kCameraTransitionTriggerID)->IsFired());
    const SD::Vec3 narrator = at("Narrator");
    Place(player, narrator);
    Frames(1, 0.1f);
    EXPECT_TRUE(Of<QV::HudFadeTrigger>("Narrator", SD::CID_HudFadeTrigger)->IsQueued());
    EXPECT_EQ(Named("Shadow")->GetTransform().GetLocalPos(), narrator);

    // Into the summer glade, three quarters across: the season and the bloom's colour follow.
    GiveGeometry(Named("Bloom"), SD::Vec4());
    Place(player, {310, 1, 0});
    Frames(1, 0.1f);
    EXPECT_NEAR(SeasonBlend(), 0.75f, 1e-4f);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetSeason(), 1);
    Frames(1, 0.1f);
    const SD::Vec4 bloom = GeometryColour(Named("Bloom"));  // from spring (0.2, 1, 0.4) to summer (1, 0.8, 0.2)
    EXPECT_NEAR(bloom.x, 0.8f, 1e-4f);
    EXPECT_NEAR(bloom.y, 0.85f, 1e-4f);
    // The firefly spawners of the initial group, switched on as the play state does after its
    // intro, make fireflies from the world's firefly blueprint while the moon turns.
    std::vector<QV::Spawner*> spawners;
    for (SD::Component* member : SD::Group::FindGroup(SD::SharedString("InitialGroup")))
        if (auto* spawner = Get<QV::Spawner>(member->GetOwner(), SD::CID_Spawner)) spawners.push_back(spawner);
    ASSERT_EQ(spawners.size(), 3u) << "the story's, its first gathering's and the collector's";
    for (QV::Spawner* spawner : spawners) spawner->SetSpawn_state(true);
    // The moon steps the sky round.
    auto* moon = Of<QV::MoonLogic>("MoonLogic", SD::kMoonLogicID);
    ASSERT_NE(moon->GetMoon(), nullptr);
    const SD::Vec3 skyBefore = Named("MoonLogic")->GetTransform().GetRight();
    moon->Step();
    Frames(100, 0.1f);
    EXPECT_LT(moon->GetCurrentTurn(), 0.0f);
    EXPECT_NE(Named("MoonLogic")->GetTransform().GetRight(), skyBefore);
    for (QV::Spawner* spawner : spawners) {
        ASSERT_FALSE(spawner->GetSpawnedObjects().empty());
        EXPECT_EQ(spawner->GetSpawnedObjects().front().get()->GetBlueprintName(), "World/Firefly");
    }
    // The mountain has split.
    EXPECT_GT(
        Named("MountainEast")->GetTransform().GetLocalPos().x - Named("MountainWest")->GetTransform().GetLocalPos().x,
        20.0f + 150.0f);
}

// Left alone where the level puts them, the crate comes down on the floor and the vehicle holds its
// height; a steady push carries the vehicle at a speed that levels off, and one downwards sets it
// on the floor, which holds it. Forces that never died away would sink both through the floor or
// carry the vehicle off without end.
TEST_F(SampleWorldTest, TheCrateRestsOnTheFloorAndTheVehicleHoversAndFliesAtASteadySpeed) {
    ASSERT_NE(SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/World_v6/objects.xml"), nullptr);
    SD::GameObject* player = Spawn("World/Player", "Player", {0, 3, -10});
    ASSERT_NE(player, nullptr);
    Physics().BuildTree();
    SD::GameObject* crate = Named("Crate");
    ASSERT_NE(crate, nullptr);
    auto y = [](SD::GameObject* object) { return object->GetTransform().GetLocalPos().y; };
    // The floor's top is at -0.5: the crate's centre rests half its size above it.
    for (int second = 1; second <= 4; ++second) {
        Frames(60, 1.0f / 60.0f);
        EXPECT_NEAR(y(crate), 0.0f, 0.1f) << "after " << second << " s";
        EXPECT_NEAR(y(player), 3.0f, 0.01f) << "after " << second << " s";
    }

    auto* body = Get<Gedankenexperiment::Body>(player, SD::CID_Body);
    ASSERT_NE(body, nullptr);
    auto pushFor = [&](int frames, SD::Vec3 push) {
        for (int frame = 0; frame < frames; ++frame) {
            body->AddForce(push.x, push.y, push.z);
            Frames(1, 1.0f / 60.0f);
        }
    };
    float speeds[3] = {};
    for (float& speed : speeds) {
        pushFor(60, {-60.0f, 0.0f, 0.0f});
        speed = body->GetVelocity().Length();
    }
    EXPECT_GT(speeds[0], 1.0f) << "the push moves it";
    EXPECT_NEAR(speeds[2], speeds[1], 0.05f * speeds[1]) << "and its speed levels off";
    EXPECT_NEAR(y(player), 3.0f, 0.01f) << "at its height";

    // Pushed down onto the floor, its radius of 1 above the floor's top.
    pushFor(120, {0.0f, -60.0f, 0.0f});
    EXPECT_NEAR(y(player), 0.5f, 0.1f);
}

}  // namespace
