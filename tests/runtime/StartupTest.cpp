#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/ConfigFile.h"
#include "core/ConfigVars.h"
#include "platform/os/Clock.h"
#include "core/EngineCore.h"
#include "runtime/Registration.h"
#include "runtime/Startup.h"
#include "runtime/Window.h"
#include "support/TempTree.h"

namespace {

TEST(Startup, WindowSettingsFromTheConfiguration) {
    struct Case {
        const char* ini;
        const char* title;
        int w, h;
        bool windowFull, deviceFull;
    };
    const Case cases[] = {
        {"", "Quorvanta", 1280, 800, false, false},
        {"[Window]\nName=Test\nWidth=640\nHeight=480\n", "Test", 640, 480, false, false},
        {"[Window]\nWidth=640\nHeight=480\nFullscreen=true\n", "Quorvanta", 1920, 1080, true, true},
        {"[Window]\nWidth=640\nHeight=480\nFullscreen=fake\n", "Quorvanta", 1920, 1080, true, false},
        {"[Window]\nWidth=640\nHeight=480\nFullscreen=True\n", "Quorvanta", 640, 480, false, false},
        // Sizes no window can take fall back to the defaults.
        {"[Window]\nWidth=0\nHeight=-480\n", "Quorvanta", 1280, 800, false, false},
        {"[Window]\nWidth=2147483647\nHeight=99999\n", "Quorvanta", 1280, 800, false, false},
    };
    for (const Case& c : cases) {
        qvtest::TempTree tree;
        if (*c.ini) tree.Write("Assets/Config/config.ini", c.ini);
        SD::ConfigFile config;
        SD::WindowSettings s = SD::ReadWindowSettings(config, 1920, 1080);
        EXPECT_EQ(s.title, c.title) << c.ini;
        EXPECT_EQ(s.width, c.w) << c.ini;
        EXPECT_EQ(s.height, c.h) << c.ini;
        EXPECT_EQ(s.windowFullScreen, c.windowFull) << c.ini;
        EXPECT_EQ(s.deviceFullScreen, c.deviceFull) << c.ini;
    }
}

// A bounded run on a manual clock: the configured frame rate decides how many frames fit.
TEST(Startup, FrameRateComesFromTheConfiguration) {
    struct Case {
        const char* ini;
        unsigned long minFrames, maxFrames;
    };
    const Case cases[] = {
        {"[FrameRateController]\nlimit_frame_rate=true\nfps=10\n", 10, 11},
        {"[FrameRateController]\nlimit_frame_rate=true\nfps=0\n", 1000, 1000000},  // 0 fps: no limit
        {"[FrameRateController]\nlimit_frame_rate=false\nfps=10\n", 1000, 1000000},
    };
    for (const Case& c : cases) {
        qvtest::TempTree tree;
        tree.Write("Assets/Config/config.ini", c.ini);
        platform::ManualClock clock;
        clock.SetStepPerRead(0.00001);
        platform::ScopedClock scoped(clock);
        SD::RunOptions options;
        options.maxSeconds = 1.0;
        SD::RunSummary summary = SD::RunProgram(options);
        EXPECT_TRUE(summary.clean);
        EXPECT_GE(summary.frames, c.minFrames) << c.ini;
        EXPECT_LE(summary.frames, c.maxFrames) << c.ini;
    }
}

TEST(Startup, AFrameBoundStopsTheRun) {
    qvtest::TempTree tree;
    SD::RunOptions options;
    options.maxFrames = 7;
    SD::RunSummary summary = SD::RunProgram(options);
    EXPECT_TRUE(summary.clean);
    EXPECT_EQ(summary.frames, 7u);
}

// Runs the program for some frames with the given first script and extra configuration.
SD::RunSummary RunWithScript(qvtest::TempTree& tree, const std::string& script, unsigned long frames,
                             const std::string& extraConfig = "") {
    tree.Write("Assets/Config/config.ini", "[Global]\nLuaFilePath=../Assets/LuaScripts\n" + extraConfig);
    tree.Write("Assets/LuaScripts/InitLuaStuff.lua", script);
    SD::RunOptions options;
    options.maxFrames = frames;
    return SD::RunProgram(options);
}

// Start-up opens scripting after every system exists: the first script sees the engine's
// classes and constants, and a failing script does not stop the run.
TEST(Startup, TheFirstScriptSeesTheEngine) {
    qvtest::TempTree tree;
    EXPECT_TRUE(RunWithScript(tree,
                              "ActiveLuaGameObjects = { objects = {}, update = function(self, dt) end }\n"
                              "local f = io.open('../seen.txt', 'w')\n"
                              "f:write(tostring(Input_ ~= nil), ' ', tostring(GameStateManager_ ~= nil), ' ',\n"
                              "        tostring(Factory_ ~= nil), ' ', tostring(CID_Transform), ' ',\n"
                              "        tostring(Vec3 ~= nil))\n"
                              "f:close()\n",
                              2)
                    .clean);
    EXPECT_EQ(tree.Read("seen.txt"), "true true true 0 true");

    qvtest::StderrCapture err;
    SD::RunSummary summary = RunWithScript(tree, "this is not lua", 2);
    EXPECT_TRUE(summary.clean);
    EXPECT_EQ(summary.frames, 2u);
    EXPECT_NE(err.Text().find("InitLuaStuff.lua"), std::string::npos);
}

// The script objects' table is walked once a frame, right after the components.
TEST(Startup, ScriptObjectsAreUpdatedEveryFrame) {
    qvtest::TempTree tree;
    EXPECT_TRUE(RunWithScript(tree,
                              "local frames = 0\n"
                              "ActiveLuaGameObjects = { objects = {}, update = function(self, dt)\n"
                              "    frames = frames + 1\n"
                              "    local f = io.open('../frames.txt', 'w') f:write(frames) f:close()\n"
                              "end }\n",
                              3)
                    .clean);
    EXPECT_EQ(tree.Read("frames.txt"), "3");
}

// Stands in for the graphics system: notes the update order it finds itself in.
struct GraphicsProbe : SD::ISystem {
    static std::vector<std::string>& Order() {
        static std::vector<std::string> order;
        return order;
    }
    static SD::ISystem* Make() { return new GraphicsProbe; }
    const char* GetName() const override { return "Graphics"; }
    void Update(float) override {
        Order().clear();
        for (SD::ISystem* s : SD::Core::GetInstance()->GetSystems()) Order().push_back(s->GetName());
    }
};

// A supplied system runs where its place puts it among the runtime's own, the window reaches its
// receiver before the systems are configured, and the summary takes the draw calls from its counter.
TEST(Startup, ASuppliedSystemRunsAtItsPlaceAndTheWindowIsHandedOver) {
    qvtest::TempTree tree;
    tree.Write("Assets/Config/config.ini", "[Window]\nWidth=640\nHeight=360\n");
    struct WindowProbe : SD::IWindowReceiver {
        void ReceiveWindow(SD::Window_& window, const SD::WindowSettings& settings) override {
            windowWidth = window.GetWidth();
            handedBeforeConfigure = SD::Core::GetInstance()->GetFrameCount() == 0;
            EXPECT_FALSE(settings.deviceFullScreen);
        }
        uint32_t windowWidth = 0;
        bool handedBeforeConfigure = false;
    } probe;
    const uint32_t& windowWidth = probe.windowWidth;
    const bool& handedBeforeConfigure = probe.handedBeforeConfigure;
    SD::Registrations& registrations = SD::StartupRegistrations();
    ASSERT_TRUE(registrations.SupplySystem("Graphics_", &GraphicsProbe::Make, true, {{"Transformer"}, {"Factory"}}));
    ASSERT_TRUE(registrations.SetWindowReceiver(&probe));
    struct FiveDrawCalls : SD::IDrawCallCounter {
        unsigned long LastFrameDrawCalls() const override { return 5; }
    } counter;
    ASSERT_TRUE(registrations.SetDrawCallCounter(&counter));
    SD::RunOptions options;
    options.maxFrames = 1;
    SD::RunSummary summary = SD::RunProgram(options);
    registrations = SD::Registrations();
    SD::SupplyEngineClasses(registrations);
    EXPECT_TRUE(summary.clean);
    EXPECT_EQ(windowWidth, 640u);
    EXPECT_TRUE(handedBeforeConfigure);
    const std::vector<std::string>& order = GraphicsProbe::Order();
    auto at = [&](const char* name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
    ASSERT_LT(at("Graphics"), static_cast<long>(order.size()));
    EXPECT_EQ(at("Graphics"), at("Transformer") + 1);
    EXPECT_EQ(at("Factory"), at("Graphics") + 1);
    EXPECT_EQ(summary.drawCalls, 5u);
    EXPECT_EQ(SD::RunProgram(options).drawCalls, 0u) << "no counter installed";
}

// A pool size no memory could hold is reported and the default pool is made instead.
TEST(Startup, AnImpossibleObjectPoolTakesTheDefault) {
    for (const char* size : {"-1", "0", "2000000000"}) {
        qvtest::TempTree tree;
        tree.Write("Assets/Config/config.ini", std::string("[Factory]\nTotalObjects=") + size + "\n");
        qvtest::StderrCapture err;
        SD::RunOptions options;
        options.maxFrames = 1;
        EXPECT_TRUE(SD::RunProgram(options).clean) << size;
        EXPECT_NE(err.Text().find(std::string("[Factory] TotalObjects=") + size + " is not 1 to"), std::string::npos)
            << err.Text();
    }
}

// Whatever the file says, the developer keys are off once the game runs; the persisted
// variables are written at exit also when there were none to read.
TEST(Startup, DeveloperKeysStayOffAndTheVariablesAreWrittenAtExit) {
    qvtest::TempTree tree;
    EXPECT_TRUE(RunWithScript(tree,
                              "ActiveLuaGameObjects = { objects = {}, update = function(self, dt)\n"
                              "    local f = io.open('../devkeys.txt', 'w')\n"
                              "    f:write(tostring(Input_.GetInstance():GetDevKeysEnabled())) f:close()\n"
                              "end }\n",
                              1, "[Dev]\nDevKeys=true\n")
                    .clean);
    EXPECT_EQ(tree.Read("devkeys.txt"), "false");
    std::optional<std::string> vars = SD::ConfigVarsPath();
    ASSERT_TRUE(vars);
    EXPECT_TRUE(std::filesystem::exists(*vars)) << *vars;
}

}  // namespace
