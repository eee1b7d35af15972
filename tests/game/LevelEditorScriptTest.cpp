// Scripts reach the level editor through its "LevelEditor" script class.
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "engine/LuaTestSupport.h"
#include "engine/ScriptValue.h"
#include "game/GameRegistration.h"
#include "runtime/Registration.h"

namespace {

class EditorScriptTest : public gametest::EditorFixture {
protected:
    EditorScriptTest() {
        SD::Registrations registrations;
        QV::SupplyGameClasses(registrations);
        lua = std::make_unique<luatest::LuaHost>();
    }
    std::unique_ptr<luatest::LuaHost> lua;
};

TEST_F(EditorScriptTest, ScriptsReadTheNameViewModeAndSpawnPoint) {
    ASSERT_TRUE(
        lua->Run("le = LevelEditor.GetInstance()\n"
                 "name = le:VName()\n"
                 "view = le:GetCurrentViewMode()\n"
                 "p = le:GetPlayerSpawnPos()\n"
                 "before = p:GetX() + p:GetY() + p:GetZ()\n"));
    EXPECT_EQ(lua->Text("name"), "LevelEditor");
    EXPECT_EQ(lua->Number("view"), 0.0);
    EXPECT_EQ(lua->Number("before"), 0.0) << "nothing loaded yet";

    ASSERT_TRUE(editor->LoadLevel("Meadow"));
    ASSERT_TRUE(
        lua->Run("p = le:GetPlayerSpawnPos()\n"
                 "a = le:GetPlayerSpawnEulerAngles()\n"
                 "px, py, pz, ay = p:GetX(), p:GetY(), p:GetZ(), a:GetY()\n"
                 "p:SetX(99)\n"
                 "again = le:GetPlayerSpawnPos():GetX()\n"));
    EXPECT_EQ(lua->Number("py"), 1.5);
    EXPECT_EQ(lua->Number("pz"), -10.0);
    EXPECT_EQ(lua->Number("ay"), 90.0);
    EXPECT_EQ(lua->Number("again"), 0.0) << "scripts get a copy";
}

TEST_F(EditorScriptTest, ANullEditorIsReportedAndAnswersNil) {
    SD::PushScriptValue(lua->host.L, nullptr, "LevelEditor", false);
    lua_setglobal(lua->host.L, "ghost");
    const std::string printed = lua->RunPrinted(
        "r1 = ghost:VName()\nr2 = ghost:GetCurrentViewMode()\n"
        "r3 = ghost:GetPlayerSpawnPos()\nr4 = ghost:GetPlayerSpawnEulerAngles()\n");
    for (const char* method : {"VName", "GetCurrentViewMode", "GetPlayerSpawnPos", "GetPlayerSpawnEulerAngles"})
        EXPECT_NE(
            printed.find(std::string("Attempting to call 'LevelEditor::") + method + "' with this pointer being NULL."),
            std::string::npos)
            << printed;
    EXPECT_TRUE(lua->Run("ok = r1 == nil and r2 == nil and r3 == nil and r4 == nil"));
    EXPECT_TRUE(lua->Boolean("ok"));
    EXPECT_FALSE(lua->Run("LevelEditor.VName(5)")) << "self must be a LevelEditor";
}

}  // namespace
