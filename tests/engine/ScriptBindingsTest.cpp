// Registration of the script classes, global functions and constants, and what scripts get
// when they call engine functions with the wrong values.
#include <gtest/gtest.h>

#include "LuaTestSupport.h"
#include "core/Random.h"
#include "support/TempTree.h"

namespace {

using luatest::LuaHost;

struct ScriptCase {
    const char* code;      // sets the global `r`
    const char* expected;  // tostring(r)
};

void ExpectResults(LuaHost& lua, const ScriptCase* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(cases[i].code);
        ASSERT_TRUE(lua.Run(std::string("r = nil\n") + cases[i].code + "\nr = tostring(r)"));
        EXPECT_EQ(lua.Text("r"), cases[i].expected);
    }
}

TEST(ScriptClassTest, ClassTablesMetatablesAndConstructors) {
    LuaHost lua;
    const ScriptCase cases[] = {
        {"r = getmetatable(Vec2()) == Vec2", "true"},
        {"r = getmetatable(Vec3.new()) == Vec3 and getmetatable(Vec3()) == Vec3", "true"},
        {"local v = Vec2() v:SetX(1) local w = Vec2() w:SetX(2) r = (v + w):GetX()", "3"},
        {"r = type(Transform.new)", "nil"},
        {"r = pcall(Transform)", "false"},
        {"r = select(2, pcall(Transform)):find('attempt to call a table value') ~= nil", "true"},
        {"r = type(Factory_.GetInstance) .. type(GameObject.GetTransform) .. type(Component.VGetID)",
         "functionfunctionfunction"},
        {"r = rawget(Vec3, '__add')", "nil"},
    };
    ExpectResults(lua, cases, sizeof cases / sizeof cases[0]);
}

TEST(ScriptClassTest, ConstantsAndAddedRecords) {
    SD::AddScriptConstant("key_TEST_ONE", 7);
    SD::AddScriptConstant("key_TEST_ONE", 9);
    static const SD::ScriptMethod kMethods[] = {
        {"__gc", nullptr},
        {"__call", nullptr},
        {"Answer",
         [](lua_State* L) {
             lua_pushnumber(L, 42);
             return 1;
         }},
    };
    static const SD::ScriptClass kRecord = {"TestSystem_", kMethods, 3, false};
    SD::AddScriptClass(kRecord);
    SD::AddScriptFunction("test_twice", [](lua_State* L) {
        lua_pushnumber(L, 2 * lua_tonumber(L, 1));
        return 1;
    });
    LuaHost lua;
    const ScriptCase cases[] = {
        {"r = CID_Transform .. ' ' .. CID_LuaLogic .. ' ' .. CID_Player .. ' ' .. CID_Total", "0 2 12 112"},
        {"r = key_TEST_ONE", "9"},
        {"r = TestSystem_.Answer()", "42"},
        {"r = test_twice(4)", "8"},
    };
    ExpectResults(lua, cases, sizeof cases / sizeof cases[0]);
}

TEST(ScriptGlobalsTest, RandomFunctionsRoundAndOrderTheirBounds) {
    LuaHost lua;
    SD::SetRandomState(SD::kRandomStartState);
    ASSERT_TRUE(lua.Run(R"(
        ok = true
        for i = 1, 200 do
          local a = random(2.6, 4)      -- rounds to 3
          local b = random(9, 3)
          local c = frandom(2, 1)
          local d = drandom(5, 5)
          local e = random(-1, 1)       -- 4294967295 and 1, read back signed
          if a < 3 or a > 4 or a % 1 ~= 0 then ok = 'random(2.6, 4) gave ' .. a end
          if b < 3 or b > 9 then ok = 'random(9, 3) gave ' .. b end
          if c < 1 or c >= 2 then ok = 'frandom(2, 1) gave ' .. c end
          if d ~= 5 then ok = 'drandom(5, 5) gave ' .. d end
          if e == 0 then ok = 'random(-1, 1) gave 0' end
        end
        same = random(5, 5) == 5 and frandom(1, 1) == 1 and random(2.5, 2.5) == 2
        full = random(0, -1)
        ok = tostring(ok)
    )"));
    EXPECT_EQ(lua.Text("ok"), "true");
    EXPECT_TRUE(lua.Boolean("same"));
    double full = lua.Number("full");
    EXPECT_EQ(full, static_cast<double>(static_cast<int32_t>(full)));
}

// Scripts that call engine functions on the wrong values get a script error or a nil with the
// null-object message; the host never crashes.
TEST(ScriptGlobalsTest, HostileCallsRaiseErrorsOrGiveNil) {
    LuaHost lua;
    struct Hostile {
        const char* code;
        const char* message;  // fragment of the error or printout
    } cases[] = {
        {"local v = nil; v:GetX()", "attempt to index local 'v' (a nil value)"},
        {"Vec3.GetX(nil)", "Vec3 expected, got nil"},
        {"Vec3.GetX(5)", "Vec3 expected, got number"},
        {"Vec3.GetX(Vec2())", "Vec3 expected, got userdata"},
        {"Vec3.Dot(Vec3(), Mtx33())", "Vec3 expected, got userdata"},
        {"Transform.GetPos(Vec3())", "Transform expected, got userdata"},
        {"Transform.GetPos(io.stdout)", "Transform expected, got userdata"},
        {"Component.VGetID(Vec3())", "Component expected, got userdata"},
        {"Component.Base({})", "Component expected, got table"},
        {"GameObject.GetName('x')", "GameObject expected, got string"},
        {"get_parent(5)", "GameObject expected, got number"},
        {"Factory_.VName(GameObject)", "Factory_ expected, got table"},
        {"Factory_.CreateObject(Factory_.GetInstance(), 'x', 5)", "GameObject expected, got number"},
        {"IsNil(5)", "engine value expected, got number"},
        {"local v = 2 * Vec2()", "Vec2 expected, got number"},
    };
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.code);
        bool ran = true;
        std::string printed = lua.RunPrinted(c.code, &ran);
        EXPECT_FALSE(ran);
        EXPECT_NE(printed.find(c.message), std::string::npos) << printed;
        EXPECT_EQ(lua_gettop(lua.host.L), 0);
    }
}

TEST(ScriptGlobalsTest, NullObjectsGiveNilWithTheMessage) {
    LuaHost lua;
    struct NullCase {
        const char* code;
        const char* message;
    } cases[] = {
        {"r = Factory_.GetInstance():VName()", "'Factory_::VName' with this pointer being NULL."},
        {"r = Factory_.GetInstance():GetGameObject('a')", "'Factory_::GetGameObject' with this pointer being NULL."},
    };
    for (const NullCase& c : cases) {
        SCOPED_TRACE(c.code);
        bool ran = false;
        std::string printed = lua.RunPrinted(std::string("r = 1\n") + c.code, &ran);
        EXPECT_TRUE(ran);
        EXPECT_NE(printed.find(c.message), std::string::npos) << printed;
        EXPECT_NE(printed.find("[string \"r = 1...\"](2): Attempting to call"), std::string::npos) << printed;
        lua_getglobal(lua.host.L, "r");
        EXPECT_TRUE(lua_isnil(lua.host.L, -1));
        lua_pop(lua.host.L, 1);
    }
    ASSERT_TRUE(lua.Run("a = IsNil(nil) b = IsNil(Factory_.GetInstance()) c = IsNil(Vec2())"));
    EXPECT_TRUE(lua.Boolean("a"));
    EXPECT_TRUE(lua.Boolean("b"));
    EXPECT_FALSE(lua.Boolean("c"));
}

}  // namespace
