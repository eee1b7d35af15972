// The sky's weather in a real window (run by tools/window-check.sh under a virtual X server with
// the software OpenGL renderer): the real game is played from the menu into the world, and one
// still scene is drawn twice, once with the sun's shadow cascades or the storm's rain and once
// without, and the frames read back are compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/GameStartup.h"
#include "core/EngineCore.h"
#include "display/FrameMeasures.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Level.h"
#include "graphics/Graphics.h"
#include "graphics/ParticleCulling.h"
#include "graphics/photon/RainSystem.h"
#include "platform/os/Clock.h"
#include "platform/os/Random.h"
#include "platform/sdl/SdlSession.h"
#include "runtime/GameStateManager.h"
#include "runtime/Registration.h"
#include "support/TempTree.h"
#include "display/GameInWindow.h"
#include "display/StillRedraw.h"
#include "tests/app/Newcomer.h"
#include "support/PlaceObject.h"
#include "graphics/components/Camera.h"
#include "display/RenderArea.h"
#include "tests/display/SdlSessionProbe.h"

namespace {

using qvdisplay::Frame;

using displaytest::PressKey;
using displaytest::RedrawStill;
using displaytest::Showing;

// Pixels that differ between two frames of the same size by at least `by` in the sum of their
// channels, counted by whether the second frame is the darker or the brighter there.
// Rows [top, bottom) only; `added` sums what each channel gained where the frame brightened.
struct Change {
    size_t darker = 0, brighter = 0;
    double added[3] = {0.0, 0.0, 0.0};
    // How far each channel was below full brightness there before.
    double headroom[3] = {0.0, 0.0, 0.0};
};
Change Compare(const Frame& before, const Frame& after, int by, int top, int bottom) {
    Change change;
    if (before.width != after.width || before.height != after.height || before.rgba.size() != after.rgba.size())
        return change;
    for (int y = std::max(top, 0); y < std::min(bottom, before.height); ++y)
        for (int x = 0; x < before.width; ++x) {
            const size_t i = (static_cast<size_t>(y) * before.width + x) * 4;
            const int a = before.rgba[i] + before.rgba[i + 1] + before.rgba[i + 2];
            const int b = after.rgba[i] + after.rgba[i + 1] + after.rgba[i + 2];
            if (b <= a - by) ++change.darker;
            if (b < a + by) continue;
            ++change.brighter;
            for (int c = 0; c < 3; ++c) {
                change.added[c] += after.rgba[i + c] - before.rgba[i + c];
                change.headroom[c] += 255 - before.rgba[i + c];
            }
        }
    return change;
}

class WeatherDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() { QV::SupplyWholeGame(SD::StartupRegistrations()); }
    void SetUp() override {
        // Start-up seeds the game's generator from the run-time one, which earlier runs in this
        // process have moved on; each check starts it afresh, as a new process would.
        platform::crt_srand(1);
        for (const char* folder : {"Assets", "Graphics"})
            std::filesystem::copy(qvtest::SourceDir() + "/" + folder, tree_.Path(folder),
                                  std::filesystem::copy_options::recursive);
        // Ten frames a second of game time take the world's intro in few frames; the window is
        // large enough for thin streaks and soft shadows to cover many pixels.
        std::string config = tree_.Read("Assets/Config/config.ini");
        for (const auto& [key, value] :
             {std::pair<std::string, std::string>{"Width=", "480"}, {"Height=", "300"}, {"fps=", "10"}}) {
            const size_t at = config.find("\n" + key);
            ASSERT_NE(at, std::string::npos) << key;
            const size_t begin = at + 1 + key.size();
            config.replace(begin, config.find('\n', begin) - begin, value);
        }
        tree_.Write("Assets/Config/config.ini", config);
        std::string error;
        if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
        session_ = platform::sdl::SdlSession::Open(&error);
        ASSERT_TRUE(session_) << error;
        SdlSessionProbe::KeepFrames(*session_, true);
        clock_.SetStepPerRead(0.0002);
        platform::SetClock(&clock_);
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        session_.reset();
    }

    // Plays from the splash through the menu into the world and calls `inWorld` with the count
    // of the world's frames after each one until it returns true.
    SD::RunSummary PlayIntoTheWorld(const std::function<bool(unsigned long)>& inWorld) {
        unsigned long splashFrames = 0, menuFrames = 0, worldFrames = 0;
        SD::RunOptions options;
        options.maxFrames = 6000;
        options.afterFrame = [&](unsigned long) {
            bool entered = false;
            const std::string showing = Showing(&entered);
            if (showing == "SplashLevel" && ++splashFrames % 20 == 5) PressKey(SDL_SCANCODE_SPACE, true);
            if (showing == "SplashLevel" && splashFrames % 20 == 10) PressKey(SDL_SCANCODE_SPACE, false);
            if (showing == "MainMenu" && entered) {
                if (++menuFrames == 120) PressKey(SDL_SCANCODE_RETURN, true);
                if (menuFrames == 123) PressKey(SDL_SCANCODE_RETURN, false);
            }
            if (showing == "World" && entered && inWorld(++worldFrames)) SD::Core::GetInstance()->Quit();
        };
        return SD::RunProgram(options);
    }

    qvtest::TempTree tree_;
    platform::ManualClock clock_;
    std::unique_ptr<platform::sdl::SdlSession> session_;
};

// The share of the box's pixels that are darker in the second frame by at least `by` in the
// sum of their channels.
double ShareDarker(const Frame& before, const Frame& after, const qvdisplay::Box& box, int by) {
    int darker = 0, all = 0;
    for (int y = std::max(box.top, 0); y < std::min(box.bottom, before.height); ++y)
        for (int x = std::max(box.left, 0); x < std::min(box.right, before.width); ++x, ++all) {
            const size_t i = (static_cast<size_t>(y) * before.width + x) * 4;
            if (after.rgba[i] + after.rgba[i + 1] + after.rgba[i + 2] <=
                before.rgba[i] + before.rgba[i + 1] + before.rgba[i + 2] - by)
                ++darker;
        }
    return all ? double(darker) / all : 0.0;
}

// The sample level moves its scenery along the way; what stands near the start changes with it.
// So the check sets its own caster: a tower 16 units wide and 24 tall on the floor, between the
// sun and a point of the floor 30 units ahead of the camera, so that its shadow falls there
// whatever the sun's side. The frames are drawn with and without the shadow maps.
TEST_F(WeatherDisplay, TheSunsShadowsDarkenTheWorldWhereTheyFall) {
    Frame lit, shadowed;
    qvdisplay::Box area, spot;
    bool sunFound = false, spotShown = false;
    SD::GameObject* box = nullptr;
    const SD::RunSummary summary = PlayIntoTheWorld([&](unsigned long frame) {
        if (frame < 30) return false;
        Aperture::Graphics_* graphics = Aperture::Graphics_::GetInstance();
        const Aperture::Camera* camera = graphics->GetActiveCamera();
        SD::GameObject* sunRig = SD::Factory_::GetGameObjectByName(Aperture::Graphics_::kShadowCasterName);
        sunFound = SD::Factory_::GetGameObjectByName("Sun") != nullptr && sunRig != nullptr;
        if (!camera || !sunFound) return true;
        // The shadow maps' rig stands on the sun and looks along its light.
        const SD::Vec3 light = sunRig->GetTransform().GetOrient().GetColumn(2).GetNormalized();
        if (light.y >= -0.05f) return true;
        SD::Vec3 ahead(camera->GetViewDir().x, 0.0f, camera->GetViewDir().z);
        ahead.NormalizeThis();
        SD::Vec3 ground = camera->GetEye() + ahead * 30.0f;
        ground.y = 0.0f;
        // Made in one frame, the box is drawn from the next on; it is held in its place until then.
        if (!box) {
            box = SD::Factory_::GetInstance()->CreateObject("ObjectTemplates/Box", nullptr);
            if (!box) return true;
            box->Initialize(false);
        }
        box->GetTransform().SetScale(SD::Vec3(16.0f, 24.0f, 16.0f));
        // The light reaching the floor there passes through the tower at two thirds of its
        // height: under a low sun the shadow maps' depth bias leaves the floor lit where the light
        // passed through a caster's lowest few units, near its foot.
        SD::Vec3 place = ground - light * (16.0f / -light.y);
        place.y = 12.0f;
        qvtest::PlaceAt(box, place);
        if (frame < 33) return false;
        graphics->SetRenderShadows(false);
        lit = RedrawStill(*session_);
        graphics->SetRenderShadows(true);
        shadowed = RedrawStill(*session_);
        area = displaytest::RenderArea(lit);
        const qvtest::OnScreen at = qvtest::ProjectOnScreen(*camera, ground);
        spotShown = at.Shown();
        const int x = area.left + int((at.x + 1.0f) * 0.5f * area.Width());
        const int y = area.top + int((1.0f - at.y) * 0.5f * area.Height());
        spot = {x - 3, y - 3, x + 4, y + 4};
        return true;
    });
    qvdisplay::KeepFrames({{"sun-lit", &lit}, {"sun-shadowed", &shadowed}});
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(sunFound) << "the world has no sun";
    ASSERT_FALSE(lit.rgba.empty()) << "the world was never reached";
    ASSERT_TRUE(spotShown) << "the floor 30 units ahead is out of the picture";
    // Where the sun says the tower's shadow falls, the floor is darker.
    EXPECT_GE(ShareDarker(lit, shadowed, spot, 24), 0.8) << "no shadow where the sun throws it";
    // The camera looks over the floor towards the horizon at mid-height: the sky above it has
    // nothing nearer to the sun to shade it; below it, the tower's shadow (a strip 16 units wide
    // and, under the low sun, over a hundred long) covers more than half of the floor below the
    // horizon (57% measured at 480 x 300), and shadows never brighten.
    const int h = area.bottom;
    const Change sky = Compare(lit, shadowed, 24, area.top, area.top + area.Height() * 2 / 5);
    const Change floor = Compare(lit, shadowed, 24, area.top + area.Height() * 3 / 5, h);
    const size_t floorPixels = static_cast<size_t>(lit.width) * (h - (area.top + area.Height() * 3 / 5));
    EXPECT_GE(floor.darker, floorPixels / 3) << "the shadows darken too little of the floor";
    EXPECT_LE(floor.brighter, floor.darker / 50) << "shadows brighten the floor";
    EXPECT_LE(sky.darker + sky.brighter, floorPixels / 100) << "shadows change the sky";
}

TEST_F(WeatherDisplay, TheStormsRainStreaksTheFrame) {
    Frame dry, wet, dryAgain;
    bool stormFound = false;
    const SD::RunSummary summary = PlayIntoTheWorld([&](unsigned long frame) {
        SD::GameObject* storm = SD::Factory_::GetGameObjectByName("RainStorm");
        auto* rain =
            storm ? static_cast<Aperture::Photon::RainSystem*>(storm->GetComponent(SD::CID_RainSystem)) : nullptr;
        stormFound = rain != nullptr;
        if (!rain) return true;
        // The storm's logic switches its rain on once the sky has darkened; here at once.
        if (frame == 20) rain->SetActive(true);
        if (frame < 40) return false;
        dry = RedrawStill(*session_);
        wet = RedrawStill(*session_, rain);
        dryAgain = RedrawStill(*session_);
        return true;
    });
    qvdisplay::KeepFrames({{"rain-dry", &dry}, {"rain-wet", &wet}});
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(stormFound) << "the player carries no rain storm";
    const Change change = Compare(dry, wet, 30, 0, dry.height);
    const Change still = Compare(dry, dryAgain, 30, 0, dry.height);
    const size_t pixels = dry.rgba.size() / 4;
    // Drawn again without the rain, the still scene is the same frame: what changes is the rain.
    EXPECT_LE(still.brighter + still.darker, pixels / 1000) << "the scene does not stand still";
    // Thin streaks here and there over the sky and the floor, seen from the vehicle at its start:
    // light added, nothing darkened.
    EXPECT_GE(change.brighter, pixels / 100) << "too few streaks";
    EXPECT_LE(change.darker, change.brighter / 20) << "rain darkens the frame";
    // The streaks are white to blue-grey, not a colour of their own: where they fall, every
    // channel fills at least a third as much of the room it had below full brightness as the
    // channel that fills most (over the red of the sky the red has little room left); a channel
    // with less than one level of room a pixel is not judged.
    double filled[3] = {0.0, 0.0, 0.0};
    for (int c = 0; c < 3; ++c) filled[c] = change.headroom[c] > 0.0 ? change.added[c] / change.headroom[c] : 0.0;
    const double most = std::max({filled[0], filled[1], filled[2]});
    for (int c = 0; c < 3; ++c) {
        if (change.headroom[c] >= change.brighter) {
            EXPECT_GE(filled[c], most / 3) << "channel " << c << " of the streaks";
        }
    }
}

}  // namespace
