// The game's component classes join start-up under their names and numbers.
#include <gtest/gtest.h>

#include <memory>

#include "GameTestSupport.h"
#include "game/GameRegistration.h"
#include "game/components/WorldHooks.h"
#include "runtime/Registration.h"

namespace {

TEST(GameRegistration, TheWorldLogicClassesRegisterUnderTheirNamesAndNumbers) {
    QV::SetWorldHooks(nullptr);
    SD::Registrations registrations;
    QV::SupplyGameClasses(registrations);
    SD::Factory_ factory(16);
    const std::vector<std::string> registered = registrations.RegisterComponents(factory);
    const std::pair<const char*, unsigned> expected[] = {
        {"CursorLogic", 19}, {"Firefly", 25}, {"FloatingLogic", 22}, {"SpawnLogic", 35}, {"Spawner", 51},
        {"Trigger", 56},     {"GroupSpawner", 57},  {"SpinningLogic", 104}, {"PulsingLightLogic", 61},
        {"FloatingLightLogic", 100}, {"FadeInLightLogic", 106}, {"CircularSpinningLightLogic", 99},
        {"SimpleTombstoneLogic", 102}, {"ShortTombstone", 62}, {"MainTombstone", 71}, {"FlowerCollection", 33},
    };
    for (const auto& [name, id] : expected) {
        SD::ComponentID found;
        ASSERT_TRUE(factory.FindComponentID(name, &found)) << name;
        EXPECT_EQ(found, id) << name;
        SD::Component* made = factory.CreateComponent(static_cast<SD::ComponentID>(id));
        ASSERT_NE(made, nullptr) << name;
        EXPECT_EQ(made->VGetID(), id) << name;
        factory.DestroyComponent(made);
    }
    // In the registration order, the HUD's widgets among them: the floating logic comes before the
    // spawners, the spinner last.
    EXPECT_EQ(registered, (std::vector<std::string>{
                              "CursorLogic", "FloatingLogic", "Firefly", "Button", "FlowerCollection", "SpawnLogic", "HudCollector",
                              "HudFade", "CheckBox", "Slider", "Spawner", "Trigger", "GroupSpawner",
                              "PulsingLightLogic", "ShortTombstone", "MainTombstone", "CircularSpinningLightLogic",
                              "FloatingLightLogic", "SimpleTombstoneLogic", "SpinningLogic", "FadeInLightLogic"}));
    factory.Shutdown();
    // The spawners reach the firefly manager through the installed world hooks.
    EXPECT_TRUE(QV::WorldHooksInstalled());
    QV::SetWorldHooks(nullptr);
}

}  // namespace
