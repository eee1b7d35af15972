// Scripts that drive the input system, the window, the game-state manager, interpolators and
// the body-tracking sensor through their script classes, and hostile calls on each.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "GameStateTestSupport.h"
#include "InputFixture.h"
#include "core/EngineCore.h"
#include "core/MessageSystem.h"
#include "engine/LuaTestSupport.h"
#include "engine/ScriptValue.h"
#include "platform/os/Clock.h"
#include "platform/pad/Pad.h"
#include "platform/sensor/ScriptedSensor.h"
#include "runtime/GameStateManager.h"
#include "runtime/InputCodes.h"
#include "runtime/InterpolatorSystem.h"
#include "runtime/Kinect.h"
#include "runtime/RuntimeScriptBindings.h"

namespace {

// The runtime classes and the input codes join the script tables once per process, as
// start-up adds them before scripting opens.
struct RuntimeBindings {
    RuntimeBindings() {
        static const bool added = [] {
            SD::AddRuntimeScriptClasses();
            SD::AddRuntimeScriptClasses();  // a repeat adds nothing
            return true;
        }();
        (void)added;
    }
};

// Runs `code` (which sets `r`) and checks tostring(r) and a fragment of what it printed.
struct Case {
    const char* code;
    const char* expected;
    const char* printed;  // "" when nothing particular is expected
};

void RunCases(luatest::LuaHost& lua, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        bool ran = false;
        std::string printed = lua.RunPrinted(std::string("r = nil\n") + c.code + "\nr = tostring(r)", &ran);
        ASSERT_TRUE(ran) << printed;
        EXPECT_EQ(lua.Text("r"), c.expected);
        EXPECT_NE(printed.find(c.printed), std::string::npos) << printed;
    }
}

class InputScripts : public qvtest::InputFixture {
protected:
    void SetUp() override {
        InputFixture::SetUp();
        lua = std::make_unique<luatest::LuaHost>();
        ASSERT_TRUE(lua->Run("i = Input_.GetInstance()"));
    }
    void TearDown() override {
        lua.reset();
        InputFixture::TearDown();
    }

    RuntimeBindings bindings;
    std::unique_ptr<luatest::LuaHost> lua;
};

TEST_F(InputScripts, KeysPadsAndNamesFromAScript) {
    platform::ConnectPad(0);
    platform::PadInput pad;
    pad.thumbLX = 32767;
    pad.rightTrigger = 255;
    platform::SetPadInput(0, pad);
    input->ScanPads();
    Key(SD::key_A, true);
    Frame();
    RunCases(*lua,
             {
                 {"r = i:VName()", "Input", ""},
                 {"r = getmetatable(i) == Input_", "true", ""},
                 {"r = tostring(i:GetKeyState(key_A)) .. tostring(i:GetKeyStateTriggered(65.4))", "truetrue", ""},
                 {"r = i:GetKeyStateReleased(key_A)", "false", ""},
                 {"r = i:GetKeyState(key_B)", "false", ""},
                 {"r = Input_.GetKeyState(nil, key_A)", "true", ""},  // any self: the one input system
                 {"r = i:GetFirstPressedKey() .. ' ' .. i:GetFirstTriggeredKey() .. ' ' .. i:GetFirstReleasedKey()",
                  "288 288 0", ""},  // the pad's trigger outranks the keys
                 {"r = i:GetKeyName(key_A) .. '|' .. i:GetKeyName(0) .. '|' .. i:GetKeyName(xpad1_A)",
                  "key_A|No Key Pressed|xpad1_A", ""},
                 {"r = i:GetXPadAxisLX(0) .. ' ' .. i:GetXPadAxisRTrig(0) .. ' ' .. i:GetXPadAxisLY(0)", "1 1 0", ""},
                 {"i:SetDevKeysEnabled(false) r = tostring(i:GetDevKeysEnabled()) .. tostring(i:GetKeyState(key_A))",
                  "falsefalse", ""},
                 {"i:SetDevKeysEnabled(1) r = i:GetDevKeysEnabled()", "true", ""},
                 {"i:WipeKeystateBuffers() r = i:GetFirstPressedKey()", "0", ""},
             });
}

// Codes and pad indices outside the tables read as nothing.
TEST_F(InputScripts, HostileCodesAndPadIndicesReadAsNothing) {
    for (uint32_t code = 1; code < 256; ++code) Key(code, true);  // every key but code 0
    Frame();
    RunCases(
        *lua,
        {
            {"r = tostring(i:GetKeyState(-1)) .. tostring(i:GetKeyState(394)) .. tostring(i:GetKeyState(1e300))",
             "falsefalsefalse", ""},
            {"r = tostring(i:GetKeyStateTriggered(-1e300)) .. tostring(i:GetKeyStateReleased(0/0))", "falsefalse", ""},
            {"r = i:GetKeyState('x')", "false", ""},
            {"r = tostring(i:GetKeyName(394)) .. tostring(i:GetKeyName(-1)) .. tostring(i:GetKeyName({}))",
             "nilnilNo Key Pressed", ""},
            {"r = i:GetXPadAxisLX(4) .. i:GetXPadAxisRY(-1) .. i:GetXPadAxisLTrig(1e12)", "000", ""},
            {"i:SetXPadRumbleFine(1, 4) i:SetXPadRumbleCoarse(1, -1) i:PauseRumble(true, 2^40) r = 1", "1", ""},
            {"i:ClearDigitalKey(-7) i:ClearAnalogKey(1e40) r = 1", "1", ""},
            {"i:BindDigital('Bad', -5) i:BindDigital('Bad', 394) i:BindAnalog('Bad', 1e10, -3) r = 1", "1", ""},
            {"i:BindDigital({}, key_A) r = 1", "1", "error: Argument 2 is not a string value."},
            {"r = i:GetDigital(nil)", "nil", "error: Argument 2 is not a string value."},
            {"r = i:GetAnalog(print)", "nil", "error: Argument 2 is not a string value."},
        });
    Frame();
    RunCases(*lua, {{"r = tostring(i:GetDigital('Bad')) .. i:GetAnalog('Bad')", "false0", ""}});
}

TEST_F(InputScripts, BindingsAndRumbleMadeByAScript) {
    platform::ConnectPad(0);
    input->ScanPads();
    ASSERT_TRUE(lua->Run(R"(
        i:BindDigital('Jump', key_SPACE)
        i:BindDigital('Jump', xpad1_A)
        i:BindDigital('Up', key_UP)
        i:BindAnalog('Steer', key_LEFT, key_RIGHT, 0.5)
        i:BindAnalog('Throttle', key_DOWN, key_UP)
        i:SetXPadRumbleFine(0.5, 0)
    )"));
    Key(SD::key_SPACE, true);
    Key(SD::key_RIGHT, true);
    Key(SD::key_UP, true);
    Frame();
    ASSERT_FALSE(platform::RecordedVibrations(0).empty());
    EXPECT_EQ(platform::RecordedVibrations(0).back(), (platform::PadVibration{0, 32767}));
    RunCases(*lua,
             {
                 {"r = tostring(i:GetDigital('Jump')) .. tostring(i:GetDigitalTriggered('Jump'))", "truetrue", ""},
                 {"r = i:GetAnalog('Steer') .. ' ' .. i:GetAnalog('Throttle')", "0.5 1", ""},
                 {"r = i:GetDigital('Never bound')", "false", ""},
                 {"i:ClearDigitalKey(key_SPACE) i:ClearAnalog('Steer') i:PauseRumble(true, 0) r = 1", "1", ""},
             });
    Key(SD::key_UP, false);
    Frame();
    EXPECT_EQ(platform::RecordedVibrations(0).back(), (platform::PadVibration{0, 0}));
    RunCases(*lua, {
                       {"r = tostring(i:GetDigital('Jump')) .. tostring(i:GetDigitalReleased('Up'))", "falsetrue", ""},
                       {"r = i:GetAnalog('Steer') .. ' ' .. i:GetAnalog('Throttle')", "0 0", ""},
                   });
}

// A game-state manager with two states, the core for the pause flag, and a script host.
class StateScripts : public ::testing::Test {
protected:
    StateScripts() {
        world = new statetest::TraceLevel(journal, "World");
        manager.RegisterLevel(world, "Game:World");
        manager.RegisterLevel(new statetest::TraceLevel(journal, "Menu"), "MainMenu");
        manager.Initialize();
    }
    ~StateScripts() override {
        manager.Shutdown();
        SD::Message_System::DestroyInstance();
    }

    RuntimeBindings bindings;
    std::unique_ptr<SD::Core> core{SD::Core::CreateInstance()};
    std::vector<std::string> journal;
    SD::GameStateManager_ manager;
    SD::Level* world = nullptr;
    luatest::LuaHost lua;
};

TEST_F(StateScripts, ChangeLevelPlayStateAndQuit) {
    ASSERT_TRUE(lua.Run("g = GameStateManager_.GetInstance()"));
    RunCases(lua, {
                      {"l = g:ChangeLevelTo('World') r = tostring(getmetatable(l) == Level) .. tostring(IsNil(l))",
                       "truefalse", ""},
                  });
    EXPECT_EQ(manager.GetPendingLevel(), world);
    RunCases(lua, {
                      {"r = IsNil(g:ChangeLevelTo('Nowhere'))", "true", ""},
                      {"r = IsNil(g:ChangeLevelTo({}))", "true", "error: Argument 2 is not a string value."},
                  });
    EXPECT_EQ(manager.GetPendingLevel(), world);
    RunCases(lua, {{"r = IsNil(g:ChangeLevelTo('Quit'))", "true", ""}});
    EXPECT_EQ(manager.GetPendingLevel(), nullptr);

    manager.SetPlayState(SD::GameStateManager_::kDevPause);
    ASSERT_TRUE(core->IsPaused());
    RunCases(lua, {{"g:SetPlayState(2) r = 1", "1", ""}});
    EXPECT_EQ(manager.GetPlayState(), SD::GameStateManager_::kPlay);
    EXPECT_FALSE(core->IsPaused());

    manager.ChangeLevelTo("MainMenu");
    RunCases(lua, {{"g:Quit() r = 1", "1", ""}});
    EXPECT_EQ(manager.GetPendingLevel(), nullptr);
}

class InterpolatorScripts : public ::testing::Test {
protected:
    void SetUp() override { clock.Advance(5.0); }
    void TearDown() override { SD::InterpolatorSystem::DestroyInstance(); }
    void Tick(double seconds) {
        clock.Advance(seconds);
        SD::InterpolatorSystem::GetInstance().Update(0.0f);
    }

    RuntimeBindings bindings;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::unique_ptr<SD::Core> core{SD::Core::CreateInstance()};
    luatest::LuaHost lua;
};

TEST_F(InterpolatorScripts, StartedAndReadFromAScript) {
    SD::InterpolatorF fade;
    SD::PushInterpolator(lua.host.L, &fade);
    lua_setglobal(lua.host.L, "fade");
    ASSERT_TRUE(lua.Run("fade:Start(0, 10, 2)"));
    Tick(1.0);
    RunCases(lua, {{"r = fade:GetValue() .. ' ' .. tostring(fade:IsComplete())", "5 false", ""}});
    Tick(1.0);
    RunCases(lua, {{"r = fade:GetValue() .. ' ' .. tostring(fade:IsComplete())", "10 true", ""}});
    ASSERT_TRUE(lua.Run("fade:Start('x', nil, 4)"));  // non-numbers read as 0
    Tick(4.0);
    EXPECT_FLOAT_EQ(fade.GetValue(), 0.0f);
    // Values handed out are references: collecting them leaves the interpolator alone.
    ASSERT_TRUE(lua.Run("fade = nil collectgarbage('collect')"));
    EXPECT_TRUE(fade.IsComplete());
}

TEST(KinectScripts, TiltIsRoundedAndHeldToItsRange) {
    RuntimeBindings bindings;
    platform::sensor::ScriptedSensor sensor;
    platform::sensor::AttachRuntime(&sensor);
    ASSERT_TRUE(SD::Kinect_::GetInstance()->OpenSensor());
    {
        luatest::LuaHost lua;
        ASSERT_TRUE(lua.Run("k = Kinect.GetInstance() same = getmetatable(k) == Kinect"));
        EXPECT_TRUE(lua.Boolean("same"));
        const struct {
            const char* angle;
            long expected;
        } cases[] = {{"12.6", 13}, {"40", 27}, {"-100", -27}, {"-1e300", -27}, {"'abc'", 0}};
        for (const auto& c : cases) {
            SCOPED_TRACE(c.angle);
            ASSERT_TRUE(lua.Run((std::string("k:TiltSetAngle(") + c.angle + ")").c_str()));
            EXPECT_EQ(sensor.ElevationAngle().value_or(-999), c.expected);
        }
    }
    SD::Kinect_::DestroyInstance();
    platform::sensor::AttachRuntime(nullptr);
    SD::Message_System::DestroyInstance();
}

TEST(WindowScripts, FullscreenFlag) {
    RuntimeBindings bindings;
    for (bool fullScreen : {false, true}) {
        SD::Window_ window("Test", 320, 200, fullScreen, 1);
        luatest::LuaHost lua;
        ASSERT_TRUE(lua.Run("r = Window_.GetInstance():GetFullscreen()"));
        EXPECT_EQ(lua.Boolean("r"), fullScreen);
    }
}

// With no systems, methods called on the null values that GetInstance hands out print the
// null-object message and answer nil.
TEST(RuntimeScripts, MethodsOnNullSystemsPrintTheNullMessage) {
    RuntimeBindings bindings;
    luatest::LuaHost lua;
    SD::PushInterpolator(lua.host.L, nullptr);
    lua_setglobal(lua.host.L, "fade");
    SD::PushScriptValue(lua.host.L, nullptr, "Kinect", false);
    lua_setglobal(lua.host.L, "kinect");
    RunCases(
        lua,
        {
            {"r = Input_.GetInstance():VName()", "nil", "'Input_::VName' with this pointer being NULL."},
            {"r = Input_.GetInstance():GetKeyState(key_A)", "nil", "'Input_::GetKeyState' with this pointer"},
            {"r = Input_.GetInstance():GetDigital('Jump')", "nil", "'Input_::GetDigital' with this pointer"},
            {"Input_.GetInstance():BindDigital('Jump', key_A) r = 1", "1", "'Input_::BindDigital' with this pointer"},
            {"Input_.WipeKeystateBuffers() r = Input_.GetKeyName(nil, key_A)", "key_A", ""},
            {"r = Window_.GetInstance():GetFullscreen()", "nil", "'Window_::GetFullscreen' with this pointer"},
            {"r = GameStateManager_.GetInstance():ChangeLevelTo('World')", "nil",
             "'GameStateManager_::ChangeLevelTo' with this pointer being NULL."},
            {"r = GameStateManager_.GetInstance():SetPlayState()", "nil",
             "'GameStateManager_::SetPlayState' with this"},
            {"r = GameStateManager_.GetInstance():Quit()", "nil", "'GameStateManager_::Quit' with this pointer"},
            {"r = fade:GetValue()", "nil", "'Interpolatorf::GetValue' with this pointer being NULL."},
            {"r = fade:IsComplete()", "nil", "'Interpolatorf::IsComplete' with this pointer"},
            {"r = fade:Start(0, 1, 1)", "nil", "'Interpolatorf::Start' with this pointer"},
            {"r = kinect:TiltSetAngle(5)", "nil", "'Kinect::TiltSetAngle' with this pointer being NULL."},
        });
}

// Methods called on nil, a number, a table or a value of another class raise a script error.
TEST(RuntimeScripts, MethodsOnTheWrongValueRaiseAScriptError) {
    RuntimeBindings bindings;
    SD::Window_ window("Test", 320, 200, false, 1);
    luatest::LuaHost lua;
    const char* calls[] = {
        "Input_.VName(nil)",
        "Input_.VName(5)",
        "Input_.VName(Window_.GetInstance())",
        "Window_.GetFullscreen()",
        "Window_.GetFullscreen('Window_')",
        "GameStateManager_.ChangeLevelTo(Window_.GetInstance(), 'World')",
        "GameStateManager_.SetPlayState({})",
        "GameStateManager_.Quit(1)",
        "Interpolatorf.GetValue(Window_.GetInstance())",
        "Interpolatorf.Start(nil, 0, 1, 1)",
        "Kinect.TiltSetAngle(Window_.GetInstance(), 3)",
        "Kinect.TiltSetAngle(true, 3)",
        "Window_()",
        "Level.GetInstance()",
    };
    for (const char* call : calls) {
        SCOPED_TRACE(call);
        bool ran = true;
        std::string printed = lua.RunPrinted(call, &ran);
        EXPECT_FALSE(ran) << printed;
    }
    // The state is still usable afterwards.
    ASSERT_TRUE(lua.Run("r = Window_.GetInstance():GetFullscreen()"));
    EXPECT_FALSE(lua.Boolean("r"));
}

}  // namespace
