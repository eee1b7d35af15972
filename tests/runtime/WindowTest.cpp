#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "InputFixture.h"
#include "core/ConfigFile.h"
#include "core/EngineCore.h"
#include "core/MessageSystem.h"
#include "platform/os/Clock.h"
#include "platform/window/MessageIds.h"
#include "platform/window/Screen.h"
#include "runtime/Startup.h"
#include "runtime/WindowMessages.h"
#include "support/TempTree.h"
#include "tests/platform/WindowProbe.h"

namespace {

using WindowProbe = platform::TestProbe<platform::Window>;

namespace msg = platform::msg;

// Records every window-level engine message it receives.
struct Recorder {
    std::vector<uint32_t> windows;
    std::vector<std::pair<std::string, uint32_t>> drops;
    std::vector<std::pair<int, int>> resizes;
    std::vector<std::pair<uint32_t, double>> deviceChanges;

    void OnWindows(SD::IMessage* m) {
        auto* w = static_cast<SD::WindowsMessage*>(m);
        EXPECT_EQ(w->handled, 1u);
        windows.push_back(w->message);
    }
    void OnDrop(SD::IMessage* m) {
        auto* d = static_cast<SD::FileDrop*>(m);
        drops.emplace_back(d->path, d->extensionIndex);
    }
    void OnResize(SD::IMessage* m) {
        auto* r = static_cast<SD::Resize*>(m);
        resizes.emplace_back(r->width, r->height);
    }
    void OnDeviceChange(SD::IMessage* m) {
        deviceChanges.emplace_back(static_cast<SD::DeviceChange*>(m)->kind, SD::Core::GetTime());
    }
};

class WindowTest : public qvtest::InputFixture {
protected:
    void SetUp() override {
        platform::SetClock(&clock);
        core.reset(SD::Core::CreateInstance());
        InputFixture::SetUp();
        auto* messages = SD::Message_System::GetInstance();
        messages->RegisterHandler(SD::MessageIds::WindowsMessage, &rec, &Recorder::OnWindows);
        messages->RegisterHandler(SD::MessageIds::FileDrop, &rec, &Recorder::OnDrop);
        messages->RegisterHandler(SD::MessageIds::Resize, &rec, &Recorder::OnResize);
        messages->RegisterHandler(SD::MessageIds::DeviceChange, &rec, &Recorder::OnDeviceChange);
    }
    void TearDown() override {
        SD::Message_System::DestroyInstance();
        InputFixture::TearDown();
        core.reset();
        platform::SetClock(nullptr);
        platform::ResetScreen();
    }

    platform::ManualClock clock;
    std::unique_ptr<SD::Core> core;
    Recorder rec;
};

TEST_F(WindowTest, FormsFromTheConfiguration) {
    platform::SetScreenSize(1600, 900);
    struct Case {
        const char* fullscreen;
        uint32_t style, exStyle;
        int outerW, outerH;
        int left, top;
    };
    const int framedW = 640 + 2 * platform::kFrameWidth;
    const int framedH = 480 + 2 * platform::kFrameHeight + platform::kCaptionHeight;
    const Case cases[] = {
        {"false", platform::style::kFixedFrame, platform::style::kExEdges, framedW, framedH, (1600 - framedW) / 2,
         (900 - framedH) / 2},
        {"True", platform::style::kFixedFrame, platform::style::kExEdges, framedW, framedH, (1600 - framedW) / 2,
         (900 - framedH) / 2},
        {"fake", platform::style::kPopup, platform::style::kExTopmost, 1600, 900, 0, 0},
        {"true", platform::style::kPopup, platform::style::kExTopmost, 1600, 900, 0, 0},
    };
    window.reset();
    for (const Case& c : cases) {
        qvtest::TempTree tree;
        tree.Write("Assets/Config/config.ini",
                   std::string("[Window]\nName=Game\nWidth=640\nHeight=480\nFullscreen=") + c.fullscreen + "\n");
        SD::ConfigFile config;
        const SD::WindowSettings s = SD::ReadWindowSettings(config, platform::ScreenWidth(), platform::ScreenHeight());
        SD::Window_ w(s.title, s.width, s.height, s.windowFullScreen, platform::show::kNormal);
        platform::Window& raw = *w.GetPlatformWindow();
        EXPECT_EQ(raw.Title(), "Game");
        EXPECT_EQ(raw.Style(), c.style) << c.fullscreen;
        EXPECT_EQ(WindowProbe::ExStyle(raw), c.exStyle) << c.fullscreen;
        EXPECT_EQ(raw.GetRect().Width(), c.outerW) << c.fullscreen;
        EXPECT_EQ(raw.GetRect().Height(), c.outerH) << c.fullscreen;
        EXPECT_EQ(raw.GetRect().left, c.left) << c.fullscreen;
        EXPECT_EQ(raw.GetRect().top, c.top) << c.fullscreen;
        EXPECT_TRUE(WindowProbe::AcceptsFiles(raw));
        EXPECT_EQ(WindowProbe::ShowCommand(raw), platform::show::kNormal);
        EXPECT_EQ(SD::Window_::GetInstance(), &w);
    }
    EXPECT_EQ(SD::Window_::GetInstance(), nullptr);
}

TEST_F(WindowTest, PumpForwardsEveryMessageAndLeavesQuitQueued) {
    Raw().Post(msg::kChar, 'q', 0);
    Raw().Post(msg::kMouseMove, 0, (7 << 16) | 0xFFFF);
    Raw().PostQuit(0);
    window->Update(0.0f);
    EXPECT_EQ(rec.windows, (std::vector<uint32_t>{msg::kChar, msg::kMouseMove}));
    EXPECT_EQ(input->GetTypedChar(), 'q');
    EXPECT_EQ(window->GetCursorX(), 0xFFFF);
    EXPECT_EQ(window->GetCursorY(), 7);
    EXPECT_EQ(Raw().Pending(), 1u);  // the quit is back in the queue

    Raw().Post(msg::kActivate, 1, 0);
    window->Update(0.0f);
    EXPECT_EQ(rec.windows.back(), msg::kActivate);
    EXPECT_EQ(Raw().Pending(), 1u);
    EXPECT_FALSE(core->IsQuitting());

    Raw().Post(msg::kDestroy, 0, 0);
    window->Update(0.0f);
    EXPECT_TRUE(core->IsQuitting());
    input->Update(0.0f);
    EXPECT_EQ(input->GetTypedChar(), 0);
}

TEST_F(WindowTest, ClientSizeChanges) {
    struct Case {
        const char* name;
        platform::WindowMessage message;
        std::pair<int, int> expected;  // {0, 0}: no resize
    };
    const int fw = 2 * platform::kFrameWidth;
    const int fh = 2 * platform::kFrameHeight + platform::kCaptionHeight;
    const Case cases[] = {
        {"proposed rectangle", {msg::kNcCalcSize, 1, 0, {10, 20, 10 + 800 + fw, 20 + 600 + fh}}, {800, 600}},
        {"no rectangle to fit", {msg::kNcCalcSize, 0, 0, {0, 0, 900, 900}}, {0, 0}},
        {"minimised: smaller than its frame", {msg::kNcCalcSize, 1, 0, {-32000, -32000, -31840, -31990}}, {0, 0}},
        {"zero width", {msg::kNcCalcSize, 1, 0, {0, 0, fw, fh + 10}}, {0, 0}},
        {"minimise command", {msg::kSysCommand, platform::syscmd::kMinimize | 2, 0, {}}, {640, 480}},
        {"maximise command", {msg::kSysCommand, platform::syscmd::kMaximize, 0, {}}, {640, 480}},
        {"menu key", {msg::kSysCommand, platform::syscmd::kKeyMenu, 0, {}}, {0, 0}},
    };
    for (const Case& c : cases) {
        window->SetSize(1, 1);
        window->SetSize(640, 480);
        rec.resizes.clear();
        Raw().Post(c.message);
        window->Update(0.0f);
        if (c.expected.first == 0) {
            EXPECT_TRUE(rec.resizes.empty()) << c.name;
            EXPECT_EQ(window->GetWidth(), 640u) << c.name;
        } else {
            ASSERT_EQ(rec.resizes.size(), 1u) << c.name;
            EXPECT_EQ(rec.resizes[0], c.expected) << c.name;
            EXPECT_EQ(window->GetWidth(), static_cast<uint32_t>(c.expected.first)) << c.name;
            EXPECT_EQ(window->GetHeight(), static_cast<uint32_t>(c.expected.second)) << c.name;
        }
    }
}

TEST_F(WindowTest, SizeAndStyleChangesFromTheGraphicsLayer) {
    platform::SetScreenSize(1000, 1000);
    window->SetSize(300, 200);
    const platform::WindowRect r = Raw().GetRect();
    EXPECT_EQ(r.Width(), 300 + 2 * platform::kFrameWidth);
    EXPECT_EQ(r.left, (1000 - r.Width()) / 2);
    EXPECT_EQ(r.top, (1000 - r.Height()) / 2);

    window->SetFullscreen(true);
    Raw().SetStyle(platform::style::kPopup);
    Raw().Move(0, 0);
    window->SetSize(1000, 1000);
    EXPECT_EQ(Raw().GetRect().Width(), 1000);  // frameless: outer size is the client size
    EXPECT_EQ(Raw().GetRect().left, 0);        // full screen is not centred

    const int refreshes = WindowProbe::FrameRefreshes(Raw());
    Raw().SetAcceptFiles(false);
    window->ApplyWindowedStyle();
    EXPECT_EQ(Raw().Style(), platform::style::kOverlappedWindow);
    EXPECT_EQ(WindowProbe::ExStyle(Raw()), platform::style::kExEdges);
    EXPECT_EQ(window->GetStyle(), platform::style::kFixedFrame);  // the stored styles stay
    EXPECT_EQ(WindowProbe::FrameRefreshes(Raw()), refreshes + 2);
    EXPECT_TRUE(WindowProbe::AcceptsFiles(Raw()));
    window->Minimize();
    EXPECT_EQ(WindowProbe::ShowCommand(Raw()), platform::show::kMinimize);
}

TEST_F(WindowTest, DroppedFiles) {
    const std::string longPath = "/data/" + std::string(600, 'x') + "/level.hie";
    const std::pair<std::string, uint32_t> cases[] = {
        {"a.txt", 0},      {"b.xml", 1},   {"/x/y/c.hie", 2},      {"s.lua", 3},     {"m.fbx", 4},
        {"d.bin", 5},      {"o.obj", 6},   {"C:\\img\\p.png", 7},  {"shout.XML", 8}, {"noext", 8},
        {"dir.d/file", 8}, {"dir.xml", 1}, {"archive.tar.txt", 0}, {"trail.", 8},    {".txt", 8},
        {"", 8},           {longPath, 2},
    };
    std::vector<std::string> paths;
    for (const auto& c : cases) paths.push_back(c.first);
    Raw().PostDropFiles(paths);
    Raw().PostDropFiles({});
    window->Update(0.0f);
    ASSERT_EQ(rec.drops.size(), std::size(cases));
    for (size_t i = 0; i < rec.drops.size(); ++i) EXPECT_EQ(rec.drops[i], cases[i]) << cases[i].first;
    EXPECT_EQ(WindowProbe::OpenDrops(Raw()), 0u);  // the empty drop is released too
}

TEST_F(WindowTest, FileNameOfADrop) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\levels\\forest.xml", "forest"},
        {"/a/b.c/name", "name"},
        {"/a/b/archive.tar.gz", "archive.tar"},
        {"plain", "plain"},
        {"dir/", ""},
        {"mixed/sep\\last.lua", "last"},
    };
    for (const auto& [path, name] : cases) EXPECT_EQ(SD::FileDrop(path, 0).GetFileName(), name) << path;
}

TEST_F(WindowTest, DeviceChangeRescansAtOnceAndIsAnnouncedThreeSecondsLater) {
    const std::pair<uint64_t, uint32_t> kinds[] = {
        {platform::devchange::kArrival, SD::DeviceChange::kArrival},
        {platform::devchange::kRemoveComplete, SD::DeviceChange::kRemoveComplete},
        {platform::devchange::kNodesChanged, SD::DeviceChange::kNodesChanged},
        {0x18, SD::DeviceChange::kOther},
    };
    auto* messages = SD::Message_System::GetInstance();
    messages->Initialize();
    platform::ConnectPad(0);
    for (const auto& k : kinds) Raw().Post(msg::kDeviceChange, k.first, 0);
    const double posted = SD::Core::GetTime();
    window->Update(0.0f);
    EXPECT_TRUE(input->IsPadConnected(0));
    EXPECT_TRUE(rec.deviceChanges.empty());

    clock.Advance(2.9);
    messages->Update(0.0f);
    EXPECT_TRUE(rec.deviceChanges.empty());
    clock.Advance(0.2);
    messages->Update(0.0f);
    ASSERT_EQ(rec.deviceChanges.size(), 4u);
    std::vector<uint32_t> seen;
    for (const auto& [kind, at] : rec.deviceChanges) {
        seen.push_back(kind);
        EXPECT_GE(at - posted, 3.0);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<uint32_t>{0, 1, 2, 3}));
}

}  // namespace
