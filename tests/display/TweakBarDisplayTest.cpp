// The tweak bars drawn over the frame in a real window and worked with the mouse: a visible bar
// shows in the window and not in the device's back buffer, a hidden one not at all, and a click
// on a bar's button runs its callback without reaching the game as a mouse press.
#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>
#include <vector>

#include "SessionSuite.h"
#include "display/FrameMeasures.h"
#include "platform/gfx/Device.h"
#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakInspect.h"
#include "platform/window/MessageIds.h"
#include "platform/window/RawInput.h"

namespace {

namespace tw = platform::tweak;
using qvdisplay::Box;
using qvdisplay::Frame;

constexpr uint32_t kWidth = 320, kHeight = 240;
constexpr uint32_t kBackground = 0xFF204060u;
// The bar's window, and its button's row a little below the title.
const Box kBarBox{20, 20, 220, 160};

void Press(void* clientData) { ++*static_cast<int*>(clientData); }

class TweakBarDisplay : public displaytest::SessionSuite {
protected:
    void SetUp() override {
        ASSERT_TRUE(session_) << openError_;
        tw::ResetForTests();
        window_ = std::make_unique<platform::Window>("bars", 0, 0, kWidth, kHeight);
        ASSERT_EQ(driver_.CreateDevice(WindowParameters(window_.get(), kWidth, kHeight), device_), platform::gfx::kOk);
        bar_ = tw::NewBar("Probe");
        ASSERT_NE(bar_, nullptr);
        ASSERT_TRUE(tw::Define("Probe position='20 20' size='200 140'"));
        ASSERT_TRUE(tw::AddButton(bar_, "Count", &Press, &presses_, ""));
        ASSERT_TRUE(tw::AddVarRW(bar_, "Speed", tw::kTypeFloat, &speed_, ""));
        ASSERT_TRUE(tw::AddVarRW(bar_, "On", tw::kTypeBool, &on_, ""));
    }
    void TearDown() override {
        device_.reset();
        window_.reset();
        tw::ResetForTests();
    }
    // One frame of the game: input pumped, the back buffer cleared and presented.
    Frame Show() {
        session_->Pump(*window_);
        EXPECT_EQ(device_->BeginScene(), platform::gfx::kOk);
        EXPECT_EQ(device_->Clear(platform::gfx::kClearTarget, kBackground, 1.0f, 0), platform::gfx::kOk);
        EXPECT_EQ(device_->EndScene(), platform::gfx::kOk);
        EXPECT_EQ(device_->Present(), platform::gfx::kOk);
        return {session_->LastFrameWidth(), session_->LastFrameHeight(), session_->LastFrame()};
    }
    // Mouse presses and releases that reached the game's window queue.
    int GameMouseButtons() {
        int buttons = 0;
        platform::WindowMessage message;
        while (window_->Peek(message)) {
            platform::RawInput record;
            if (message.message == platform::msg::kInput && window_->ReadRawInput(message.lParam, record) &&
                record.type == platform::RawInputType::Mouse && record.mouse.buttonFlags != 0)
                ++buttons;
        }
        return buttons;
    }
    static void Push(Uint32 type, int x, int y) {
        SDL_Event e{};
        e.type = type;
        if (type == SDL_MOUSEMOTION) {
            e.motion.x = x;
            e.motion.y = y;
        } else {
            e.button.button = SDL_BUTTON_LEFT;
            e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.button.clicks = 1;
            e.button.x = x;
            e.button.y = y;
        }
        SDL_PushEvent(&e);
    }
    // A click at a point of the window: the pointer moves there, then the button goes down and up.
    void Click(int x, int y) {
        Push(SDL_MOUSEMOTION, x, y);
        Show();
        Push(SDL_MOUSEBUTTONDOWN, x, y);
        Show();
        Push(SDL_MOUSEBUTTONUP, x, y);
        Show();
        Show();
    }

    platform::gfx::Driver driver_;
    std::unique_ptr<platform::Window> window_;
    std::unique_ptr<platform::gfx::Device> device_;
    tw::Bar* bar_ = nullptr;
    int presses_ = 0;
    float speed_ = 2.5f;
    bool on_ = true;
};

TEST_F(TweakBarDisplay, AVisibleBarIsDrawnOverTheFrameAndAHiddenOneIsNot) {
    Frame shown;
    for (int i = 0; i < 3; ++i) shown = Show();
    EXPECT_EQ(session_->Bars().BarsShown(), 1);
    const std::vector<uint8_t> backBuffer = session_->LastPresented();
    ASSERT_EQ(shown.width, int(kWidth));
    EXPECT_GE(qvdisplay::DistinctColours({shown.width, shown.height, shown.rgba}), 8u) << "the bar has its words";
    const Frame game{shown.width, shown.height, backBuffer};
    EXPECT_LE(qvdisplay::DistinctColours(game), 1u) << "the game's own frame holds no bar";
    const qvdisplay::Colour inside = qvdisplay::MeanColour(shown, kBarBox);
    const qvdisplay::Colour outside = qvdisplay::MeanColour(shown, {240, 180, 320, 240});
    EXPECT_GE(qvdisplay::ChannelDistance(inside, outside), 20.0)
        << "inside " << qvdisplay::Describe(inside) << ", outside " << qvdisplay::Describe(outside);

    ASSERT_TRUE(tw::Define("Probe visible=false"));
    shown = Show();
    EXPECT_EQ(session_->Bars().BarsShown(), 0);
    EXPECT_TRUE(shown.rgba == session_->LastPresented()) << "a hidden bar leaves the frame as the game drew it";
}

TEST_F(TweakBarDisplay, AClickOnAButtonRunsItAndStaysOutOfTheGame) {
    for (int i = 0; i < 3; ++i) Show();
    GameMouseButtons();
    // The first row under the title bar holds the button.
    Click(kBarBox.left + 30, kBarBox.top + 30);
    EXPECT_EQ(presses_, 1);
    EXPECT_EQ(GameMouseButtons(), 1) << "only the release reaches the game";
    // Away from the bars the click is the game's.
    Click(300, 220);
    EXPECT_EQ(presses_, 1);
    EXPECT_EQ(GameMouseButtons(), 2);
}

}  // namespace
