// Scripts reach the HUD system through its "HudSystem" script class, and start-up gets the HUD
// classes and the front-end states from the game layer.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "HudTestSupport.h"
#include "game/GameRegistration.h"
#include "game/states/LoadLevel.h"
#include "runtime/GameStateManager.h"
#include "runtime/Registration.h"

namespace {

class HudScript : public hudtest::HudFixture {
protected:
    HudScript() {
        SD::Registrations registrations;
        QV::SupplyGameClasses(registrations);
        scripts = std::make_unique<luatest::LuaHost>();
        scripts->host.SetFolder("../Assets/LuaScripts/");
    }
    void SetUp() override { Start(); }
    std::unique_ptr<luatest::LuaHost> scripts;
};

TEST_F(HudScript, ScriptsOpenHudsAndAreToldOfAMissingOne) {
    ASSERT_TRUE(
        scripts->Run("h = HudSystem.GetInstance()\n"
                     "m = h:CreateHud('PromptToQuit')\n"
                     "made = not IsNil(m) and m:GetBlueprintName()\n"
                     "missing = IsNil(h:CreateHud('NoSuchHud'))\n"));
    EXPECT_EQ(scripts->Text("made"), "Hud/PromptToQuit");
    EXPECT_TRUE(scripts->Boolean("missing"));
    bool ran = false;
    const std::string printed = scripts->RunPrinted("HudSystem.GetInstance():ChangeRes(nil)", &ran);
    EXPECT_FALSE(ran) << "a GameObject is required";
    EXPECT_NE(printed.find("GameObject"), std::string::npos) << printed;
}

TEST(GameRegistration, SuppliesTheHudAndTheFrontEndStatesAndSendsLoadingOnToTheMenu) {
    SD::Registrations registrations;
    QV::SupplyGameClasses(registrations);
    const auto levels = registrations.SuppliedLevels();
    for (const char* state : {"SplashLevel", "LoadLevel", "MainMenu", "Credits"})
        EXPECT_NE(std::find(levels.begin(), levels.end(), state), levels.end()) << state;
    const auto kinds = registrations.SuppliedComponents();
    for (const char* widget : {"Button", "HudCollector", "CheckBox", "Slider"})
        EXPECT_TRUE(std::any_of(kinds.begin(), kinds.end(), [&](const auto& kind) { return kind.name == widget; }))
            << widget;
    SD::GameStateManager_ states;
    registrations.RegisterLevels(states);
    registrations.ChooseFirstState(states);
    auto* loading = dynamic_cast<QV::LoadLevel*>(states.FindLevel("LoadLevel"));
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(loading->GetNextLevel(), "MainMenu");
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("SplashLevel"));
}

}  // namespace
