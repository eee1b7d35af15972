// The game's component classes join start-up under their names and numbers.
#include <gtest/gtest.h>

#include <memory>

#include "GameTestSupport.h"
#include "engine/GameObject.h"
#include "game/GameRegistration.h"
#include "runtime/Registration.h"

namespace {

TEST(GameRegistration, TheWorldLogicClassesRegisterUnderTheirNamesAndNumbers) {
    SD::Registrations registrations;
    QV::SupplyGameClasses(registrations);
    SD::Factory_ factory(16);
    const std::vector<std::string> registered = registrations.RegisterComponents(factory);
    const std::pair<const char*, unsigned> expected[] = {
        {"CursorLogic", 19},
        {"Firefly", 25},
        {"FloatingLogic", 22},
        {"SpawnLogic", 35},
        {"Spawner", 51},
        {"Trigger", 56},
        {"GroupSpawner", 57},
        {"SpinningLogic", 104},
        {"PulsingLightLogic", 61},
        {"FloatingLightLogic", 100},
        {"FadeInLightLogic", 106},
        {"CircularSpinningLightLogic", 99},
        {"SimpleTombstoneLogic", 102},
        {"ShortTombstone", 62},
        {"MainTombstone", 71},
        {"TallTombstoneLogic", 63},
        {"WindLogic", 65},
        {"WindTubeLogic", 66},
        {"WindTrigger", 75},
        {"SeasonTransitionLogic", 80},
        {"SeasonalColorInterpLogic", 82},
        {"RainLogic", 88},
        {"MoonLogic", 101},
        {"SyncLogic", 95},
        {"HackProximitySpawn", 107},
        {"CameraTransitionTrigger", 93},
        {"HudFadeTrigger", 84},
        {"Collector", 72},
        {"QuorvPhantom", 68},
        {"FloatingIslandGlowLogic", 111},
        {"CrystalLogic", 109},
        {"MountainSplitLogic", 81},
        {"FloatingIslandLogic", 98},
        {"RingTreeWindStreamLogic", 94},
        {"QuorvantaLogic", 48},
        {"FloatingBulbLogic", 70},
        {"LilyPadLogic", 64},
        {"GrassPatchLogic", 60},
        {"NaiveGrassBillboardLogic", 55},
        {"StarfallTreeLeafLogic", 52},
        {"SummerStarfallTreeLeafLogic", 59},
        {"SpringStarfallTreeLeafLogic", 58},
        {"CloudLogic", 49},
        {"FlowerCollection", 33},
        {"PlayerLogic", 12},
        {"VernholmCameraLogic", 23},
        {"ObscuraCameraLogic", 67},
        {"DataBarController", 74},
        {"PimselCamera", 78},
        {"DustSystem", 27},
        {"FireflyDust", 36},
        {"CrystalMist", 45},
        {"Collider2D", 30},
        {"ShaderWind", 69},
        {"SafeZone", 89},
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
    // In the registration order, the HUD's widgets among them.
    EXPECT_EQ(registered, (std::vector<std::string>{"PlayerLogic",
                                                    "CursorLogic",
                                                    "FloatingLogic",
                                                    "VernholmCameraLogic",
                                                    "Firefly",
                                                    "DustSystem",
                                                    "Button",
                                                    "Collider2D",
                                                    "FlowerCollection",
                                                    "SpawnLogic",
                                                    "FireflyDust",
                                                    "HudCollector",
                                                    "HudFade",
                                                    "CheckBox",
                                                    "Slider",
                                                    "CrystalMist",
                                                    "QuorvantaLogic",
                                                    "CloudLogic",
                                                    "Spawner",
                                                    "StarfallTreeLeafLogic",
                                                    "NaiveGrassBillboardLogic",
                                                    "Trigger",
                                                    "GroupSpawner",
                                                    "SpringStarfallTreeLeafLogic",
                                                    "SummerStarfallTreeLeafLogic",
                                                    "GrassPatchLogic",
                                                    "PulsingLightLogic",
                                                    "WindLogic",
                                                    "ShortTombstone",
                                                    "TallTombstoneLogic",
                                                    "LilyPadLogic",
                                                    "WindTubeLogic",
                                                    "ObscuraCameraLogic",
                                                    "ShaderWind",
                                                    "QuorvPhantom",
                                                    "FloatingBulbLogic",
                                                    "Collector",
                                                    "MainTombstone",
                                                    "WindTrigger",
                                                    "DataBarController",
                                                    "PimselCamera",
                                                    "SeasonTransitionLogic",
                                                    "MountainSplitLogic",
                                                    "SeasonalColorInterpLogic",
                                                    "HudFadeTrigger",
                                                    "RainLogic",
                                                    "SafeZone",
                                                    "CameraTransitionTrigger",
                                                    "RingTreeWindStreamLogic",
                                                    "SyncLogic",
                                                    "FloatingIslandLogic",
                                                    "CircularSpinningLightLogic",
                                                    "FloatingLightLogic",
                                                    "MoonLogic",
                                                    "SimpleTombstoneLogic",
                                                    "SpinningLogic",
                                                    "FadeInLightLogic",
                                                    "HackProximitySpawn",
                                                    "CrystalLogic",
                                                    "FloatingIslandGlowLogic"}));
    factory.Shutdown();
}

}  // namespace
