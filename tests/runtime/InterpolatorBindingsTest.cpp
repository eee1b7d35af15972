// The script class through which scripts drive float interpolators.
#include <gtest/gtest.h>

#include <memory>

#include "core/EngineCore.h"
#include "engine/LuaTestSupport.h"
#include "engine/ScriptValue.h"
#include "platform/os/Clock.h"
#include "runtime/InterpolatorBindings.h"
#include "runtime/InterpolatorSystem.h"

namespace {

class InterpolatorBindingsTest : public ::testing::Test {
protected:
    InterpolatorBindingsTest() {
        static const bool added = (SD::AddScriptClass(SD::InterpolatorScriptClass()), true);
        (void)added;
        lua = std::make_unique<luatest::LuaHost>();
        SD::PushScriptValue(lua->host.L, &fade, "Interpolatorf", false);
        lua_setglobal(lua->host.L, "fade");
        SD::PushScriptValue(lua->host.L, nullptr, "Interpolatorf", false);
        lua_setglobal(lua->host.L, "none");
    }
    ~InterpolatorBindingsTest() override {
        lua.reset();
        SD::InterpolatorSystem::DestroyInstance();
    }

    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::unique_ptr<SD::Core> core{SD::Core::CreateInstance()};
    SD::InterpolatorF fade;
    std::unique_ptr<luatest::LuaHost> lua;
};

TEST_F(InterpolatorBindingsTest, ScriptsStartAndReadAnInterpolator) {
    ASSERT_TRUE(lua->Run("fade:Start(1, 3, 2) done = fade:IsComplete() v = fade:GetValue()"));
    EXPECT_FALSE(lua->Boolean("done"));
    EXPECT_EQ(lua->Number("v"), 1.0);
    clock.Advance(1.0);
    SD::InterpolatorSystem::GetInstance().Update(0.0f);
    ASSERT_TRUE(lua->Run("v = fade:GetValue()"));
    EXPECT_EQ(lua->Number("v"), 2.0);
    clock.Advance(1.0);
    SD::InterpolatorSystem::GetInstance().Update(0.0f);
    ASSERT_TRUE(lua->Run("done = fade:IsComplete()"));
    EXPECT_TRUE(lua->Boolean("done"));
    // Arguments that are not numbers read as 0, and a zero duration keeps the last one.
    ASSERT_TRUE(lua->Run("fade:Start('x', 4, nil)"));
    EXPECT_DOUBLE_EQ(fade.GetDuration(), 2.0);
    EXPECT_EQ(fade.GetValue(), 0.0f);
}

TEST_F(InterpolatorBindingsTest, ANullInterpolatorIsReportedAndAWrongSelfRaises) {
    bool ran = false;
    std::string printed = lua->RunPrinted("a = none:GetValue() b = none:IsComplete() none:Start(1, 2, 3)", &ran);
    EXPECT_TRUE(ran);
    EXPECT_NE(printed.find("Attempting to call 'Interpolatorf::GetValue' with this pointer being NULL."),
              std::string::npos)
        << printed;
    EXPECT_NE(printed.find("'Interpolatorf::Start'"), std::string::npos) << printed;
    ASSERT_TRUE(lua->Run("r = a == nil and b == nil"));
    EXPECT_TRUE(lua->Boolean("r"));
    EXPECT_FALSE(lua->Run("fade.GetValue(42)"));
}

}  // namespace
