// The sample world's content acting in the running game where a player meets it: the yellow
// cloud of fireflies by the start is gathered by the vehicle flown through it, in sparkles; the stone caller's Lua
// trigger function lights a lamp and its group spawner wakes the sleeping stones, which rise
// out of the ground one after another; the tombstone caller raises the short tombstones; the
// hill's mesh collider holds the vehicle up; the configuration's normal maps are generated from
// the height maps at start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "WorldRun.h"
#include "engine/Factory.h"
#include "game/components/Spawner.h"
#include "game/components/Tombstones.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/SowlarSystem.h"
#include "physics/Body.h"
#include "support/PlaceObject.h"
#include "support/StepScript.h"

namespace {

SD::GameObject* Named(const std::string& name) { return SD::Factory_::GetGameObjectByName(name.c_str()); }

bool ControlsEnabled() {
    SD::GameObject* vehicle = Named("Player");
    auto* logic = vehicle ? static_cast<QV::PlayerLogic*>(vehicle->GetComponent(SD::CID_Player)) : nullptr;
    return logic && logic->GetControlsEnabled();
}

// The vehicle held at a place for some frames, as if it flew through it.
std::function<bool()> HoldVehicleAt(const char* place, int frames) {
    auto left = std::make_shared<int>(frames);
    return [place, left] {
        SD::GameObject* vehicle = Named("Player");
        SD::GameObject* at = Named(place);
        if (!vehicle || !at) return false;
        qvtest::PlaceAt(vehicle, at->GetTransform().GetPos());
        return --*left <= 0;
    };
}

const char* const kStones[] = {"RisingStone", "RisingStone_2", "RisingStone_3"};

struct StoneWatch {
    bool allAsleepAtFirst = true, allHiddenAtFirst = true;
    float lowest[3] = {1e9f, 1e9f, 1e9f};
    SD::Vec3 lastScale[3];
    float lastHeight[3] = {0.0f, 0.0f, 0.0f};
    int wokenFrame[3] = {0, 0, 0};
};

TEST(SampleContent, TriggersLuaStonesTombstonesAndTheHillsMeshActWhereThePlayerMeetsThem) {
    qvtest::StepScript script;
    script.limit = 3000;
    size_t cloudHeld = 0, cloudLeft = 99, bursts = 0;
    bool cloudSpawning = true;
    StoneWatch stones;
    int frame = 0;
    float lowestOverHill = 1e9f, hillTop = 0.0f;
    int fallFrames = 0;
    bool lamp = false, tombstoneActivated = false;
    float tombstoneProgress = 0.0f;
    script.steps = {
        {"the intro over, the cloud's fireflies out",
         [&] {
             auto* spawner = static_cast<QV::Spawner*>(Named("FireflyCloud")->GetComponent(SD::CID_Spawner));
             if (!ControlsEnabled() || spawner->GetSpawnedObjects().size() < 3) return false;
             cloudHeld = spawner->GetSpawnedObjects().size();
             return true;
         }},
        {"through the cloud", HoldVehicleAt("FireflyCloud", 10)},
        {"the cloud gathered",
         [&] {
             auto* spawner = static_cast<QV::Spawner*>(Named("FireflyCloud")->GetComponent(SD::CID_Spawner));
             cloudLeft = spawner->GetSpawnedObjects().size();
             cloudSpawning = spawner->GetSpawn_state();
             for (const SD::GameObjectHandle& handle :
                  SD::GameStateManager_::GetInstance()->GetCurrentLevel()->GetObjects())
                 if (SD::GameObject* object = handle.get();
                     object && object->GetBlueprintName() == "World/FireflyCollectionSparkles")
                     ++bursts;
             return true;
         }},
        {"on to the stones' caller", HoldVehicleAt("StoneCaller", 10)},
        {"the stones rise",
         [&] {
             lamp = Named("StoneCallLamp") != nullptr;
             for (const char* name : kStones)
                 if (std::fabs(Named(name)->GetTransform().GetPosY() - 4.0f) > 0.01f) return false;
             return true;
         }},
        {"on to the tombstones' caller", HoldVehicleAt("TombstoneCaller", 10)},
        {"the short tombstone rises",
         [&] {
             auto* main = static_cast<QV::MainTombstone*>(Named("MainTombstone")->GetComponent(SD::CID_MainTombstone));
             auto* stone =
                 static_cast<QV::ShortTombstone*>(Named("ShortTombstone")->GetComponent(SD::CID_ShortTombstone));
             tombstoneActivated = main->IsActivated();
             tombstoneProgress = stone->GetProgress();
             return tombstoneProgress > 0.5f;
         }},
        {"dropped onto the hill",
         [&] {
             SD::GameObject* hill = qvtest::FirstOf("ObjectTemplates/Hill");
             SD::GameObject* vehicle = Named("Player");
             // The hill's model stands 6 units high at its middle.
             hillTop = hill->GetTransform().GetPos().y + hill->GetTransform().GetScaleY() * 6.0f;
             qvtest::PlaceAt(vehicle, hill->GetTransform().GetPos() + SD::Vec3(0.0f, hillTop + 10.0f, 0.0f));
             static_cast<Gedankenexperiment::Body*>(vehicle->GetComponent(SD::CID_Body))
                 ->SetVelocity(SD::Vec3(0.0f, -40.0f, 0.0f));
             return true;
         }},
        {"fallen for a while",
         [&] {
             lowestOverHill = std::min(lowestOverHill, Named("Player")->GetTransform().GetPos().y);
             return ++fallFrames >= 300;
         }},
    };
    const SD::RunSummary summary = qvtest::RunIntoTheWorld([&](int) {
        ++frame;
        for (int i = 0; i < 3; ++i) {
            SD::GameObject* stone = Named(kStones[i]);
            if (!stone) return false;
            if (frame == 1) {
                stones.allAsleepAtFirst = stones.allAsleepAtFirst && stone->IsAsleep();
                stones.allHiddenAtFirst = stones.allHiddenAtFirst && stone->GetTransform().GetScale() == SD::Vec3();
            }
            if (!stone->IsAsleep() && !stones.wokenFrame[i]) stones.wokenFrame[i] = frame;
            if (stones.wokenFrame[i]) stones.lowest[i] = std::min(stones.lowest[i], stone->GetTransform().GetPosY());
            stones.lastScale[i] = stone->GetTransform().GetScale();
            stones.lastHeight[i] = stone->GetTransform().GetPosY();
        }
        script.Advance();
        return !script.Finished() && script.stuck.empty();
    });
    EXPECT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(script.Finished()) << "stuck at: " << script.Where();

    EXPECT_EQ(cloudLeft, 0u) << "the cloud's fireflies did not leave it for the vehicle";
    EXPECT_FALSE(cloudSpawning) << "the gathered cloud goes on making fireflies";
    EXPECT_GE(bursts, cloudHeld) << "no sparkles where the cloud's fireflies were gathered";
    EXPECT_EQ(QV::SowlarSystem_::GetInstance().GetStage(), 0) << "the cloud is no gathering of the story";

    EXPECT_TRUE(stones.allAsleepAtFirst) << "the stones sleep until they are called";
    EXPECT_TRUE(stones.allHiddenAtFirst) << "the sleeping stones are hidden";
    EXPECT_TRUE(lamp) << "the caller's Lua trigger function lit no lamp";
    EXPECT_LT(stones.wokenFrame[0], stones.wokenFrame[1]) << "the stones wake one after another";
    EXPECT_LT(stones.wokenFrame[1], stones.wokenFrame[2]);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(kStones[i]);
        EXPECT_EQ(stones.lastScale[i], SD::Vec3(3, 8, 3)) << "the risen stone has its own size";
        EXPECT_NEAR(stones.lastHeight[i], 4.0f, 0.01f) << "the stone rose to where the level puts it";
        EXPECT_LT(stones.lowest[i], 1.0f) << "the stone came up out of the ground";
    }

    EXPECT_TRUE(tombstoneActivated);
    EXPECT_GT(tombstoneProgress, 0.5f);

    EXPECT_GT(lowestOverHill, hillTop * 0.5f) << "the vehicle fell through the hill's mesh";
}

// The sample configuration has the normal maps made from the height maps at start-up.
TEST(SampleContent, StartUpGeneratesTheNormalMapsFromTheHeightMaps) {
    std::vector<std::string> written;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld([&](int) {
        for (const char* map : {"SampleHill_nrm.bmp", "Rock_nrm.bmp"})
            if (std::filesystem::exists(std::string("../Assets/Textures/NormalMaps/") + map)) written.push_back(map);
        return false;
    });
    EXPECT_TRUE(summary.clean) << summary.error;
    EXPECT_EQ(written, (std::vector<std::string>{"SampleHill_nrm.bmp", "Rock_nrm.bmp"}));
}

}  // namespace
