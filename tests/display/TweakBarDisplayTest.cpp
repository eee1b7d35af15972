// The tweak bars drawn over the frame in a real window and worked with the mouse: a visible bar
// shows in the window and not in the device's back buffer, a hidden one not at all, a click on a
// bar's button runs its callback without reaching the game as a mouse press, a value typed into a
// field applies on Return or on leaving the field even when typed quicker than a frame, and a
// field leaves room for its whole label.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "SessionSuite.h"
#include "display/MouseEvents.h"
#include "display/FrameMeasures.h"
#include "platform/gfx/Device.h"
#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakInspect.h"
#include "platform/window/MessageIds.h"
#include "platform/window/RawInput.h"
#include "tests/display/SdlSessionProbe.h"

namespace {

namespace tw = platform::tweak;
using qvdisplay::Box;
using qvdisplay::Frame;

constexpr uint32_t kWidth = 320, kHeight = 240;
constexpr uint32_t kBackground = 0xFF204060u;
// The bar's window, and its button's row a little below the title.
const Box kBarBox{20, 20, 220, 160};
// The bars' rows in their default style: a title 19 pixels high, then after 8 pixels of margin
// one row of 19 pixels every 23.
int RowCentre(int row) { return kBarBox.top + 19 + 8 + 23 * row + 9; }

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
        return {SdlSessionProbe::LastFrameWidth(*session_), SdlSessionProbe::LastFrameHeight(*session_),
                SdlSessionProbe::LastFrame(*session_)};
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
    // A click at a point of the window: the pointer moves there, then the button goes down and up.
    void Click(int x, int y) {
        displaytest::PushMouse(SDL_MOUSEMOTION, x, y);
        Show();
        displaytest::PushMouse(SDL_MOUSEBUTTONDOWN, x, y);
        Show();
        displaytest::PushMouse(SDL_MOUSEBUTTONUP, x, y);
        Show();
        Show();
    }
    static void Type(const char* text) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        std::snprintf(e.text.text, sizeof e.text.text, "%s", text);
        SDL_PushEvent(&e);
    }
    // A key pressed and let go before the next frame, as a quick tap in a slow frame is.
    static void QuickKey(SDL_Scancode key) {
        for (Uint32 type : {Uint32(SDL_KEYDOWN), Uint32(SDL_KEYUP)}) {
            SDL_Event e{};
            e.type = type;
            e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.scancode = key;
            SDL_PushEvent(&e);
        }
    }
    // The pixels of the bar's row as light as its words are written.
    static int LightPixels(const Frame& frame, int row, int width) {
        int light = 0;
        for (int y = RowCentre(row) - 9; y <= RowCentre(row) + 9; ++y)
            for (int x = kBarBox.left; x < kBarBox.left + width; ++x) {
                const uint8_t* p = &frame.rgba[(static_cast<size_t>(y) * frame.width + x) * 4];
                light += p[0] > 180 && p[1] > 180 && p[2] > 180 ? 1 : 0;
            }
        return light;
    }

    platform::gfx::Driver driver_;
    std::unique_ptr<platform::Window> window_;
    std::unique_ptr<platform::gfx::Device> device_;
    tw::Bar* bar_ = nullptr;
    int presses_ = 0;
    float speed_ = 2.5f;
    float duration_ = 4.0f;
    bool on_ = true;
};

TEST_F(TweakBarDisplay, AVisibleBarIsDrawnOverTheFrameAndAHiddenOneIsNot) {
    Frame shown;
    for (int i = 0; i < 3; ++i) shown = Show();
    EXPECT_EQ(TweakBarsProbe::BarsShown(SdlSessionProbe::Bars(*session_)), 1);
    const std::vector<uint8_t> backBuffer = SdlSessionProbe::LastPresented(*session_);
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
    EXPECT_EQ(TweakBarsProbe::BarsShown(SdlSessionProbe::Bars(*session_)), 0);
    EXPECT_TRUE(shown.rgba == SdlSessionProbe::LastPresented(*session_))
        << "a hidden bar leaves the frame as the game drew it";
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

// A click selects the whole value, so what is typed replaces it; Return applies it even when it is
// pressed and let go within one frame, and so does leaving the field with a click elsewhere.
TEST_F(TweakBarDisplay, ATypedValueAppliesOnReturnAndOnLeavingTheField) {
    for (int i = 0; i < 3; ++i) Show();
    Click(kBarBox.left + 40, RowCentre(1));
    Type("7");
    QuickKey(SDL_SCANCODE_RETURN);
    Show();
    Show();
    EXPECT_EQ(speed_, 7.0f);

    Click(kBarBox.left + 40, RowCentre(1));
    Type("3");
    Show();
    EXPECT_EQ(speed_, 7.0f) << "applied before it was left";
    Click(300, 220);
    EXPECT_EQ(speed_, 3.0f);
}

// The fields leave room for the bar's longest label: a bar as narrow as the editor's shows as much
// of it as a wide one.
TEST_F(TweakBarDisplay, AFieldLeavesRoomForTheWholeLabel) {
    ASSERT_TRUE(tw::DeleteBar(bar_));
    // The light pixels of the field's row in a bar of that width holding one field.
    auto drawn = [this](const char* name, int width) {
        tw::Bar* bar = tw::NewBar(name);
        EXPECT_TRUE(tw::AddVarRW(bar, "Duration Amount:", tw::kTypeFloat, &duration_, ""));
        EXPECT_TRUE(
            tw::Define((std::string(name) + " position='20 20' size='" + std::to_string(width) + " 140'").c_str()));
        Show();
        const Frame frame = Show();
        tw::DeleteBar(bar);
        return LightPixels(frame, 0, width);
    };
    const int wide = drawn("Wide", 290);
    EXPECT_GT(wide, 60) << "the label and the value are drawn";
    EXPECT_EQ(drawn("Narrow", 200), wide) << "the label is cut";
}

}  // namespace
