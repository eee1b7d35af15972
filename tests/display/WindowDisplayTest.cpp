// The game played in a real window on a display (run by tools/window-check.sh under a virtual
// X server with the software OpenGL renderer): what reaches the screen is read back from the
// window and checked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/EngineCore.h"
#include "engine/Level.h"
#include "game/GameRegistration.h"
#include "graphics/GraphicsStartup.h"
#include "physics/PhysicsRegistration.h"
#include "platform/sdl/SdlSession.h"
#include "runtime/GameStateManager.h"
#include "runtime/Registration.h"
#include "sound/system/SoundSystemRegistration.h"
#include "support/TempTree.h"

namespace {

std::string Running() {
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    if (!states || !states->GetCurrentLevel() || states->GetPhase() != SD::GameStateManager_::kRun) return "";
    return states->GetCurrentLevel()->GetName();
}

size_t DistinctColours(const std::vector<uint8_t>& rgba) {
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 3 < rgba.size() && colours.size() < 64; i += 4)
        colours.insert(rgba[i] | rgba[i + 1] << 8 | rgba[i + 2] << 16);
    return colours.size();
}

class WindowDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Gedankenexperiment::SupplyPhysicsClasses(SD::StartupRegistrations());
        Aperture::InstallGraphics(SD::StartupRegistrations());
        QV::SupplyGameClasses(SD::StartupRegistrations());
        SD::SupplySoundSystem(SD::StartupRegistrations());
    }
    void SetUp() override {
        for (const char* folder : {"Assets", "Graphics"})
            std::filesystem::copy(qvtest::SourceDir() + "/" + folder, tree_.Path(folder),
                                  std::filesystem::copy_options::recursive);
        // A small window keeps the device's clears and the software renderer quick.
        std::string config = tree_.Read("Assets/Config/config.ini");
        for (const auto& [key, value] : {std::pair<std::string, std::string>{"Width=", "320"}, {"Height=", "200"}}) {
            const size_t at = config.find("\n" + key);
            ASSERT_NE(at, std::string::npos) << key;
            const size_t begin = at + 1 + key.size();
            config.replace(begin, config.find('\n', begin) - begin, value);
        }
        tree_.Write("Assets/Config/config.ini", config);
        // The machines that run this have no sound card; the card stands in through SDL.
        if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::string error;
        session_ = platform::sdl::SdlSession::Open(&error);
        ASSERT_TRUE(session_) << error;
        session_->KeepFrames(true);
    }
    void TearDown() override { session_.reset(); }

    qvtest::TempTree tree_;
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

TEST_F(WindowDisplay, MenuAndWorldReachTheScreenSteadilyAndSurviveAResize) {
    unsigned long menuFrames = 0, worldFrames = 0;
    std::vector<uint8_t> first, second, presented;
    int firstWidth = 0, firstHeight = 0;
    bool worldShownAsPresented = false;
    SD::RunOptions options;
    options.maxFrames = 6000;
    options.afterFrame = [&](unsigned long) {
        const std::string running = Running();
        if (running == "MainMenu") {
            ++menuFrames;
            // The menu stands still once it has faded in.
            if (menuFrames == 120) {
                first = session_->LastFrame();
                presented = session_->LastPresented();
                firstWidth = session_->LastFrameWidth();
                firstHeight = session_->LastFrameHeight();
            }
            if (menuFrames == 121) second = session_->LastFrame();
            // Play is chosen with the return key once the menu takes input.
            if (menuFrames == 150) PressKey(SDL_SCANCODE_RETURN, true);
            if (menuFrames == 153) PressKey(SDL_SCANCODE_RETURN, false);
        }
        if (running == "World" && ++worldFrames == 60) {
            worldShownAsPresented = session_->LastFrame() == session_->LastPresented();
            session_->ResizeWindow(firstWidth / 2 + 17, firstHeight / 2 + 9);
        }
        if (worldFrames == 90) SD::Core::GetInstance()->Quit();
    };
    const SD::RunSummary summary = SD::RunProgram(options);
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_GE(menuFrames, 121u) << "the menu was never reached";
    ASSERT_FALSE(first.empty());
    // The window is as large as the device's frame: the screen shows it pixel for pixel.
    EXPECT_TRUE(first == presented) << "the window does not show the device's frame";
    EXPECT_TRUE(first == second) << "the same menu frame shown twice differs";
    ASSERT_GE(worldFrames, 90u) << "the return key did not lead into the world";
    EXPECT_TRUE(worldShownAsPresented) << "the window does not show the world's frame";
    // A smaller window shows the same frame scaled: its new size, the same colours.
    EXPECT_EQ(session_->LastFrameWidth(), firstWidth / 2 + 17);
    EXPECT_EQ(session_->LastFrameHeight(), firstHeight / 2 + 9);
    EXPECT_EQ(DistinctColours(session_->LastFrame()), DistinctColours(session_->LastPresented()));
}

}  // namespace
