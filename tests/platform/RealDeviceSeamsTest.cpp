// The seams real devices plug into: a window system posting into the queue and pad motors.
// Fakes stand in for the real devices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/pad/Pad.h"
#include "platform/window/DisplayModes.h"
#include "platform/window/MessageIds.h"
#include "platform/window/Screen.h"
#include "platform/window/Window.h"
#include "platform/window/WindowBackend.h"

namespace {

// Each pump posts the next batch of events it was given.
struct ScriptedWindowSystem : platform::WindowBackend {
    std::vector<std::string> calls;
    std::vector<std::vector<uint32_t>> batches;
    void Opened(platform::Window& w) override { calls.push_back("opened " + w.Title()); }
    void Closed(platform::Window& w) override { calls.push_back("closed " + w.Title()); }
    void Reshaped(platform::Window& w) override {
        calls.push_back("reshaped " + std::to_string(w.GetRect().Width()) + "x" + std::to_string(w.GetRect().Height()) +
                        (w.Style() & platform::style::kPopup ? " popup" : ""));
    }
    void Pump(platform::Window& w) override {
        calls.push_back("pump");
        if (batches.empty()) return;
        for (uint32_t m : batches.front()) w.Post(m, 0, 0);
        batches.erase(batches.begin());
    }
    std::vector<platform::DisplayMode> DisplayModes() const override { return modes; }
    std::vector<platform::DisplayMode> modes;
};

struct InstalledWindowSystem : ::testing::Test {
    ScriptedWindowSystem system;
    void SetUp() override { platform::SetWindowBackend(&system); }
    void TearDown() override { platform::SetWindowBackend(nullptr); }
};

std::vector<uint32_t> Drain(platform::Window& window) {
    std::vector<uint32_t> out;
    platform::WindowMessage m;
    while (window.Peek(m)) out.push_back(m.message);
    return out;
}

TEST_F(InstalledWindowSystem, EachDrainPumpsOnceAndDeliversWhatThePumpPosted) {
    using namespace platform::msg;
    system.batches = {{kKeyDown, kChar}, {kMouseMove}};
    {
        platform::Window window("game", 0, 0, 100, 50);
        window.Post(kActivate, 1, 0);
        EXPECT_EQ(Drain(window), (std::vector<uint32_t>{kActivate, kKeyDown, kChar}));
        EXPECT_EQ(Drain(window), (std::vector<uint32_t>{kMouseMove}));
        EXPECT_EQ(Drain(window), (std::vector<uint32_t>{}));
    }
    EXPECT_EQ(system.calls, (std::vector<std::string>{"opened game", "pump", "pump", "pump", "closed game"}));
}

TEST_F(InstalledWindowSystem, HearsOfNewSizesAndStylesButNotOfMoves) {
    platform::Window window("w", 0, 0, 100, 50);
    window.Move(30, 40);
    window.Resize(200, 80);
    window.SetRect(1, 2, 200, 80);
    window.SetStyle(platform::style::kPopup);
    window.SetStyle(platform::style::kPopup);
    EXPECT_EQ(system.calls, (std::vector<std::string>{"opened w", "reshaped 200x80", "reshaped 200x80 popup"}));
}

TEST_F(InstalledWindowSystem, AWindowKeepsTheSystemItOpenedWith) {
    platform::Window window("first", 0, 0, 10, 10);
    platform::SetWindowBackend(nullptr);
    platform::Window headless("second", 0, 0, 10, 10);
    Drain(window);
    Drain(headless);
    EXPECT_EQ(system.calls, (std::vector<std::string>{"opened first", "pump"}));
}

TEST_F(InstalledWindowSystem, NamesTheDisplayModesUntilItGoes) {
    system.modes = {{1280, 800}, {2560, 1600}};
    EXPECT_EQ(platform::DisplayModes(), system.modes);
    platform::SetWindowBackend(nullptr);
    EXPECT_EQ(platform::DisplayModes(),
              platform::DisplayModesFitting(platform::ScreenWidth(), platform::ScreenHeight()));
}

TEST(PadMotors, VibrationsOfConnectedSlotsReachTheSinkUntilItIsRemoved) {
    platform::ResetPads();
    struct Motors : platform::IPadVibrationSink {
        void Vibrate(uint32_t index, const platform::PadVibration& v) override { felt.push_back({index, v}); }
        std::vector<std::pair<uint32_t, platform::PadVibration>> felt;
    } motors;
    const auto& felt = motors.felt;
    ASSERT_TRUE(platform::SetPadVibrationSink(&motors));
    platform::ConnectPad(2);
    platform::SetPadVibration(2, {100, 200});
    platform::SetPadVibration(0, {1, 1});  // not connected: nothing to feel
    platform::SetPadVibrationSink(nullptr);
    platform::SetPadVibration(2, {0, 0});
    ASSERT_EQ(felt.size(), 1u);
    EXPECT_EQ(felt[0].first, 2u);
    EXPECT_EQ(felt[0].second, (platform::PadVibration{100, 200}));
    EXPECT_EQ(platform::RecordedVibrations(2).size(), 2u);
    platform::ResetPads();
}

}  // namespace
