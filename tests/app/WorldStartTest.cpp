// The world as the real game enters it from the menu: the vehicle waits through the intro's
// slides and is handed over after them; the snow falls around it; the music takes its first
// state under the drawn sky, without rain, at the start of the story.
#include <gtest/gtest.h>

#include "WorldRun.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "game/player/PlayerLogic.h"
#include "game/states/World.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/Graphics.h"
#include "graphics/photon/Snow.h"

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

}  // namespace
