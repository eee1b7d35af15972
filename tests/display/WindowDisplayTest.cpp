// The game played in a real window on a display (run by tools/window-check.sh under a virtual
// X server with the software OpenGL renderer): the OpenGL device draws the menu and the world,
// the frames are read back from the window, and what they show is checked against the sample
// data: the menu's logo where its HUD file puts it, the world's sky and floor where the camera
// sees them. The same scene drawn twice, a lost device, a lost GL context and a resized window
// are checked too.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
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
#include "engine/GameObject.h"
#include "engine/Level.h"
#include "graphics/Graphics.h"
#include "graphics/ParticleCulling.h"
#include "graphics/components/Sprite.h"
#include "platform/os/Clock.h"
#include "platform/sdl/SdlSession.h"
#include "runtime/GameStateManager.h"
#include "runtime/Registration.h"
#include "support/TempTree.h"

namespace {

using qvdisplay::Box;
using qvdisplay::Colour;
using qvdisplay::Frame;

// The menu's logo: the HUD file places it, its blueprint sizes it in reference pixels.
constexpr const char* kLogoBlueprint = "Hud/MenuLogo";
constexpr const char* kMenuHud = "Assets/HudFiles/MainMenu.hud";
// What the world's camera sees at the start: the spring sky above, the floor's wood below.
constexpr const char* kSkyTexture = "Assets/Textures/Sky/spring_skysphere.png";
constexpr const char* kFloorTexture = "Assets/Textures/wood.png";
constexpr const char* kWorldLevel = "Assets/Levels/World_v6/objects.xml";

// The game state shown and whether it has finished coming in.
std::string Showing(bool* entered) {
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    const uint32_t phase = states ? states->GetPhase() : SD::GameStateManager_::kIdle;
    const bool shown = phase == SD::GameStateManager_::kEnter || phase == SD::GameStateManager_::kRun;
    if (!shown || !states->GetCurrentLevel()) return "";
    *entered = phase == SD::GameStateManager_::kRun;
    return states->GetCurrentLevel()->GetName();
}

Aperture::DX9Abstract& DeviceLayer() { return Aperture::Graphics_::GetInstance()->GetDeviceLayer(); }

// Where the game's picture lies in a frame read back from the window: the render area,
// letterboxed to its aspect inside the back buffer, and the back buffer stretched over the
// window (they differ once the window has been resized; the device keeps its buffers).
Box RenderArea(const Frame& frame) {
    const Aperture::DX9Abstract& layer = DeviceLayer();
    const double bw = layer.GetBackBufferWidth(), bh = layer.GetBackBufferHeight();
    const double rw = layer.GetRenderWidth(), rh = layer.GetRenderHeight();
    const double sx = frame.width / bw, sy = frame.height / bh;
    const double left = (bw - rw) / 2, top = (bh - rh) / 2;
    return {int(std::lround(left * sx)), int(std::lround(top * sy)), int(std::lround((left + rw) * sx)),
            int(std::lround((top + rh) * sy))};
}

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
    for (const Aperture::UISprite* sprite : Aperture::Graphics_::GetInstance()->GetUISpriteList())
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

Box Inset(const Box& b, int by) { return {b.left + by, b.top + by, b.right - by, b.bottom - by}; }

// Rows of the render area between two fractions of its height, all columns.
Box Band(const Box& area, double from, double to) {
    return {area.left, area.top + int(area.Height() * from), area.right, area.top + int(area.Height() * to)};
}

class WindowDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qv::SupplyWholeGame(SD::StartupRegistrations());
    }
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
        // The world's hill is drawn 40 times the size of its model (1600 units across, 120 high)
        // and roofs over the whole floor; at the model's own size the camera sees the sky.
        std::string level = tree_.Read(kWorldLevel);
        const size_t hill = level.find("\"ObjectTemplates/Hill\"");
        const std::string large = "<Float value=\"40\"/><Float value=\"20\"/><Float value=\"40\"/>";
        const size_t scale = hill == std::string::npos ? hill : level.find(large, hill);
        ASSERT_NE(scale, std::string::npos) << "no hill in " << kWorldLevel;
        level.replace(scale, large.size(), "<Float value=\"1\"/><Float value=\"1\"/><Float value=\"1\"/>");
        tree_.Write(kWorldLevel, level);
        std::string error;
        sky_ = qvdisplay::TextureMean(tree_.Path(kSkyTexture), &error);
        ASSERT_EQ(error, "") << kSkyTexture;
        floor_ = qvdisplay::TextureMean(tree_.Path(kFloorTexture), &error);
        ASSERT_EQ(error, "") << kFloorTexture;
        // The machines that run this have no sound card; the card stands in through SDL.
        if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
        session_ = platform::sdl::SdlSession::Open(&error);
        ASSERT_TRUE(session_) << error;
        session_->KeepFrames(true);
        // The software renderer is slow; a clock that the frame limiter's waits move on keeps
        // every frame a 62nd of a second of game time, whatever the drawing costs.
        clock_.SetStepPerRead(0.0002);
        platform::SetClock(&clock_);
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        session_.reset();
    }

    Frame Shown() const { return {session_->LastFrameWidth(), session_->LastFrameHeight(), session_->LastFrame()}; }

    // The world as the camera sees it at the start: many colours, the sky's hue in the upper part
    // of the render area, the floor's in the lower part (lighting, fog and glows change their
    // brightness, not what colour they are).
    void ExpectWorld(const Frame& frame, const Box& area, const std::string& when) const {
        SCOPED_TRACE(when);
        EXPECT_GE(qvdisplay::DistinctColours(frame), 24u) << "the world's frame is nearly blank";
        const Colour sky = qvdisplay::MeanColour(frame, Band(area, 0.02, 0.15));
        const Colour floor = qvdisplay::MeanColour(frame, Band(area, 0.85, 0.98));
        EXPECT_LE(qvdisplay::ChannelDistance(qvdisplay::Chromaticity(sky), qvdisplay::Chromaticity(sky_)), 0.06)
            << "upper part " << qvdisplay::Describe(sky) << ", sky texture " << qvdisplay::Describe(sky_);
        EXPECT_LE(qvdisplay::ChannelDistance(qvdisplay::Chromaticity(floor), qvdisplay::Chromaticity(floor_)), 0.06)
            << "lower part " << qvdisplay::Describe(floor) << ", floor texture " << qvdisplay::Describe(floor_);
    }

    qvtest::TempTree tree_;
    platform::ManualClock clock_;
    Colour sky_, floor_;
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

// The graphics system's frame drawn again with nothing moving: the clock held, no time step,
// and the particle systems set aside (some advance by the frame's measured time whatever step
// they are given).
Frame RedrawStill(const platform::sdl::SdlSession& session) {
    Aperture::Graphics_* graphics = Aperture::Graphics_::GetInstance();
    SD::Core* core = SD::Core::GetInstance();
    std::vector<Aperture::CulledParticles*> points, quads;
    for (Aperture::CulledParticles* system : graphics->GetPointParticleList()) points.push_back(system);
    for (Aperture::CulledParticles* system : graphics->GetQuadParticleList()) quads.push_back(system);
    for (Aperture::CulledParticles* system : points) graphics->UnregisterPointParticles(system);
    for (Aperture::CulledParticles* system : quads) graphics->UnregisterQuadParticles(system);
    core->HoldClock(true);
    graphics->Update(0.0f);
    core->HoldClock(false);
    for (Aperture::CulledParticles* system : points) graphics->RegisterPointParticles(system);
    for (Aperture::CulledParticles* system : quads) graphics->RegisterQuadParticles(system);
    return {session.LastFrameWidth(), session.LastFrameHeight(), session.LastFrame()};
}

TEST_F(WindowDisplay, MenuAndWorldReachTheScreenAndSurviveALostDeviceALostContextAndAResize) {
    unsigned long menuFrames = 0, worldFrames = 0;
    Frame menu, world, still[2], afterLoss, afterContextLoss, afterResize;
    std::vector<uint8_t> menuBackBuffer;
    Box menuArea, worldArea, resizedArea;
    int backBufferWidth = 0, backBufferHeight = 0;
    uint32_t resetsBefore = 0, resetsAfterLoss = 0;
    bool logoFound = false, logoPlaced = false;
    float logoX = 0.0f, logoY = 0.0f;
    Box logo;
    std::string logoTexture;
    SD::RunOptions options;
    options.maxFrames = 6000;
    options.afterFrame = [&](unsigned long) {
        bool entered = false;
        const std::string showing = Showing(&entered);
        if (showing == "MainMenu" && entered) {
            ++menuFrames;
            // The menu stands still once it has faded in.
            if (menuFrames == 120) {
                menu = Shown();
                menuBackBuffer = session_->LastPresented();
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
        // The world is looked at while it comes in: the camera is still where the player starts.
        if (showing != "World") return;
        ++worldFrames;
        if (worldFrames == 30) {
            world = Shown();
            worldArea = RenderArea(world);
            still[0] = RedrawStill(*session_);
            still[1] = RedrawStill(*session_);
            resetsBefore = DeviceLayer().GetDevice()->ResetCount();
            DeviceLayer().GetDevice()->LoseDevice();
        }
        if (worldFrames == 40) {
            afterLoss = Shown();
            resetsAfterLoss = DeviceLayer().GetDevice()->ResetCount();
            session_->LoseContext();
        }
        if (worldFrames == 45) {
            afterContextLoss = Shown();
            session_->ResizeWindow(backBufferWidth / 2 + 17, backBufferHeight / 2 + 9);
        }
        if (worldFrames == 60) {
            afterResize = Shown();
            resizedArea = RenderArea(afterResize);
            SD::Core::GetInstance()->Quit();
        }
    };
    const SD::RunSummary summary = SD::RunProgram(options);
    // QV_FRAMES=<folder> keeps the frames the checks look at, as PPM images.
    if (const char* folder = std::getenv("QV_FRAMES"))
        for (const auto& [name, frame] :
             {std::pair<const char*, const Frame*>{"menu", &menu}, {"world", &world}, {"still", &still[1]},
              {"lost-device", &afterLoss}, {"lost-context", &afterContextLoss}, {"resized", &afterResize}})
            qvdisplay::SavePpm(*frame, std::string(folder) + "/" + name + ".ppm");
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

    ASSERT_GE(worldFrames, 60u) << "the return key did not lead into the world";
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

}  // namespace
