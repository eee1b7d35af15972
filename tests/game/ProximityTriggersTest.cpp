// Components that react to the player coming near, in a small world: an armed spawn waits for
// the player, the camera turns once, a HUD fade trigger plays each narration line once (its place
// in the world's queue of lines is the play states' to test); a collector counts its group's
// triggers; the music-aware phantom plays on the beat, waits for the music or plays at once.
#include <gtest/gtest.h>

#include "WorldLogicTestSupport.h"

namespace {

using namespace worldtest;

class ProximityTriggersTest : public WorldLogicFixture {
protected:
    ProximityTriggersTest() {
        Blueprints(Blueprint("Player", TransformXml({}) + SphereXml(1, 0)) +
                   Blueprint("PlayerCam", TransformXml({}) + FollowCameraXml("", 10, 30, 5)) +
                   Blueprint("Hatchery",
                             TransformXml({}) + Component("HackProximitySpawn", 0, FloatXml("Proximity Radius", 10)) +
                                 Header("Spawner", 3) + Vec3Xml("Wait Zone Velocity", 0, 0, 0) +
                                 Vec3Xml("Wait Zone Size", 5, 5, 5) + Vec3Xml("Spawn Zone Size", 0, 0, 0) +
                                 StringXml("Spline Name", "") + IntXml("Number of objects to have active", 0) +
                                 FloatXml("Rate to spawn objects", 1.0f) + BoolXml("Spawn state", false) +
                                 StringXml("Spawn function", "Spawn_Pink_Firefly") +
                                 StringXml("Pos function", "GeneratePos_AtSpawner") + "</Spawner>" +
                                 Component("Phantom", 2,
                                           StringXml("Event Name", "Play_Hatch") + BoolXml("Is 3D?", false) +
                                               BoolXml("Begin Playing?", false))) +
                   Blueprint("BareHatchery",
                             TransformXml({}) + Component("HackProximitySpawn", 0, FloatXml("Proximity Radius", 10))) +
                   Blueprint("Lookout", TransformXml({}) +
                                            Component("CameraTransitionTrigger", 0, FloatXml("Trans Radius", 10)) +
                                            GroupXml("Lookouts")) +
                   Blueprint("Narrator", TransformXml({}) + Component("HudFadeTrigger", 0,
                                                                      FloatXml("Distance To Trigger", 10) +
                                                                          StringXml("Hud Name", "IntroHud"))) +
                   Blueprint("Hud", TransformXml({})) +
                   Blueprint("Line", TransformXml({}) + Component("HudFade", 0, "")) +
                   Blueprint("Flower", TransformXml({}) + GhostBoxXml(1) + TriggerXml({}) + GroupXml("Flowers")) +
                   Blueprint("Weed", TransformXml({}) + GroupXml("Flowers")) +
                   Blueprint("Magic", TransformXml({}) + GroupXml("FlowerSpawnerMagic")) +
                   Blueprint("ObjectTemplates/FireflySpawner", TransformXml({}) + GroupXml("Spawned")) +
                   Blueprint("Gardener", TransformXml({}) +
                                             Component("Collector", 1,
                                                       StringXml("Group Name", "Flowers") + IntXml("Action Count", 2) +
                                                           StringXml("Action Name", "Dance") +
                                                           StringXml("Action Name", "CreateFlower"))));
    }
    static Gedankenexperiment::Collider* ColliderOf(SD::GameObject* object) {
        return Get<Gedankenexperiment::Collider>(object, SD::CID_Collider);
    }
    // Where the collector's firefly spawners stand.
    static std::vector<SD::Vec3> Spawned() {
        std::vector<SD::Vec3> places;
        for (SD::Component* member : SD::Group::FindGroup(SD::SharedString("Spawned")))
            places.push_back(member->GetOwner()->GetTransform().GetLocalPos());
        return places;
    }

    WorldSound sound;
};

TEST_F(ProximityTriggersTest, AnArmedSpawnWaitsForThePlayerAndStartsItsObjectOnce) {
    SD::GameObject* hatchery = Spawn("Hatchery", "Hatchery", {0, 0, 0});
    SD::GameObject* bare = Spawn("BareHatchery", "Bare", {0, 0, 50});
    SD::GameObject* player = Spawn("Player", "Player", {5, 0, 0});
    auto* hack = Get<QV::HackProximitySpawn>(hatchery, SD::kHackProximitySpawnID);
    auto* spawner = Get<QV::Spawner>(hatchery, SD::CID_Spawner);
    auto* phantom = Get<SD::Phantom>(hatchery, SD::CID_Phantom);
    Frames(3, 0.1f);
    EXPECT_FALSE(hack->IsDone());  // near but not armed
    hack->Arm();
    Get<QV::HackProximitySpawn>(bare, SD::kHackProximitySpawnID)->Arm();
    Place(player, {15, 0, 0});
    Frames(1, 0.1f);
    EXPECT_FALSE(hack->IsDone());
    Place(player, {9, 0, 0});
    Frames(1, 0.1f);
    EXPECT_TRUE(hack->IsDone());
    EXPECT_TRUE(spawner->GetSpawn_state());
    EXPECT_TRUE(phantom->IsPlaying());
    // The bare one, reached, is only done.
    Place(player, {0, 0, 45});
    Frames(1, 0.1f);
    EXPECT_TRUE(Get<QV::HackProximitySpawn>(bare, SD::kHackProximitySpawnID)->IsDone());
}

TEST_F(ProximityTriggersTest, TheCameraTurnsToALookoutOnceItsGroupIsActiveAndTheCameraExists) {
    SD::GameObject* lookout = Spawn("Lookout", "Lookout", {0, 0, 0});
    Spawn("Player", "Player", {3, 0, 0});
    auto* trigger = Get<QV::CameraTransitionTrigger>(lookout, SD::kCameraTransitionTriggerID);
    Frames(1, 0.1f);
    EXPECT_FALSE(trigger->IsFired());  // its group is not active
    Get<SD::Group>(lookout, SD::CID_Group)->SetActive(true);
    Frames(1, 0.1f);
    EXPECT_FALSE(trigger->IsFired());  // no camera yet
    SD::GameObject* camera = Spawn("PlayerCam", "PlayerCam", {});
    Frames(3, 0.1f);
    EXPECT_TRUE(trigger->IsFired());
    EXPECT_EQ(FollowTarget(camera), lookout);
}

TEST_F(ProximityTriggersTest, NarrationPlaysEachLineOnceButStartsItsFadeEveryTime) {
    Spawn("Hud", "IntroHud", {});
    SD::GameObject* narrator = Spawn("Narrator", "NarrHudFadeTrigger", {});
    SD::GameObject* line = Spawn("Line", "Narr_3", {});
    auto* trigger = Get<QV::HudFadeTrigger>(narrator, SD::CID_HudFadeTrigger);
    auto* fade = Get<QV::HudFade>(line, SD::CID_HudFade);
    trigger->PlayNarration(3);
    trigger->PlayNarration(3);
    trigger->PlayNarration(0);
    trigger->PlayNarration(10);
    EXPECT_EQ(sound.Sounds(), std::vector<std::string>{"sound Play_3_Night_created"});
    Frames(1, 0.1f);
    EXPECT_NE(fade->GetPhase(), QV::HudFade::kWaiting);
    trigger->PlayNarration(9);  // no object for that line: the sound alone
    EXPECT_EQ(sound.Sounds().back(), "sound Play_9_Until_they_became");
}

TEST_F(ProximityTriggersTest, ACollectorRunsItsActionsOnceEveryTriggerOfItsGroupHasFired) {
    SD::GameObject* a = Spawn("Flower", "A", {0, 0, 0});
    Spawn("Weed", "Weed", {});
    SD::GameObject* gardener = Spawn("Gardener", "Gardener", {});
    SD::GameObject* b = Spawn("Flower", "B", {20, 0, 0});  // joins after the collector
    Spawn("Magic", "Magic1", {1, 2, 3});
    Spawn("Magic", "Magic2", {4, 5, 6});
    SD::GameObject* player = Spawn("Player", "Player", {});
    auto* collector = Get<QV::Collector>(gardener, SD::CID_Collector);
    // The weed has no trigger: it is not counted; the unknown action is not kept.
    EXPECT_EQ(collector->GetTargetCount(), 2);
    EXPECT_EQ(collector->GetActionNames(), std::vector<std::string>{"CreateFlower"});
    EXPECT_EQ(Written(*collector, 1),
              (std::vector<std::string>{"Group Name=Flowers", "Action Count=1", "Action Name=CreateFlower"}));
    EXPECT_EQ(Written(*collector, 0), std::vector<std::string>{"Group Name=Flowers"});

    auto* first = Get<QV::Trigger>(a, SD::CID_Trigger);
    first->OnContact(ColliderOf(player));
    EXPECT_EQ(collector->GetCollected(), 1);
    EXPECT_TRUE(Spawned().empty());
    Get<QV::Trigger>(b, SD::CID_Trigger)->OnContact(ColliderOf(player));
    EXPECT_EQ(collector->GetCollected(), 2);
    EXPECT_EQ(Spawned(), (std::vector<SD::Vec3>{{1, 2, 3}, {4, 5, 6}}));
    // Fired again, a trigger counts on but runs nothing more.
    first->SetFired(false);
    first->OnContact(ColliderOf(player));
    EXPECT_EQ(collector->GetCollected(), 3);
    EXPECT_EQ(Spawned().size(), 2u);
}

TEST_F(ProximityTriggersTest, ATriggerFiredAfterItsCollectorHasGoneCallsNothing) {
    SD::GameObject* a = Spawn("Flower", "A", {0, 0, 0});
    SD::GameObject* gardener = Spawn("Gardener", "Gardener", {});
    SD::GameObject* player = Spawn("Player", "Player", {});
    Spawn("Magic", "Magic1", {1, 2, 3});
    ASSERT_EQ(Get<QV::Collector>(gardener, SD::CID_Collector)->GetTargetCount(), 1);
    factory.DestroyGameObject(gardener);
    factory.Update(0.0f);
    ASSERT_EQ(factory.GetGameObject(std::string("Gardener")), nullptr);
    auto* trigger = Get<QV::Trigger>(a, SD::CID_Trigger);
    trigger->OnContact(ColliderOf(player));
    EXPECT_TRUE(trigger->IsFired());
    EXPECT_TRUE(Spawned().empty());
}

// The group it listened to forgets a collector once it has gone, even when its data named
// another group since.
TEST_F(ProximityTriggersTest, AFlowerPlantedAfterItsCollectorHasGoneReachesNothing) {
    SD::GameObject* gardener = Spawn("Gardener", "Gardener", {});
    ValueReader reader;
    reader.strings = {"Elsewhere"};
    Get<QV::Collector>(gardener, SD::CID_Collector)->VSerialize(reader, 0);
    factory.DestroyGameObject(gardener);
    factory.Update(0.0f);
    ASSERT_EQ(factory.GetGameObject(std::string("Gardener")), nullptr);
    EXPECT_NE(Spawn("Flower", "Late", {}), nullptr);
}

}  // namespace
