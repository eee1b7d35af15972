// Scripts and triggers: the trigger's script function runs with its object when it fires (a
// script error is printed and the actions still run), and scripts re-arm a trigger.
#include <gtest/gtest.h>

#include <lua.hpp>

#include "WorldTestSupport.h"
#include "engine/LuaTestSupport.h"
#include "engine/ObjectBindings.h"
#include "game/GameRegistration.h"
#include "runtime/Registration.h"

namespace {

using namespace worldtest;

class TriggerScriptTest : public WorldFixture {
protected:
    TriggerScriptTest() {
        QV::SupplyGameClasses(registrations);
        lua = std::make_unique<luatest::LuaHost>();
        Blueprints(
            Blueprint("Player", TransformXml({}) + BodyXml(1, {0, 50, 0}) + SphereXml(1, 0.5f)) +
            Blueprint("Shrine", TransformXml({}) + GhostBoxXml(5) + TriggerXml({"BoostPlayerEvent"}, "OnShrine")) +
            Blueprint("Broken", TransformXml({}) + GhostBoxXml(5) + TriggerXml({"BoostPlayerEvent"}, "Missing")));
    }
    void Touch(SD::GameObject* player) {
        Place(player, {0, 0, 0});
        Frame(kStep);
        Place(player, {100, 0, 0});
    }
    SD::Registrations registrations;
    std::unique_ptr<luatest::LuaHost> lua;
    WorldSound sound;
};

TEST_F(TriggerScriptTest, TheScriptFunctionGetsTheTriggersObjectBeforeTheActionsRun) {
    ASSERT_TRUE(lua->Run("calls = 0\nfunction OnShrine(object) calls = calls + 1 seen = object:GetName() end\n"));
    SD::GameObject* shrine = Spawn("Shrine", "Shrine");
    SD::GameObject* player = Spawn("Player", "Player", {100, 0, 0});
    Physics().BuildTree();
    Touch(player);
    EXPECT_EQ(lua->Number("calls"), 1.0);
    EXPECT_EQ(lua->Text("seen"), "Shrine");
    EXPECT_EQ(sound.Sounds(), std::vector<std::string>{"sound Play_Flower"});

    // Re-armed by a script, it fires again on the next touch.
    SD::PushComponent(lua->host.L, Get<QV::Trigger>(shrine, SD::CID_Trigger));
    lua_setglobal(lua->host.L, "trigger");
    ASSERT_TRUE(lua->Run("trigger:ResetTrigger()"));
    EXPECT_FALSE(Get<QV::Trigger>(shrine, SD::CID_Trigger)->IsFired());
    Touch(player);
    EXPECT_EQ(lua->Number("calls"), 2.0);

    // A trigger whose object is gone: the call is reported and nothing else happens.
    factory.DestroyGameObject(shrine);
    factory.Update(0.0f);
    luatest::StdoutCapture out;
    ASSERT_TRUE(lua->Run("trigger:ResetTrigger()"));
    EXPECT_NE(out.Text().find("Attempting to call 'Trigger::ResetTrigger' with this pointer being NULL."),
              std::string::npos);
}

TEST_F(TriggerScriptTest, AFailingScriptFunctionIsPrintedAndTheActionsStillRun) {
    SD::GameObject* broken = Spawn("Broken", "Broken");
    SD::GameObject* player = Spawn("Player", "Player", {100, 0, 0});
    Physics().BuildTree();
    Touch(player);
    EXPECT_TRUE(Get<QV::Trigger>(broken, SD::CID_Trigger)->IsFired());
    EXPECT_EQ(sound.Sounds(), std::vector<std::string>{"sound Play_Flower"});
}

}  // namespace
