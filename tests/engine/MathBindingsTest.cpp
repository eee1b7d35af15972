// Vectors and matrices made and combined by scripts.
#include <gtest/gtest.h>

#include "LuaTestSupport.h"

namespace {

using luatest::LuaHost;

const char* const kHelpers = R"(
function V3(x, y, z) local v = Vec3() v:SetX(x) v:SetY(y) v:SetZ(z) return v end
function V2(x, y) local v = Vec2() v:SetX(x) v:SetY(y) return v end
function S3(v) return v:GetX() .. ' ' .. v:GetY() .. ' ' .. v:GetZ() end
)";

struct MathCase {
    const char* code;      // sets `r`
    const char* expected;  // tostring(r)
};

const MathCase kCases[] = {
    {"r = S3(Vec3.new())", "0 0 0"},
    {"local v = Vec2() r = v:GetX() .. ' ' .. v:GetY()", "0 0"},
    {"r = S3(V3(1, 2, 3) + V3(10, 20, 30))", "11 22 33"},
    {"r = S3(V3(1, 2, 3) - V3(1, 1, 1))", "0 1 2"},
    {"r = S3(V3(1, 2, 3) * 2)", "2 4 6"},
    {"r = S3(V3(1, 2, 3):Dot(V3(2, 3, 4)))", "2 6 12"},
    {"r = getmetatable(V3(1, 2, 3):Dot(V3(2, 3, 4))) == Vec3", "true"},
    {"local v = -Vec2() r = 1 / v:GetX()", "-inf"},
    {"r = V3(3, 0, 4):GetLength() .. ' ' .. V3(3, 0, 4):GetLengthSq()", "5 25"},
    {"local v = V3(3, 0, 4) local n = v:Normalize() r = S3(v) .. ' | ' .. S3(n)",
     "3 0 4 | 0.60000002384186 0 0.80000001192093"},
    {"local v = V3(0, 2, 0) local c = v:NormThis() c:SetY(7) r = S3(v) .. ' | ' .. S3(c)", "0 1 0 | 0 7 0"},
    {"local v = Vec4() v:SetA(4) v:SetB(3) r = v:GetW() .. ' ' .. v:GetZ()", "4 3"},
    {"local v = Vec3() v:SetR(0.5) r = v:GetX()", "0.5"},
    {"r = tostring(V2(1, -2))", "  1.000000  -2.000000"},
    {"r = tostring(V3(1, 2, 3))", "  1.000000   2.000000   3.000000\n"},
    {"r = tostring(Vec4())", "  0.000000   0.000000   0.000000   0.000000\n"},
    {"r = #tostring(V3(3e38, -3e38, 3e38))", "127"},
    {"local gc = debug.getmetatable(Vec3()).__gc gc(Vec2()) local v = Vec3() gc(v) gc(v) r = IsNil(v)", "true"},
    {"r = getmetatable(Mtx33()) == Mtx33 and getmetatable(Mtx44.Identity()) == Mtx44", "true"},
};

TEST(MathBindingsTest, ScriptsMakeAndCombineValues) {
    LuaHost lua;
    ASSERT_TRUE(lua.Run(kHelpers));
    for (const MathCase& c : kCases) {
        SCOPED_TRACE(c.code);
        ASSERT_TRUE(lua.Run(std::string("r = nil\n") + c.code + "\nr = tostring(r)"));
        EXPECT_EQ(lua.Text("r"), c.expected);
    }
}

TEST(MathBindingsTest, PrintWritesTheComponents) {
    LuaHost lua;
    ASSERT_TRUE(lua.Run(kHelpers));
    EXPECT_EQ(lua.RunPrinted("V2(1, 2):Print()"), "  1.000000   2.000000\n");
}

// Every value a script makes is freed by the collector; the sanitizer's leak check sees a
// value that is not.
TEST(MathBindingsTest, DroppedValuesAreCollected) {
    LuaHost lua;
    ASSERT_TRUE(lua.Run(R"(
        collectgarbage('collect')
        before = collectgarbage('count')
        for i = 1, 10000 do local v = Vec4() + Vec4() local m = Mtx44.Identity() end
        collectgarbage('collect')
        grown = collectgarbage('count') - before
    )"));
    EXPECT_LT(lua.Number("grown"), 64.0);
}

}  // namespace
