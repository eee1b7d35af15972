// A newcomer plays the sample level from the menu with a player's keys and no developer keys:
// he flies to the gatherings the frame shows him, one after the other, collects the first within
// a minute of play and goes on to the ending; the gatherings push the follow camera's chase out
// no farther than half as much again. The same run at sixty frames a second, at twenty and at
// eight, since the way must hold whatever the machine's frame rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "GameScript.h"
#include "Newcomer.h"
#include "WorldRun.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/editor/LevelEditor.h"
#include "physics/Body.h"
#include "support/CapturedLog.h"
#include "support/HeldKeys.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/components/Sprite.h"
#include "runtime/InputCodes.h"

namespace {

using Script = qvtest::GameScript;

int Stage() { return QV::SowlarSystem_::GetInstance().GetStage(); }

// The vehicle takes the player's keys: the intro is over.
bool Flying() {
    SD::GameObject* vehicle = SD::Factory_::GetGameObjectByName("Player");
    auto* logic = vehicle ? static_cast<QV::PlayerLogic*>(vehicle->GetComponent(SD::CID_Player)) : nullptr;
    return qvtest::Running() == "World" && logic && logic->GetControlsEnabled();
}

bool FinalPoemShown() {
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    if (!graphics) return false;
    for (Aperture::UISprite* sprite : graphics->GetSceneLists().UISprites())
        if (sprite->GetTexture() == "FinalPoem" && sprite->GetOpacity() > 0.5f) return true;
    return false;
}

void Hold(const qvtest::HeldControls& held, std::set<uint32_t>& keys) {
    keys.clear();
    if (held.throttle) keys.insert(SD::key_SPACE);
    if (held.turn < 0) keys.insert(SD::key_A);
    if (held.turn > 0) keys.insert(SD::key_D);
    // W dives, S climbs.
    if (held.climb > 0) keys.insert(SD::key_S);
    if (held.climb < 0) keys.insert(SD::key_W);
}

class Newcomer : public ::testing::TestWithParam<int> {};

TEST_P(Newcomer, FliesToTheGatheringsTheFrameShowsReachingTheFirstWithinAMinuteAndTheEnding) {
    const int fps = GetParam();
    qvtest::HeadlessGame game(false);
    qvtest::SetConfig(game.tree, "FrameRateController", "fps", std::to_string(fps));

    Script script;
    // Steps are counted in frames: the longest, the whole way on after the first gathering, in
    // game seconds.
    script.limit = static_cast<unsigned long>(600 * fps);
    qvtest::Newcomer person;
    // Game time, from the clock the frame limiter's waits move on.
    double lastNow = 0.0;
    float frameSeconds = 0.0f, flownSeconds = 0.0f, firstGatheringAt = 0.0f;
    int stagesSeen = 0;
    const auto fly = [&](auto done) {
        return [&, done] {
            Hold(person.Look(frameSeconds), script.keys);
            flownSeconds += frameSeconds;
            stagesSeen = std::max(stagesSeen, Stage());
            return done();
        };
    };
    script.steps = {
        {"the splash's first logo", [] { return qvtest::Exists("KVLogo"); }},
        {"a key skips the logos", script.Tap(SD::key_SPACE)},
        {"the controls screen", [] { return qvtest::Exists("XboxControlLogo") && !qvtest::Exists("KVLogo"); }},
        {"a key leaves it", script.Tap(SD::key_SPACE)},
        {"menu", Script::In("MainMenu")},
        {"a look at the menu", Script::Wait(2 * fps)},
        {"play pressed", script.Tap(SD::key_RETURN)},
        {"the intro plays until the vehicle is his", [] { return Flying(); }},
        {"to the first gathering he sees", fly([&] {
             firstGatheringAt = flownSeconds;
             return Stage() >= 1;
         })},
        {"on to the ending", fly([] { return FinalPoemShown(); })},
    };

    SD::RunOptions options;
    options.maxFrames = static_cast<unsigned long>(900 * fps);
    SD::Vec3 vehicle;
    // The follow camera's chase radius as filed, and the farthest the gatherings pushed it.
    double filedRadius = 0.0, farthestRadius = 0.0;
    options.afterFrame = [&](unsigned long) {
        frameSeconds = static_cast<float>(game.clock.Now() - lastNow);
        lastNow = game.clock.Now();
        script.Frame();
        if (SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player"))
            vehicle = player->GetTransform().GetPos();
        SD::GameObject* camera = SD::Factory_::GetGameObjectByName("PlayerCam");
        if (const auto* follow =
                camera ? static_cast<const QV::VernholmCameraLogic*>(camera->GetComponent(SD::CID_VernholmCameraLogic))
                       : nullptr) {
            if (filedRadius == 0.0) filedRadius = follow->GetMaxRadius();
            farthestRadius = std::max(farthestRadius, follow->GetMaxRadius());
        }
        if (script.Finished()) SD::Core::GetInstance()->Quit();
    };
    const auto [summary, log] = qvtest::RunWholeGame(options);

    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Where() << " after " << flownSeconds
                                   << " s of flight, stage " << stagesSeen << ", the vehicle at " << vehicle.x << ", "
                                   << vehicle.y << ", " << vehicle.z << ", heading for "
                                   << person.goal.value_or("nothing in sight");
    EXPECT_LE(firstGatheringAt, 60.0f) << "the first gathering took longer than a minute of play";
    // The ten gatherings would push the chase out to twice its radius; it stops at half as much
    // again.
    EXPECT_DOUBLE_EQ(farthestRadius, filedRadius * QV::VernholmCameraLogic::kMostRadiusGrowth);
    EXPECT_TRUE(summary.clean) << summary.error;
}

INSTANTIATE_TEST_SUITE_P(FrameRates, Newcomer, ::testing::Values(60, 20, 8),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "PerSecond";
                         });

}  // namespace

// Lost, he presses R: the vehicle is back where the level starts it, at rest and facing the way
// on, and the first gathering is in sight again.
TEST(NewcomerLost, RBringsTheVehicleBackToTheStartFacingTheFirstGathering) {
    std::set<uint32_t> keys;
    bool injecting = false;
    int flownFrames = 0, sinceReset = -1, sightedAfter = -1;
    SD::Vec3 spawn, away, atReset(1e9f, 1e9f, 1e9f);
    float speedAtReset = -1.0f;
    qvtest::CapturedLog log;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld(
        [&](int) {
            if (!Flying()) return true;
            SD::GameObject* vehicle = SD::Factory_::GetGameObjectByName("Player");
            const Aperture::Camera* camera = Aperture::Graphics_::GetInstance()->GetActiveCamera();
            if (!vehicle || !camera) return false;
            // Off to the side and up for three seconds of full throttle, then R.
            if (++flownFrames < 190) {
                keys = {SD::key_SPACE, SD::key_D, SD::key_S};
                return true;
            }
            if (sinceReset < 0) {
                away = vehicle->GetTransform().GetPos();
                keys = {SD::key_R};
                sinceReset = 0;
                return true;
            }
            // R is a key like the others: pressed in one frame, seen by the scripts in the next.
            if (++sinceReset == 1) keys.clear();
            spawn = QV::LevelEditor::Peek()->GetPlayerSpawnPos();
            if (sinceReset <= 3 && (vehicle->GetTransform().GetPos() - spawn).Length() < (atReset - spawn).Length()) {
                atReset = vehicle->GetTransform().GetPos();
                speedAtReset =
                    static_cast<Gedankenexperiment::Body*>(vehicle->GetComponent(SD::CID_Body))->GetVelocity().Length();
            }
            if (sightedAfter < 0 && qvtest::NearestGatheringInSight(*camera, vehicle->GetTransform().GetPos()) ==
                                        std::optional<std::string>("Gathering_0"))
                sightedAfter = sinceReset;
            return sightedAfter < 0 && sinceReset < 200;
        },
        [&] {
            if (injecting || !SD::Input_::GetInstance()) return;
            SD::Input_::GetInstance()->AddInjector(std::make_unique<qvtest::HeldKeys>(&keys));
            injecting = true;
        });
    EXPECT_TRUE(summary.clean) << summary.error;
    EXPECT_EQ(log.Text().find("Lua function"), std::string::npos) << log.Text();
    ASSERT_GE(sinceReset, 1) << "the flight before R never began";
    EXPECT_GT((away - spawn).Length(), 50.0f) << "the vehicle had not flown off";
    EXPECT_LT((atReset - spawn).Length(), 1.0f)
        << "R left the vehicle at " << atReset.x << ", " << atReset.y << ", " << atReset.z;
    EXPECT_LT(speedAtReset, 1.0f) << "the vehicle is not at rest after R";
    EXPECT_GE(sightedAfter, 0) << "after R the first gathering is not in sight";
    EXPECT_LE(sightedAfter, 120);
}
