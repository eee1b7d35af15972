// The game played in a real window on a display (run by tools/window-check.sh under a virtual
// X server with the software OpenGL renderer): the OpenGL device draws the menu and the world,
// the frames are read back from the window, and what they show is checked against the sample
// data: the menu's logo where its HUD file puts it, the world's sky and floor where the camera
// sees them, an island's grass under the vehicle and a firefly in front of the camera. The same
// scene drawn twice, a lost device, a lost GL context and a resized window are checked too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/GameStartup.h"
#include "core/EngineCore.h"
#include "display/FrameMeasures.h"
#include "display/GameInWindow.h"
#include "display/RenderArea.h"
#include "display/StillRedraw.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "game/editor/LevelEditor.h"
#include "engine/Transform.h"
#include "game/fireflies/FireflyManager.h"
#include "game/hud/HudCollector.h"
#include "game/hud/HudSystem.h"
#include "game/systems/SowlarSystem.h"
#include "engine/Level.h"
#include "graphics/Graphics.h"
#include "graphics/ParticleCulling.h"
#include "graphics/components/Camera.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/Sprite.h"
#include "platform/os/Clock.h"
#include "platform/os/Random.h"
#include "platform/sdl/SdlSession.h"
#include "runtime/GameStateManager.h"
#include "runtime/Registration.h"
#include "support/StepScript.h"
#include "support/PlaceObject.h"
#include "support/TempTree.h"
#include "tests/platform/GfxDeviceProbe.h"
#include "tests/display/SdlSessionProbe.h"

namespace {

using DeviceProbe = platform::TestProbe<platform::gfx::Device>;

using qvdisplay::Box;
using qvdisplay::Colour;
using qvdisplay::Frame;

// The menu's logo: the HUD file places it, its blueprint sizes it in reference pixels.
constexpr const char* kLogoBlueprint = "Hud/MenuLogo";
constexpr const char* kMenuHud = "Assets/HudFiles/MainMenu.hud";
// What the world's camera sees: the spring sky above, the ground below: the floor's meadow, or
// the hill once the vehicle has flown up to it (each its texture tinted by its material).
constexpr const char* kSkyTexture = "Assets/Textures/Sky/spring_skysphere.png";
constexpr std::pair<const char*, const char*> kGrounds[] = {
    {"Assets/Textures/meadow.png", "Assets/Materials/meadow.mat"},
    {"Assets/Textures/hill_turf.png", "Assets/Materials/SampleHill.mat"}};

using displaytest::RedrawStill;
using displaytest::RenderArea;
using displaytest::Showing;

Aperture::DX9Abstract& DeviceLayer() { return Aperture::Graphics_::GetInstance()->GetDeviceLayer(); }

// The position a HUD file gives an entry (screen fractions from the top-left corner).
bool HudEntryPosition(const std::string& path, const std::string& blueprint, float* x, float* y) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string name;
        float z = 0.0f;
        if (words >> name && name == blueprint && words >> *x >> *y >> z) return true;
    }
    return false;
}

const Aperture::UISprite* SpriteOf(const std::string& blueprint) {
    for (const Aperture::UISprite* sprite : Aperture::Graphics_::GetInstance()->GetSceneLists().UISprites())
        if (sprite->GetOwner() && sprite->GetOwner()->GetBlueprintName() == blueprint) return sprite;
    return nullptr;
}

// The logo's rectangle in the window: sizes are fractions of the reference screen's width
// (1920 x 1200 keeps its proportions on any render width), the anchor picks the quad's point
// that sits on the position.
Box ExpectedLogoBox(const Box& area, float x, float y, const Aperture::UISprite& sprite) {
    const SD::Transform& transform = sprite.GetOwner()->GetTransform();
    const double w = area.Width(), h = area.Height();
    const double pw = w * transform.GetScaleX();
    const double ph =
        w * transform.GetScaleY() * (Aperture::UISprite::kReferenceHeight / Aperture::UISprite::kReferenceWidth);
    const double centreX = area.left + w * x + (sprite.GetAnchor().x - 0.5) * pw;
    const double centreY = area.top + h * y - (sprite.GetAnchor().y - 0.5) * ph;
    return {int(std::lround(centreX - pw / 2)), int(std::lround(centreY - ph / 2)), int(std::lround(centreX + pw / 2)),
            int(std::lround(centreY + ph / 2))};
}

// The colour a material file tints its surface ("float4 tint r g b a"); black without one.
Colour MaterialTint(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    Colour tint;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind, name;
        if (words >> kind >> name && kind == "float4" && name == "tint") words >> tint.r >> tint.g >> tint.b;
    }
    return tint;
}

Box Inset(const Box& b, int by) { return {b.left + by, b.top + by, b.right - by, b.bottom - by}; }

// Rows of the render area between two fractions of its height, all columns.
Box Band(const Box& area, double from, double to) {
    return {area.left, area.top + int(area.Height() * from), area.right, area.top + int(area.Height() * to)};
}

class WindowDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() { QV::SupplyWholeGame(SD::StartupRegistrations()); }
    void SetUp() override {
        for (const char* folder : {"Assets", "Graphics"})
            std::filesystem::copy(qvtest::SourceDir() + "/" + folder, tree_.Path(folder),
                                  std::filesystem::copy_options::recursive);
        // A small window keeps the software renderer quick.
        std::string config = tree_.Read("Assets/Config/config.ini");
        for (const auto& [key, value] : {std::pair<std::string, std::string>{"Width=", "320"}, {"Height=", "200"}}) {
            const size_t at = config.find("\n" + key);
            ASSERT_NE(at, std::string::npos) << key;
            const size_t begin = at + 1 + key.size();
            config.replace(begin, config.find('\n', begin) - begin, value);
        }
        tree_.Write("Assets/Config/config.ini", config);
        std::string error;
        sky_ = qvdisplay::TextureMean(tree_.Path(kSkyTexture), &error);
        ASSERT_EQ(error, "") << kSkyTexture;
        for (const auto& [texture, material] : kGrounds) {
            const Colour mean = qvdisplay::TextureMean(tree_.Path(texture), &error);
            ASSERT_EQ(error, "") << texture;
            const Colour tint = MaterialTint(tree_.Read(material));
            ASSERT_GT(tint.r + tint.g + tint.b, 0.0) << material << " names no tint";
            grounds_.push_back({mean.r * tint.r, mean.g * tint.g, mean.b * tint.b});
        }
        // The machines that run this have no sound card; the card stands in through SDL.
        if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
        session_ = platform::sdl::SdlSession::Open(&error);
        ASSERT_TRUE(session_) << error;
        SdlSessionProbe::KeepFrames(*session_, true);
        // The software renderer is slow; a clock that the frame limiter's waits move on keeps
        // every frame a 62nd of a second of game time, whatever the drawing costs.
        clock_.SetStepPerRead(0.0002);
        platform::SetClock(&clock_);
        // Start-up seeds the game's generator from the run-time one, which earlier runs in this
        // process have moved on; each check starts it afresh, as a new process would.
        platform::crt_srand(1);
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        session_.reset();
    }

    Frame Shown() const {
        return {SdlSessionProbe::LastFrameWidth(*session_), SdlSessionProbe::LastFrameHeight(*session_),
                SdlSessionProbe::LastFrame(*session_)};
    }

    // The world as the camera sees it: many colours, the sky's hue in the upper part of the render
    // area, the hue of the ground under it in the lower part (lighting, fog and glows change
    // their brightness, not what colour they are).
    void ExpectWorld(const Frame& frame, const Box& area, const std::string& when) const {
        SCOPED_TRACE(when);
        EXPECT_GE(qvdisplay::DistinctColours(frame), 24u) << "the world's frame is nearly blank";
        const Colour sky = qvdisplay::MeanColour(frame, Band(area, 0.02, 0.15));
        const Colour floor = qvdisplay::MeanColour(frame, Band(area, 0.85, 0.98));
        // Once the season's look has settled over the intro, the spring's pale fog tints the far
        // sky a little towards white.
        EXPECT_LE(qvdisplay::ChannelDistance(qvdisplay::Chromaticity(sky), qvdisplay::Chromaticity(sky_)), 0.075)
            << "upper part " << qvdisplay::Describe(sky) << ", sky texture " << qvdisplay::Describe(sky_);
        double nearest = 1.0;
        for (const Colour& ground : grounds_)
            nearest = std::min(
                nearest, qvdisplay::ChannelDistance(qvdisplay::Chromaticity(floor), qvdisplay::Chromaticity(ground)));
        EXPECT_LE(nearest, 0.06) << "lower part " << qvdisplay::Describe(floor) << ", the floor's "
                                 << qvdisplay::Describe(grounds_[0]) << ", the hill's "
                                 << qvdisplay::Describe(grounds_[1]);
    }

    qvtest::TempTree tree_;
    platform::ManualClock clock_;
    Colour sky_;
    std::vector<Colour> grounds_;
    std::unique_ptr<platform::sdl::SdlSession> session_;
};

// A key pressed on the real keyboard, as the window system delivers it.
void PressKey(SDL_Scancode key, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = key;
    SDL_PushEvent(&e);
}

// The space key pressed now and then, as a player waiting to go on would.
void TapEvery(unsigned long frame) {
    if (frame % 20 == 5) PressKey(SDL_SCANCODE_SPACE, true);
    if (frame % 20 == 10) PressKey(SDL_SCANCODE_SPACE, false);
}

// A player's script; its steps wait at most 3000 frames each.
struct Script : qvtest::StepScript {
    Script() { limit = 3000; }
    void Frame() { Advance(); }
};

// A key held for some frames (two by default), then let go.
std::function<bool()> Tap(SDL_Scancode key, int held = 2) {
    auto frame = std::make_shared<int>(0);
    return [key, frame, held] {
        if (*frame == 0) PressKey(key, true);
        if (*frame == held) PressKey(key, false);
        return ++*frame > held + 2;
    };
}
std::function<bool()> Wait(int frames) {
    auto left = std::make_shared<int>(frames);
    return [left] { return --*left <= 0; };
}
std::function<bool()> Entered(const char* state) {
    return [state] {
        bool entered = false;
        return Showing(&entered) == state && entered;
    };
}
bool Exists(const char* name) { return SD::Factory_::GetGameObjectByName(name) != nullptr; }
int PlayState() { return SD::GameStateManager_::GetInstance()->GetPlayState(); }
// The steps from the start to the menu standing still: keys skip the splash's logos and leave
// its controls screen.
std::vector<Script::Step> ToTheMenu() {
    auto frames = std::make_shared<unsigned long>(0);
    return {{"the splash passed",
             [frames] {
                 bool entered = false;
                 if (Showing(&entered) == "SplashLevel") TapEvery(++*frames);
                 return Showing(&entered) == "MainMenu" && entered;
             }},
            {"the menu still", Wait(100)}};
}

// The share of the box's pixels much brighter than the box's median: words written in a light
// colour on a darker ground, however small the letters are drawn.
double WordShare(const Frame& frame, const Box& box) {
    std::vector<int> light;
    for (int y = std::max(box.top, 0); y < std::min(box.bottom, frame.height); ++y)
        for (int x = std::max(box.left, 0); x < std::min(box.right, frame.width); ++x) {
            const uint8_t* p = &frame.rgba[(static_cast<size_t>(y) * frame.width + x) * 4];
            light.push_back(p[0] + p[1] + p[2]);
        }
    if (light.empty()) return 0.0;
    std::vector<int> sorted = light;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const int median = sorted[sorted.size() / 2];
    const auto words = std::count_if(light.begin(), light.end(), [median](int v) { return v >= median + 150; });
    return double(words) / double(light.size());
}
double Brightness(const Colour& c) { return (c.r + c.g + c.b) / 3.0; }

// Where a HUD entry's sprite lies in the frame, from its HUD file's position and its size.
bool EntryBox(const std::string& hudFile, const std::string& blueprint, const Box& area, Box* box) {
    float x = 0.0f, y = 0.0f;
    const Aperture::UISprite* sprite = SpriteOf(blueprint);
    if (!sprite || !HudEntryPosition(hudFile, blueprint, &x, &y)) return false;
    *box = ExpectedLogoBox(area, x, y, *sprite);
    return true;
}

TEST_F(WindowDisplay, MenuAndWorldReachTheScreenAndSurviveALostDeviceALostContextAndAResize) {
    // Ten frames a second of game time take the world's 36-second intro in few frames.
    std::string config = tree_.Read("Assets/Config/config.ini");
    const size_t fps = config.find("\nfps=");
    ASSERT_NE(fps, std::string::npos);
    config.replace(fps + 5, config.find('\n', fps + 1) - fps - 5, "10");
    tree_.Write("Assets/Config/config.ini", config);
    unsigned long menuFrames = 0, introFrames = 0, worldFrames = 0;
    Frame menu, intro, world, still[2], afterLoss, afterContextLoss, afterResize;
    std::vector<uint8_t> menuBackBuffer;
    Box menuArea, introArea, worldArea, resizedArea;
    int backBufferWidth = 0, backBufferHeight = 0;
    uint32_t resetsBefore = 0, resetsAfterLoss = 0;
    bool logoFound = false, logoPlaced = false;
    float logoX = 0.0f, logoY = 0.0f;
    Box logo;
    std::string logoTexture;
    SD::RunOptions options;
    options.maxFrames = 6000;
    unsigned long splashFrames = 0;
    options.afterFrame = [&](unsigned long) {
        bool entered = false;
        const std::string showing = Showing(&entered);
        // A key skips the splash's logos, another leaves its controls screen.
        if (showing == "SplashLevel") TapEvery(++splashFrames);
        if (showing == "MainMenu" && entered) {
            ++menuFrames;
            // The menu stands still once it has faded in.
            if (menuFrames == 120) {
                menu = Shown();
                menuBackBuffer = SdlSessionProbe::LastPresented(*session_);
                menuArea = RenderArea(menu);
                backBufferWidth = int(DeviceLayer().GetBackBufferWidth());
                backBufferHeight = int(DeviceLayer().GetBackBufferHeight());
                logoPlaced = HudEntryPosition(tree_.Path(kMenuHud), kLogoBlueprint, &logoX, &logoY);
                if (const Aperture::UISprite* sprite = SpriteOf(kLogoBlueprint)) {
                    logoFound = true;
                    logo = ExpectedLogoBox(menuArea, logoX, logoY, *sprite);
                    logoTexture = sprite->GetTexture();
                }
            }
            // Play is chosen with the return key once the menu takes input.
            if (menuFrames == 150) PressKey(SDL_SCANCODE_RETURN, true);
            if (menuFrames == 153) PressKey(SDL_SCANCODE_RETURN, false);
        }
        // The world comes in behind its intro, whose first slides are black; it is looked at once
        // the intro is over and the camera is still where the player starts.
        if (showing != "World") return;
        if (!entered) {
            if (++introFrames == 5) {
                intro = Shown();
                introArea = RenderArea(intro);
            }
            return;
        }
        ++worldFrames;
        if (worldFrames == 30) {
            world = Shown();
            worldArea = RenderArea(world);
            still[0] = RedrawStill(*session_);
            still[1] = RedrawStill(*session_);
            resetsBefore = DeviceProbe::ResetCount(*DeviceLayer().GetDevice());
            DeviceLayer().GetDevice()->LoseDevice();
        }
        if (worldFrames == 40) {
            afterLoss = Shown();
            resetsAfterLoss = DeviceProbe::ResetCount(*DeviceLayer().GetDevice());
            SdlSessionProbe::LoseContext(*session_);
        }
        if (worldFrames == 45) {
            afterContextLoss = Shown();
            SdlSessionProbe::ResizeWindow(*session_, backBufferWidth / 2 + 17, backBufferHeight / 2 + 9);
        }
        if (worldFrames == 60) {
            afterResize = Shown();
            resizedArea = RenderArea(afterResize);
            SD::Core::GetInstance()->Quit();
        }
    };
    const SD::RunSummary summary = SD::RunProgram(options);
    qvdisplay::KeepFrames({{"menu", &menu},
                           {"world", &world},
                           {"still", &still[1]},
                           {"lost-device", &afterLoss},
                           {"lost-context", &afterContextLoss},
                           {"resized", &afterResize}});
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_GE(menuFrames, 120u) << "the menu was never reached";

    // The window is as large as the device's back buffer: the screen shows it pixel for pixel.
    EXPECT_EQ(menu.width, backBufferWidth);
    EXPECT_EQ(menu.height, backBufferHeight);
    EXPECT_TRUE(menu.rgba == menuBackBuffer) << "the window does not show the device's back buffer";
    // Above the logo and the buttons the menu shows its sky.
    EXPECT_GE(qvdisplay::DistinctColours(menu), 3u) << "the menu's frame is blank";
    EXPECT_GE(qvdisplay::ShareLike(menu, Band(menuArea, 0.01, 0.06), sky_, 0.06), 0.8)
        << "the menu's top " << qvdisplay::Describe(qvdisplay::MeanColour(menu, Band(menuArea, 0.01, 0.06)));

    // The logo covers the rectangle its HUD entry and size give it, in its texture's colour,
    // and the picture around it is something else.
    ASSERT_TRUE(logoPlaced) << kMenuHud << " places no " << kLogoBlueprint;
    ASSERT_TRUE(logoFound) << "no sprite of " << kLogoBlueprint << " on the menu";
    std::string error;
    const Colour logoColour = qvdisplay::TextureMean(tree_.Path("Assets/Textures/Hud/" + logoTexture + ".png"), &error);
    ASSERT_EQ(error, "") << logoTexture;
    ASSERT_GE(logo.Width(), 8);
    ASSERT_GE(logo.Height(), 4);
    const Colour inside = qvdisplay::MeanColour(menu, Inset(logo, 2));
    const Colour around = qvdisplay::MeanAround(menu, logo, 2, 4);
    EXPECT_LE(qvdisplay::ChannelDistance(inside, logoColour), 12.0)
        << "inside the logo's rectangle " << qvdisplay::Describe(inside) << ", its texture "
        << qvdisplay::Describe(logoColour);
    EXPECT_GE(qvdisplay::ChannelDistance(around, logoColour), 40.0)
        << "around the logo's rectangle " << qvdisplay::Describe(around) << ", its texture "
        << qvdisplay::Describe(logoColour);

    ASSERT_GE(introFrames, 5u) << "the return key did not lead into the world's intro";
    ASSERT_GE(worldFrames, 60u) << "the intro did not end in the world";
    const Colour slide = qvdisplay::MeanColour(intro, Inset(introArea, 2));
    EXPECT_LE(std::max({slide.r, slide.g, slide.b}), 12.0)
        << "the intro's first slides cover the world in black: " << qvdisplay::Describe(slide);
    ExpectWorld(world, worldArea, "the world's first frames");
    ASSERT_FALSE(still[0].rgba.empty());
    EXPECT_TRUE(still[0].rgba == still[1].rgba) << "the same scene drawn twice differs";
    ExpectWorld(still[1], worldArea, "the world drawn again standing still");

    // A lost device is reset, its resources made again, and the world is shown as before;
    // likewise after the GL context is lost and everything is made again from the device.
    EXPECT_GT(resetsAfterLoss, resetsBefore);
    ExpectWorld(afterLoss, worldArea, "after the device was lost");
    ExpectWorld(afterContextLoss, worldArea, "after the GL context was lost");

    // A smaller window shows the device's frame over the whole of it, the picture as before.
    EXPECT_EQ(afterResize.width, backBufferWidth / 2 + 17);
    EXPECT_EQ(afterResize.height, backBufferHeight / 2 + 9);
    ExpectWorld(afterResize, resizedArea, "after the window was resized");
}

// The share of thin bands along the box's left and right sides (three pixels out to a pixel in)
// that looks gold, as the frame around a focused entry does at any brightness of its pulse. The
// sides, not the top and bottom: the entries above and below stand only a few pixels away.
double GoldRing(const Frame& frame, const Box& box) {
    const Box strips[] = {{box.left - 3, box.top + 1, box.left + 1, box.bottom - 1},
                          {box.right - 1, box.top + 1, box.right + 3, box.bottom - 1}};
    double gold = 0.0, all = 0.0;
    for (const Box& strip : strips) {
        const double pixels = double(strip.Width()) * strip.Height();
        gold += qvdisplay::ShareLike(frame, strip, {240, 190, 60}, 0.05) * pixels;
        all += pixels;
    }
    return gold / all;
}

// The menus as a player meets them: every screen has words, each key press does its one thing
// (down and return on the credits entry open the credits and not the world), the credits roll
// within the render area and out of the bars, the focused entry shows its focus at every moment
// of its pulse, the quit prompt hides the menu under it, Left moves its focus to "Yes" and shows
// it there, its "No" stays and its "Yes" ends the game.
TEST_F(WindowDisplay, TheMenusShowTheirWordsAndEachPressDoesOneThing) {
    Frame controls, menu, credits, prompt, yesFocused;
    std::vector<Frame> pulse;
    Box area, play, yes, no;
    std::map<std::string, Box> entries;
    std::map<std::string, std::string> textures;
    bool worldSeen = false;
    const std::vector<std::string> kEntries = {"Hud/Button_Credits", "Hud/CheckBox_Fullscreen", "Hud/Slider_Volume",
                                               "Hud/Res_1280x800", "Hud/Button_Quit"};
    Script script;
    script.steps = {
        {"the controls screen shown",
         [&] {
             const Aperture::UISprite* screen = SpriteOf("Hud/XboxControlLogo");
             if (!screen || screen->GetOpacity() < 1.0f) return false;
             controls = Shown();
             return true;
         }},
    };
    // The first key skips the logos; the controls screen then waits for the next.
    script.steps.insert(script.steps.begin(), {"the logos skipped", Tap(SDL_SCANCODE_SPACE)});
    script.steps.insert(script.steps.begin(), {"the splash", Entered("SplashLevel")});
    script.steps.push_back({"the controls screen left", Tap(SDL_SCANCODE_SPACE)});
    script.steps.push_back({"the menu", Entered("MainMenu")});
    script.steps.push_back({"the menu still", Wait(100)});
    bool desktopOffered = false, resolutionSelectable = false;
    script.steps.push_back({"the menu seen", [&] {
                                menu = Shown();
                                area = RenderArea(menu);
                                SDL_DisplayMode desktop;
                                desktopOffered = SDL_GetDesktopDisplayMode(0, &desktop) == 0 &&
                                                 Aperture::Graphics_::Peek()->OffersResolution(desktop.w, desktop.h);
                                for (const SD::Component* item :
                                     QV::HudSystem::GetInstance()->FrontCollector()->Items())
                                    resolutionSelectable |= item->GetOwner()->GetBlueprintName() == "Hud/Res_1280x800";
                                for (const std::string& entry : kEntries) {
                                    Box box;
                                    if (!EntryBox(tree_.Path(kMenuHud), entry, area, &box)) return false;
                                    entries[entry] = box;
                                    textures[entry] = SpriteOf(entry)->GetTexture();
                                }
                                return EntryBox(tree_.Path(kMenuHud), "Hud/Button_Play", area, &play);
                            }});
    // A frame every fourth over a whole pulse and more (its way down and up takes 1.5 s).
    auto watched = std::make_shared<int>(0);
    script.steps.push_back({"the focus watched", [&, watched] {
                                if (++*watched % 4 == 0) pulse.push_back(Shown());
                                return pulse.size() >= 30;
                            }});
    for (auto& step : std::vector<Script::Step>{
             {"down to the credits entry", Tap(SDL_SCANCODE_DOWN)},
             {"credits chosen", Tap(SDL_SCANCODE_RETURN)},
             {"the credits", Entered("Credits")},
             {"the credits rolling", Wait(90)},
             {"the credits seen",
              [&] {
                  credits = Shown();
                  return true;
              }},
             {"the credits left", Tap(SDL_SCANCODE_ESCAPE)},
             {"the menu again", Entered("MainMenu")},
             {"the menu still again", Wait(100)},
             {"quit asked", Tap(SDL_SCANCODE_ESCAPE)},
             {"the quit prompt", [] { return Exists("QuitPrompt"); }},
             {"the prompt still", Wait(30)},
             {"the prompt seen",
              [&] {
                  prompt = Shown();
                  return true;
              }},
             {"no chosen", Tap(SDL_SCANCODE_RETURN)},
             {"the prompt gone, the menu stays",
              [] {
                  bool entered = false;
                  return !Exists("QuitPrompt") && Showing(&entered) == "MainMenu";
              }},
             {"a while in the menu", Wait(30)},
             {"quit asked again", Tap(SDL_SCANCODE_ESCAPE)},
             {"the quit prompt again", [] { return Exists("QuitPrompt"); }},
             {"the prompt still again", Wait(30)},
             {"left to yes", Tap(SDL_SCANCODE_LEFT)},
             {"yes focused seen",
              [&] {
                  yesFocused = Shown();
                  const std::string hud = tree_.Path("Assets/HudFiles/PromptToQuit.hud");
                  return EntryBox(hud, "Hud/Button_QuitYes", area, &yes) &&
                         EntryBox(hud, "Hud/Button_QuitNo", area, &no);
              }},
             {"yes chosen", Tap(SDL_SCANCODE_RETURN)},
         })
        script.steps.push_back(step);
    SD::RunOptions options;
    options.maxFrames = 8000;
    unsigned long frames = 0;
    options.afterFrame = [&](unsigned long) {
        ++frames;
        bool entered = false;
        if (Showing(&entered) == "World") worldSeen = true;
        script.Frame();
    };
    const SD::RunSummary summary = SD::RunProgram(options);
    qvdisplay::KeepFrames({{"controls", &controls},
                           {"menu-words", &menu},
                           {"credits", &credits},
                           {"quit-prompt", &prompt},
                           {"quit-prompt-yes", &yesFocused}});
    ASSERT_TRUE(summary.clean) << summary.error;
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Where();
    EXPECT_LT(frames, options.maxFrames) << "yes on the quit prompt ended the game";
    EXPECT_FALSE(worldSeen) << "a menu key started the world";
    ASSERT_FALSE(controls.rgba.empty());
    ASSERT_FALSE(menu.rgba.empty());

    // The controls screen is written on: light words over its dark ground.
    EXPECT_GE(WordShare(controls, area), 0.01) << "the controls screen has no words";
    EXPECT_LE(WordShare(controls, area), 0.4);
    // Each menu entry shows its picture where the HUD file puts it, with its words on it.
    for (const std::string& entry : kEntries) {
        SCOPED_TRACE(entry);
        const Box& box = entries[entry];
        ASSERT_GE(box.Width(), 8);
        std::string error;
        const Colour picture =
            qvdisplay::TextureMean(tree_.Path("Assets/Textures/Hud/" + textures[entry] + ".png"), &error);
        ASSERT_EQ(error, "") << textures[entry];
        const Colour inside = qvdisplay::MeanColour(menu, Inset(box, 1));
        EXPECT_LE(qvdisplay::ChannelDistance(inside, picture), 25.0)
            << "inside " << qvdisplay::Describe(inside) << ", its picture " << qvdisplay::Describe(picture);
        EXPECT_GE(WordShare(menu, Inset(box, 1)), 0.03) << "no words on it";
    }
    // The focused entry (Play) is framed in gold in every frame of its pulse; the others are not.
    ASSERT_FALSE(pulse.empty());
    for (size_t i = 0; i < pulse.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_GE(GoldRing(pulse[i], play), 0.15) << "the focus is not seen";
        EXPECT_LE(GoldRing(pulse[i], entries["Hud/Button_Credits"]), 0.02)
            << "an entry without the focus looks focused";
    }
    // The display's own size is offered, and the menu's 1280x800, which fits on it, is kept.
    EXPECT_TRUE(desktopOffered);
    EXPECT_TRUE(resolutionSelectable);
    // The credits roll up words from below the middle of the screen.
    ASSERT_FALSE(credits.rgba.empty());
    EXPECT_GE(WordShare(credits, area), 0.002) << "the credits have no words";
    // They roll within the render area: the words coming up from below stay out of the bars.
    for (const Box& bar : {Box{0, 0, credits.width, area.top}, Box{0, area.bottom, credits.width, credits.height}})
        EXPECT_LE(Brightness(qvdisplay::MeanColour(credits, bar)), 1.0) << "words in a bar";
    // The quit prompt dims the menu and asks in gold.
    ASSERT_FALSE(prompt.rgba.empty());
    const Box top = Band(area, 0.01, 0.06);
    EXPECT_LT(Brightness(qvdisplay::MeanColour(prompt, top)), 0.7 * Brightness(qvdisplay::MeanColour(menu, top)))
        << "the prompt does not dim the menu";
    float qx = 0.0f, qy = 0.0f;
    ASSERT_TRUE(HudEntryPosition(tree_.Path("Assets/HudFiles/PromptToQuit.hud"), "Hud/QuitQuestion", &qx, &qy));
    const Box question = Band(area, qy - 0.04, qy + 0.04);
    EXPECT_GE(qvdisplay::ShareLike(prompt, question, {240, 190, 60}, 0.04), 0.01) << "no question on the prompt";
    // Nothing of the menu under the prompt shows through it: no words where Play's are.
    EXPECT_LE(WordShare(prompt, Inset(play, 1)), 0.005) << "the menu shows through the prompt";
    // Left in the prompt gives "Yes" the focus, and it shows.
    ASSERT_FALSE(yesFocused.rgba.empty());
    EXPECT_GE(GoldRing(yesFocused, yes), 0.15) << "Yes does not look focused";
    EXPECT_LE(GoldRing(yesFocused, no), 0.02) << "No still looks focused";
}

// The world's intro lasts some 36 s of game time: the runs that wait for it take fewer, longer
// frames.
void FewerFrames(qvtest::TempTree& tree) {
    std::string config = tree.Read("Assets/Config/config.ini");
    const size_t at = config.find("\nfps=");
    ASSERT_NE(at, std::string::npos);
    config.replace(at + 5, config.find('\n', at + 1) - at - 5, "12.0");
    tree.Write("Assets/Config/config.ini", config);
}

// The pause menu in the world: absent in flight, where the menu keys do nothing; shown over a
// dimmed world while paused; gone again on resuming.
TEST_F(WindowDisplay, ThePauseMenuShowsOnlyWhilePausedOverADimmedWorld) {
    FewerFrames(tree_);
    Frame flight, paused, resumed;
    Box area;
    bool leftTheWorld = false, pauseMenuInFlight = false;
    Script script;
    script.steps = ToTheMenu();
    auto flying = [] { return PlayState() == SD::GameStateManager_::kPlay && !SpriteOf("Hud/PausedTitle"); };
    for (auto& step : std::vector<Script::Step>{
             {"play chosen", Tap(SDL_SCANCODE_RETURN)},
             {"the world", Entered("World")},
             {"a while of flight", Wait(30)},
             {"flight seen",
              [&] {
                  flight = Shown();
                  area = RenderArea(flight);
                  return true;
              }},
             {"down in flight", Tap(SDL_SCANCODE_S)},
             {"return in flight", Tap(SDL_SCANCODE_RETURN)},
             {"more flight", Wait(30)},
             {"still flying", flying},
             {"pause pressed", Tap(SDL_SCANCODE_ESCAPE)},
             {"paused with its menu",
              [] { return PlayState() == SD::GameStateManager_::kPause && SpriteOf("Hud/PausedTitle"); }},
             {"a while paused", Wait(10)},
             {"paused seen",
              [&] {
                  paused = Shown();
                  return true;
              }},
             {"resume pressed", Tap(SDL_SCANCODE_ESCAPE)},
             {"flying again", flying},
             {"a while of flight again", Wait(10)},
             {"flight seen again",
              [&] {
                  resumed = Shown();
                  SD::Core::GetInstance()->Quit();
                  return true;
              }},
         })
        script.steps.push_back(step);
    SD::RunOptions options;
    options.maxFrames = 8000;
    bool inWorld = false;
    options.afterFrame = [&](unsigned long) {
        bool entered = false;
        const std::string showing = Showing(&entered);
        if (showing == "World") inWorld = true;
        if (inWorld && !showing.empty() && showing != "World") leftTheWorld = true;
        if (inWorld && PlayState() == SD::GameStateManager_::kPlay && SpriteOf("Hud/PausedTitle"))
            pauseMenuInFlight = true;
        script.Frame();
    };
    const SD::RunSummary summary = SD::RunProgram(options);
    qvdisplay::KeepFrames({{"flight", &flight}, {"paused", &paused}, {"resumed", &resumed}});
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(script.Finished()) << "stuck at: " << script.Where();
    EXPECT_FALSE(leftTheWorld) << "a flying key left the world";
    EXPECT_FALSE(pauseMenuInFlight) << "the pause menu showed in flight";

    // The world beside the menu is darker while paused than in flight, and light again after.
    const Box side = {area.left, area.top + area.Height() / 10, area.left + area.Width() / 6,
                      area.bottom - area.Height() / 10};
    const double flightLight = Brightness(qvdisplay::MeanColour(flight, side));
    EXPECT_LT(Brightness(qvdisplay::MeanColour(paused, side)), 0.7 * flightLight) << "the world is not dimmed";
    EXPECT_GT(Brightness(qvdisplay::MeanColour(resumed, side)), 0.8 * flightLight) << "still dim after resuming";
    // The pause menu's title and buttons carry their words.
    float tx = 0.0f, ty = 0.0f;
    ASSERT_TRUE(HudEntryPosition(tree_.Path("Assets/HudFiles/PauseMenu.hud"), "Hud/Button_Resume", &tx, &ty));
    const Box buttons = {area.left + int(area.Width() * 0.4), area.top + int(area.Height() * (ty - 0.04)),
                         area.left + int(area.Width() * 0.6), area.top + int(area.Height() * (ty + 0.14))};
    EXPECT_GE(WordShare(paused, buttons), 0.02) << "no words on the pause menu's buttons";
}

// The level editor in the window with developer keys on: F2 shows its bars over the frame.
// (Placing, moving and saving with its keys: tests/app/WholeGameTest.cpp.)
TEST_F(WindowDisplay, TheEditorsBarsShowOverTheFrameAfterF2) {
    FewerFrames(tree_);
    Frame editing;
    Box area;
    std::vector<uint8_t> gameFrame;
    int barsBefore = -1, barsShown = 0;
    Script script;
    script.steps = ToTheMenu();
    auto editor = [] { return QV::LevelEditor::Peek(); };
    for (auto& step : std::vector<Script::Step>{
             {"play chosen", Tap(SDL_SCANCODE_RETURN)},
             {"the world", Entered("World")},
             {"a while of flight", Wait(10)},
             {"no bars in flight",
              [&] {
                  barsBefore = TweakBarsProbe::BarsShown(SdlSessionProbe::Bars(*session_));
                  return true;
              }},
             {"F2", Tap(SDL_SCANCODE_F2, 4)},
             {"the editor on", [&] { return editor() && editor()->IsActive(); }},
             {"a while in the editor", Wait(5)},
             {"the editor seen",
              [&] {
                  editing = Shown();
                  area = RenderArea(editing);
                  gameFrame = SdlSessionProbe::LastPresented(*session_);
                  barsShown = TweakBarsProbe::BarsShown(SdlSessionProbe::Bars(*session_));
                  SD::Core::GetInstance()->Quit();
                  return true;
              }},
         })
        script.steps.push_back(step);
    SD::RunOptions options;
    options.maxFrames = 8000;
    options.developerKeys = true;
    options.afterFrame = [&](unsigned long) { script.Frame(); };
    const SD::RunSummary summary = SD::RunProgram(options);
    qvdisplay::KeepFrames({{"editor", &editing}});
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(script.Finished()) << "stuck at: " << script.Where();
    EXPECT_EQ(barsBefore, 0) << "bars in flight";
    EXPECT_GE(barsShown, 2) << "the editor's two bars";
    // The bars are drawn over the window's frame; the game's own picture lacks them.
    EXPECT_FALSE(editing.rgba == gameFrame) << "no bars over the frame";
    const Box right = {area.left + area.Width() * 2 / 3, area.top, area.right, area.bottom};
    const Frame game{editing.width, editing.height, gameFrame};
    EXPECT_GE(qvdisplay::ChannelDistance(qvdisplay::MeanColour(editing, right), qvdisplay::MeanColour(game, right)),
              20.0)
        << "the bars' side of the window looks as the game drew it";
}

// The share of the box's pixels whose channels add up to at most `most`.
double ShareDarkerThan(const Frame& frame, const Box& box, int most) {
    int count = 0, all = 0;
    for (int y = std::max(box.top, 0); y < std::min(box.bottom, frame.height); ++y)
        for (int x = std::max(box.left, 0); x < std::min(box.right, frame.width); ++x, ++all) {
            const uint8_t* p = &frame.rgba[(static_cast<size_t>(y) * frame.width + x) * 4];
            if (p[0] + p[1] + p[2] <= most) ++count;
        }
    return all ? double(count) / all : 0.0;
}

// The credits that end the game roll over the live world, whatever its sky: over a white one (the
// winter's at its whitest) their words still read, light letters on a dark ground.
TEST_F(WindowDisplay, TheCreditsAtTheEndReadOverAWhiteSky) {
    FewerFrames(tree_);
    Frame rolling;
    Box area;
    Script script;
    script.steps = ToTheMenu();
    for (auto& step : std::vector<Script::Step>{
             {"play chosen", Tap(SDL_SCANCODE_RETURN)},
             {"the world", Entered("World")},
             {"a while in the world", Wait(30)},
             {"the end under a white sky",
              [] {
                  // A white picture over the whole screen, under the credits, stands for the sky.
                  SD::GameObject* sky = SD::Factory_::GetInstance()->NewGameObject();
                  auto* sprite = static_cast<Aperture::UISprite*>(sky->AddComponent(SD::CID_UISprite));
                  sprite->SetTexture("WhiteSquare");
                  sprite->SetConvertPixelScale(true);
                  sprite->SetAnchor(SD::Vec2(0.5f, 0.5f));
                  sky->GetTransform().SetPos(SD::Vec3(0.5f, 0.5f, 0.05f));
                  sky->GetTransform().SetScale(SD::Vec3(1920.0f, 1200.0f, 1.0f));
                  sky->Initialize(false);
                  QV::SowlarSystem_::GetInstance().SetEndOfGame(true);
                  return true;
              }},
             {"the credits", [] { return Exists("Credits"); }},
             {"the credits rolling", Wait(24)},
             {"the credits seen",
              [&] {
                  rolling = Shown();
                  area = RenderArea(rolling);
                  SD::Core::GetInstance()->Quit();
                  return true;
              }},
         })
        script.steps.push_back(step);
    SD::RunOptions options;
    options.maxFrames = 8000;
    options.afterFrame = [&](unsigned long) { script.Frame(); };
    const SD::RunSummary summary = SD::RunProgram(options);
    qvdisplay::KeepFrames({{"credits-white-sky", &rolling}});
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(script.Finished()) << "stuck at: " << script.Where();
    // The middle of the screen, where the credits' words roll: a dark ground about them and light
    // letters on it, though the sky behind is white.
    const Box column = {area.left + area.Width() * 3 / 8, area.top, area.right - area.Width() * 3 / 8, area.bottom};
    EXPECT_GE(ShareDarkerThan(rolling, column, 300), 0.1) << "no dark ground under the words";
    // The rows the words' ground crosses, and the light letters on them.
    Box words = column;
    while (words.top < words.bottom &&
           ShareDarkerThan(rolling, {column.left, words.top, column.right, words.top + 1}, 300) < 0.3)
        ++words.top;
    while (words.bottom > words.top &&
           ShareDarkerThan(rolling, {column.left, words.bottom - 1, column.right, words.bottom}, 300) < 0.3)
        --words.bottom;
    EXPECT_GE(words.Height(), area.Height() / 10) << "no rows of words";
    EXPECT_GE(WordShare(rolling, words), 0.02) << "no light letters stand out";
}

// Where one blade of the first grass island stands; false without grass.
bool SomeBlade(SD::Vec3* at) {
    Aperture::Graphics_* graphics = Aperture::Graphics_::GetInstance();
    for (const SD::GameObjectHandle& handle : SD::GameStateManager_::GetInstance()->GetCurrentLevel()->GetObjects()) {
        SD::GameObject* island = handle.get();
        if (!island || island->GetBlueprintName() != "World/GrassIsland") continue;
        auto* geometry = static_cast<Aperture::Geometry*>(island->GetComponent(SD::CID_Geometry));
        const Aperture::GrassTree* grass = geometry ? graphics->GetGrassField().FindTree(geometry) : nullptr;
        bool found = false;
        if (grass && grass->GetRoot())
            Aperture::GrassTree::VisitAll(grass->GetRoot(), [&](Aperture::GrassTree::Node* node) {
                if (found || node->instances.empty()) return;
                *at = node->instances.front().position;
                found = true;
            });
        if (found) return true;
    }
    return false;
}

// The pixels of the box that differ between two frames by more than `by` in some channel, and
// the mean colour they have in the first.
struct Difference {
    int pixels = 0, left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    Colour mean;
};
Difference Compare(const Frame& a, const Frame& b, const Box& box, int by) {
    Difference d;
    if (a.rgba.size() != b.rgba.size()) return d;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            const size_t i = (size_t(y) * a.width + x) * 4;
            int most = 0;
            for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(int(a.rgba[i + c]) - int(b.rgba[i + c])));
            if (most <= by) continue;
            ++d.pixels;
            d.left = std::min(d.left, x), d.right = std::max(d.right, x + 1);
            d.top = std::min(d.top, y), d.bottom = std::max(d.bottom, y + 1);
            d.mean.r += a.rgba[i], d.mean.g += a.rgba[i + 1], d.mean.b += a.rgba[i + 2];
        }
    if (d.pixels) d.mean = {d.mean.r / d.pixels, d.mean.g / d.pixels, d.mean.b / d.pixels};
    return d;
}

// The pixels of the box where `a` and `b` differ by more than `by` in some channel and `c`
// differs from `a` there too.
int ChangedWhereDifferent(const Frame& a, const Frame& b, const Frame& c, const Box& box, int by) {
    if (a.rgba.size() != b.rgba.size() || a.rgba.size() != c.rgba.size()) return 0;
    auto differ = [by](const Frame& x, const Frame& y, size_t i) {
        for (int k = 0; k < 3; ++k)
            if (std::abs(int(x.rgba[i + k]) - int(y.rgba[i + k])) > by) return true;
        return false;
    };
    int changed = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            const size_t i = (size_t(y) * a.width + x) * 4;
            if (differ(a, b, i) && differ(a, c, i)) ++changed;
        }
    return changed;
}

TEST_F(WindowDisplay, AnIslandsGrassAndAFireflyReachTheScreen) {
    FewerFrames(tree_);
    SD::Vec3 blade;
    bool haveBlade = false;
    unsigned long splashFrames = 0, worldFrames = 0;
    Frame grassOn, grassOff, withFirefly, withoutFirefly, withoutVehicle;
    Box area;
    SD::RunOptions options;
    options.maxFrames = 6000;
    options.afterFrame = [&](unsigned long) {
        bool entered = false;
        const std::string showing = Showing(&entered);
        if (showing == "SplashLevel") TapEvery(++splashFrames);
        if (showing == "MainMenu" && entered) SD::GameStateManager_::ChangeLevel("World");
        if (showing != "World" || !entered) return;
        ++worldFrames;
        SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
        if (!haveBlade) haveBlade = SomeBlade(&blade);
        if (!player || !haveBlade) {
            if (worldFrames > 200) SD::Core::GetInstance()->Quit();
            return;
        }
        // The vehicle hovers low over the grass while its camera comes round behind it.
        qvtest::PlaceAt(player, blade + SD::Vec3(0.0f, 60.0f, 0.0f));
        if (worldFrames < 60) return;
        Aperture::Graphics_* graphics = Aperture::Graphics_::GetInstance();
        area = RenderArea(Shown());
        grassOn = RedrawStill(*session_);
        graphics->GetGrassField().SetEnabled(false);
        grassOff = RedrawStill(*session_);
        graphics->GetGrassField().SetEnabled(true);
        // A green firefly between the camera and the vehicle, then taken far away.
        const Aperture::Camera* camera = graphics->GetActiveCamera();
        SD::GameObject* firefly = QV::Firefly_Manager::GetInstance().SpawnFirefly(
            player->GetTransform().GetPos(), player->GetTransform().GetPos(), 2, SD::SharedString("Twirl"));
        if (camera && firefly) {
            const float toPlayer = (player->GetTransform().GetPos() - camera->GetEye()).Length();
            qvtest::PlaceAt(firefly, camera->GetEye() + camera->GetViewDir() * (0.5f * toPlayer));
            withFirefly = RedrawStill(*session_);
            qvtest::PlaceAt(firefly, camera->GetEye() - SD::Vec3(0.0f, 100000.0f, 0.0f));
            withoutFirefly = RedrawStill(*session_);
            // The vehicle taken away too: what is left of the picture is the world behind it.
            qvtest::PlaceAt(player, camera->GetEye() - SD::Vec3(0.0f, 100000.0f, 0.0f));
            withoutVehicle = RedrawStill(*session_);
        }
        SD::Core::GetInstance()->Quit();
    };
    const SD::RunSummary summary = SD::RunProgram(options);
    qvdisplay::KeepFrames({{"grass", &grassOn},
                           {"no-grass", &grassOff},
                           {"firefly", &withFirefly},
                           {"no-firefly", &withoutFirefly},
                           {"no-vehicle", &withoutVehicle}});
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(haveBlade) << "the world's islands have no grass";
    ASSERT_GE(worldFrames, 60u);
    ASSERT_FALSE(grassOn.rgba.empty());
    ASSERT_FALSE(withFirefly.rgba.empty()) << "no firefly was made";

    // The blades stand over the island's ground below the vehicle, in green. The island's own
    // ground is a meadow green under them and its shaped top falls away from the camera: the
    // blades that differ from it cover about 2% of the picture (2.1% and 2.3% measured at
    // 320 x 200); a sixtieth leaves room for where the blades happen to stand.
    const Difference grass = Compare(grassOn, grassOff, area, 24);
    EXPECT_GE(grass.pixels, area.Width() * area.Height() / 60) << "the grass is hardly seen";
    const Colour grassHue = qvdisplay::Chromaticity(grass.mean);
    EXPECT_GT(grassHue.g, grassHue.r) << "the grass is " << qvdisplay::Describe(grass.mean);
    EXPECT_GT(grassHue.g, grassHue.b) << "the grass is " << qvdisplay::Describe(grass.mean);

    // The firefly is seen round the middle of the picture, where the camera looks, glowing orange.
    const Difference fly = Compare(withFirefly, withoutFirefly, area, 24);
    EXPECT_GE(fly.pixels, 30) << "the firefly is hardly seen";
    const int midX = (area.left + area.right) / 2, midY = (area.top + area.bottom) / 2;
    const std::string seenAt = "[" + std::to_string(fly.left) + ", " + std::to_string(fly.right) + ") x [" +
                               std::to_string(fly.top) + ", " + std::to_string(fly.bottom) + ")";
    EXPECT_LE(std::abs((fly.left + fly.right) / 2 - midX), area.Width() / 10) << "the firefly is seen at " << seenAt;
    EXPECT_LE(std::abs((fly.top + fly.bottom) / 2 - midY), area.Height() / 10) << "the firefly is seen at " << seenAt;
    EXPECT_GT(fly.mean.r, fly.mean.b) << "the firefly is " << qvdisplay::Describe(fly.mean);

    // Nearer the camera than the vehicle, the firefly's glow is drawn over it: within the middle
    // of the glow, wherever the vehicle is seen, the glow changes the picture too.
    const int rx = (fly.right - fly.left) * 3 / 10, ry = (fly.bottom - fly.top) * 3 / 10;
    const Box core{(fly.left + fly.right) / 2 - rx, (fly.top + fly.bottom) / 2 - ry, (fly.left + fly.right) / 2 + rx,
                   (fly.top + fly.bottom) / 2 + ry};
    const int vehiclePixels = Compare(withoutFirefly, withoutVehicle, core, 24).pixels;
    ASSERT_GE(vehiclePixels, 30) << "the vehicle is hardly seen behind the firefly";
    EXPECT_GE(ChangedWhereDifferent(withoutFirefly, withoutVehicle, withFirefly, core, 24), 0.95 * vehiclePixels)
        << "the vehicle hides the firefly in front of it";
}

}  // namespace
