// The game played in a real window as a person plays it (run by tools/window-check.sh under a
// virtual X server with the software OpenGL renderer): keys through the window system from the
// splash through the menu and the intro into the world, then half a minute of flight at the real
// clock, steering for the gatherings the frame shows. The camera shows the horizon throughout
// (never only ground or only sky for more than a second) and the first gathering comes on screen.
// A second check takes the story through its seasons to the ending, for the screenshots a
// reviewer looks at; QV_FRAMES=<folder> keeps them, named by what they show.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <iomanip>
#include <set>
#include <sstream>
#include <string>

#include "core/EngineCore.h"
#include "display/FrameMeasures.h"
#include "display/GameInWindow.h"
#include "engine/Factory.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/Graphics.h"
#include "graphics/components/Camera.h"
#include "graphics/components/Sprite.h"
#include "platform/os/Clock.h"
#include "support/PlaceObject.h"
#include "support/StepScript.h"
#include "tests/app/Newcomer.h"
#include "tests/display/SdlSessionProbe.h"

namespace {

using displaytest::PressKey;
using displaytest::Showing;
using qvdisplay::Frame;

double Seconds() { return double(platform::QueryCounter()) / double(platform::CounterFrequency()); }

std::function<bool()> Wait(int frames) {
    auto left = std::make_shared<int>(frames);
    return [left] { return --*left <= 0; };
}

bool Flying() {
    SD::GameObject* vehicle = SD::Factory_::GetGameObjectByName("Player");
    auto* logic = vehicle ? static_cast<QV::PlayerLogic*>(vehicle->GetComponent(SD::CID_Player)) : nullptr;
    bool entered = false;
    return Showing(&entered) == "World" && entered && logic && logic->GetControlsEnabled();
}

// What the camera's picture holds of the world's ground plane: its horizon on screen, or only
// ground (the horizon above the picture, or the eye under the ground), or only sky (the horizon
// below it). The horizon is where the eye's own height meets the picture far ahead.
enum class View { kHorizon, kOnlyGround, kOnlySky };
View CameraView(const Aperture::Camera& camera) {
    const SD::Vec3 eye = camera.GetEye();
    if (eye.y < 0.0f) return View::kOnlyGround;
    SD::Vec3 flat(camera.GetViewDir().x, 0.0f, camera.GetViewDir().z);
    if (flat.LengthSq() < 1e-6f) return camera.GetViewDir().y < 0.0f ? View::kOnlyGround : View::kOnlySky;
    const qvtest::OnScreen horizon = qvtest::ProjectOnScreen(camera, eye + flat.GetNormalized() * 10000.0f);
    if (horizon.y > 1.0f) return View::kOnlyGround;
    if (horizon.y < -1.0f) return View::kOnlySky;
    return View::kHorizon;
}

// The keys a person holds, pressed and let go through the window system as they change.
struct WindowKeys {
    std::set<SDL_Scancode> down;
    void Hold(const qvtest::HeldControls& held) {
        std::set<SDL_Scancode> now;
        if (held.throttle) now.insert(SDL_SCANCODE_SPACE);
        if (held.turn < 0) now.insert(SDL_SCANCODE_A);
        if (held.turn > 0) now.insert(SDL_SCANCODE_D);
        if (held.climb > 0) now.insert(SDL_SCANCODE_S);
        if (held.climb < 0) now.insert(SDL_SCANCODE_W);
        for (SDL_Scancode key : down)
            if (!now.count(key)) PressKey(key, false);
        for (SDL_Scancode key : now)
            if (!down.count(key)) PressKey(key, true);
        down = now;
    }
};

// The steps from the start into the world with a player's keys: the splash's logos and controls
// screen skipped, a look at the menu, "Play", the intro watched to its end.
std::vector<qvtest::StepScript::Step> IntoTheWorld() {
    auto frames = std::make_shared<int>(0);
    return {{"the splash passed",
             [frames] {
                 bool entered = false;
                 const std::string showing = Showing(&entered);
                 if (showing == "SplashLevel" && ++*frames % 20 == 5) PressKey(SDL_SCANCODE_SPACE, true);
                 if (showing == "SplashLevel" && *frames % 20 == 10) PressKey(SDL_SCANCODE_SPACE, false);
                 return showing == "MainMenu" && entered;
             }},
            {"a look at the menu", Wait(40)},
            {"play pressed", displaytest::Tap(SDL_SCANCODE_RETURN)},
            {"the intro watched", [] { return Flying(); }}};
}

class PlayingDisplay : public displaytest::GameInWindow {
protected:
    Frame Shown() const {
        return {SdlSessionProbe::LastFrameWidth(*session_), SdlSessionProbe::LastFrameHeight(*session_),
                SdlSessionProbe::LastFrame(*session_)};
    }
    void Keep(const std::string& name) const {
        const Frame shown = Shown();
        qvdisplay::KeepFrames({{name.c_str(), &shown}});
    }
};

TEST_F(PlayingDisplay, HalfAMinuteOfFlightAtTheRealClockKeepsTheHorizonInViewAndFindsTheFirstGathering) {
    // The real clock: frames take as long as the software renderer needs.
    platform::SetClock(nullptr);
    qvtest::StepScript script;
    script.limit = 20000;
    script.steps = IntoTheWorld();
    qvtest::Newcomer person;
    WindowKeys keys;
    double flightStart = -1.0, last = 0.0, oneSidedSince = -1.0, longestOneSided = 0.0;
    std::string longestWhat;
    bool gatheringSeen = false;
    int kept = 0;
    script.steps.push_back({"half a minute of flight", [&] {
                                const double now = Seconds();
                                if (flightStart < 0.0) {
                                    flightStart = last = now;
                                    Keep("start-view");
                                }
                                keys.Hold(person.Look(static_cast<float>(now - last)));
                                last = now;
                                const Aperture::Camera* camera = Aperture::Graphics_::GetInstance()->GetActiveCamera();
                                SD::GameObject* vehicle = SD::Factory_::GetGameObjectByName("Player");
                                if (!camera || !vehicle) return false;
                                const View view = CameraView(*camera);
                                if (view == View::kHorizon) {
                                    oneSidedSince = -1.0;
                                } else {
                                    if (oneSidedSince < 0.0) oneSidedSince = now;
                                    if (now - oneSidedSince > longestOneSided) {
                                        longestOneSided = now - oneSidedSince;
                                        longestWhat = view == View::kOnlySky ? "only sky" : "only ground";
                                    }
                                }
                                gatheringSeen = gatheringSeen || qvtest::NearestGatheringInSight(
                                                                     *camera, vehicle->GetTransform().GetPos()) ==
                                                                     std::optional<std::string>("Gathering_0");
                                if (now - flightStart >= 5.0 * (kept + 1)) {
                                    std::ostringstream name;
                                    name << "flight-" << std::setw(2) << std::setfill('0') << 5 * ++kept << "s";
                                    Keep(name.str());
                                }
                                return now - flightStart >= 30.0;
                            }});
    SD::RunOptions options;
    options.afterFrame = [&](unsigned long) {
        script.Advance();
        if (script.Finished() || !script.stuck.empty()) SD::Core::GetInstance()->Quit();
    };
    const SD::RunSummary summary = SD::RunProgram(options);
    keys.Hold(qvtest::HeldControls());
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(script.Finished()) << "stuck at: " << script.Where();
    EXPECT_LE(longestOneSided, 1.0) << "the camera showed " << longestWhat << " for " << longestOneSided << " s";
    EXPECT_TRUE(gatheringSeen) << "the first gathering never came on screen";
}

bool FinalPoemShown() {
    for (Aperture::UISprite* sprite : Aperture::Graphics_::GetInstance()->GetSceneLists().UISprites())
        if (sprite->GetTexture() == "FinalPoem" && sprite->GetOpacity() > 0.5f) return true;
    return false;
}

// The story flown through quickly: the vehicle is set down in each gathering as soon as its
// fireflies are out, and each season's first look at the way on is kept, then the ending.
TEST_F(PlayingDisplay, EachSeasonAndTheEndingReachTheScreen) {
    qvtest::StepScript script;
    script.limit = 4000;
    script.steps = IntoTheWorld();
    const auto stage = [] { return QV::SowlarSystem_::GetInstance().GetStage(); };
    // The season each stage opens, kept once its look has come in.
    const std::pair<int, const char*> seasons[] = {
        {0, "season-spring"}, {3, "season-summer"}, {8, "season-fall"}, {9, "season-winter"}};
    for (const auto& [first, name] : seasons) {
        const int at = first;
        const std::string kept = name;
        script.steps.push_back({"the story at stage " + std::to_string(at), [stage, at] { return stage() >= at; }});
        script.steps.push_back({"its look settled", Wait(240)});
        script.steps.push_back({kept, [this, kept] {
                                    Keep(kept);
                                    return true;
                                }});
    }
    script.steps.push_back({"the final poem", [] { return FinalPoemShown(); }});
    script.steps.push_back({"the ending", [this] {
                                Keep("ending");
                                return true;
                            }});
    SD::RunOptions options;
    options.afterFrame = [&](unsigned long) {
        // Each gathering whose fireflies are out is reached at once.
        if (Flying())
            for (int i = 0; i <= 8; ++i) {
                SD::GameObject* gathering =
                    SD::Factory_::GetGameObjectByName(("Gathering_" + std::to_string(i)).c_str());
                SD::GameObject* vehicle = SD::Factory_::GetGameObjectByName("Player");
                if (gathering && vehicle && i == stage() && qvtest::FirefliesOut(*gathering))
                    qvtest::PlaceAt(vehicle, gathering->GetTransform().GetPos());
            }
        script.Advance();
        if (script.Finished() || !script.stuck.empty()) SD::Core::GetInstance()->Quit();
    };
    const SD::RunSummary summary = SD::RunProgram(options);
    ASSERT_TRUE(summary.clean) << summary.error;
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Where() << ", stage " << stage();
}

}  // namespace
