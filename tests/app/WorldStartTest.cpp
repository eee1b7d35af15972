// The world as the real game enters it from the menu: the vehicle waits through the intro's
// slides and is handed over after them; the snow falls around it; the music takes its first
// state under the drawn sky, without rain, at the start of the story. A second run of the game
// in the same process enters it as the first did.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "WorldRun.h"
#include "core/MessageSystem.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "game/fireflies/FireflyManager.h"
#include "game/player/PlayerLogic.h"
#include "game/states/World.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/Graphics.h"
#include "graphics/photon/Snow.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/SplineSystem.h"
#include "support/HeldKeys.h"

namespace {

SD::GameObject* Find(const char* name) { return SD::Factory_::GetGameObjectByName(name); }

bool ControlsEnabled() {
    SD::GameObject* player = Find("Player");
    auto* logic = player ? static_cast<QV::PlayerLogic*>(player->GetComponent(SD::CID_Player)) : nullptr;
    return logic && logic->GetControlsEnabled();
}

// Whether the snow of that object falls around the vehicle.
bool SnowOnPlayer(const char* name) {
    SD::GameObject* snowObject = Find(name);
    SD::GameObject* player = Find("Player");
    auto* snow = snowObject ? static_cast<Aperture::Photon::Snow*>(snowObject->GetComponent(SD::CID_Snow)) : nullptr;
    return snow && player && snow->GetTarget() == player->GetHandle();
}

TEST(WorldStart, TheVehicleWaitsForTheIntroAndTheWorldOpensInSnowUnderTheSkyAtTheStorysStart) {
    int introFrames = 0, introFramesDriving = 0;
    bool driving = false, snowOnPlayer = false, sky = false, endOfGame = true;
    int musicState = -1, storyCounter = -1;
    float rainTarget = -1.0f;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld(
        [&](int) {
            driving = ControlsEnabled();
            snowOnPlayer = SnowOnPlayer("Snow_0") && SnowOnPlayer("Snow_1");
            sky = Aperture::Graphics_::GetInstance()->GetSkyEnabled();
            musicState = QV::AudioLogic_::GetInstance().GetSeason();
            rainTarget = QV::AudioLogic_::GetInstance().GetRainTarget();
            storyCounter = QV::SowlarSystem_::GetInstance().GetStoryCounter();
            endOfGame = QV::SowlarSystem_::GetInstance().IsEndOfGame();
            return false;
        },
        [&] {
            // The world loaded, its intro still playing.
            if (!QV::World::Current() || qvtest::Running() == "World") return;
            ++introFrames;
            introFramesDriving += ControlsEnabled() ? 1 : 0;
        });
    EXPECT_TRUE(summary.clean) << summary.error;
    EXPECT_GT(introFrames, 100) << "the intro played";
    EXPECT_EQ(introFramesDriving, 0) << "no driving during the intro";
    EXPECT_TRUE(driving) << "the vehicle is handed over";
    EXPECT_TRUE(snowOnPlayer);
    EXPECT_TRUE(sky);
    EXPECT_EQ(musicState, 1);
    EXPECT_EQ(rainTarget, 0.0f);
    EXPECT_EQ(storyCounter, 0);
    EXPECT_FALSE(endOfGame);
}

// What one run showed: the delayed messages waiting as it began, the splines alive at its
// first world frame, and how far the head of the vehicle's firefly escort strayed from the
// vehicle in flight.
struct WorldEntry {
    size_t queuedAtStart = 0;
    size_t splines = 0;
    float farthestEscort = 0.0f;
};

WorldEntry EnterTheWorldAndFly() {
    WorldEntry entry;
    std::set<uint32_t> keys{SD::key_SPACE};
    bool started = false;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld(
        [&](int frame) {
            if (frame == 1) entry.splines = SD::Spline_System::GetInstance().Count();
            SD::GameObject* player = Find("Player");
            const std::vector<QV::FireflyGroup*>& escort = QV::Firefly_Manager::GetInstance().Groups().EscortSet(0);
            if (frame > 5 && player && !escort.empty())
                entry.farthestEscort = std::max(
                    entry.farthestEscort, (escort.front()->centre - player->GetTransform().GetLocalPos()).Length());
            return frame < 60;
        },
        [&] {
            if (started) return;
            started = true;
            entry.queuedAtStart = SD::Message_System::GetInstance()->QueuedCount();
            SD::Input_::GetInstance()->AddInjector(std::make_unique<qvtest::HeldKeys>(&keys));
        });
    EXPECT_TRUE(summary.clean) << summary.error;
    return entry;
}

// The engine's systems outlive a run of the program; a second run must not inherit the first
// one's splines (the paths would be loaded twice, each frame reading the clock for both), its
// clocks (the escort would wait for the first run's time to come round again) nor its delayed
// messages (a trigger reset naming an object of the first run).
TEST(WorldStart, ASecondRunInTheSameProcessEntersAndFliesTheWorldLikeTheFirst) {
    const WorldEntry first = EnterTheWorldAndFly();
    const WorldEntry second = EnterTheWorldAndFly();
    EXPECT_EQ(first.queuedAtStart, 0u);
    EXPECT_EQ(second.queuedAtStart, 0u);
    EXPECT_GT(first.splines, 0u);
    EXPECT_EQ(second.splines, first.splines);
    // The escort's head keeps just ahead of the vehicle as it speeds up, in both runs alike.
    EXPECT_LT(first.farthestEscort, 10.0f);
    EXPECT_NEAR(second.farthestEscort, first.farthestEscort, 1.0f);
}

}  // namespace
