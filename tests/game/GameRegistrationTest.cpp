// The game's component classes join start-up under their names and numbers, and the play
// states' hooks reach their providers.
#include <gtest/gtest.h>

#include <memory>

#include "GameTestSupport.h"
#include "engine/GameObject.h"
#include "game/GameRegistration.h"
#include "game/components/WorldHooks.h"
#include "game/fireflies/FireflyManager.h"
#include "game/states/PlayHooks.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "runtime/Registration.h"

namespace {

TEST(GameRegistration, TheWorldLogicClassesRegisterUnderTheirNamesAndNumbers) {
    QV::SetWorldHooks(nullptr);
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
    // The spawners reach the firefly manager through the installed world hooks.
    EXPECT_TRUE(QV::WorldHooksInstalled());
    QV::SetWorldHooks(nullptr);
}

}  // namespace

namespace {

TEST(GameRegistration, ThePlayHooksReachTheSoundLogicAndTheSeasonCycleAndEarlierHooksStay) {
    QV::GetPlayHooks() = QV::PlayHooks();
    int earlierState = -1;
    QV::GetPlayHooks().setMusicState = [&earlierState](int state) { earlierState = state; };
    SD::Registrations registrations;
    QV::SupplyGameClasses(registrations);
    QV::PlayHooks& hooks = QV::GetPlayHooks();
    for (bool installed :
         {bool(hooks.setControlsEnabled), bool(hooks.addSprite), bool(hooks.setFirstTargetLevel),
          bool(hooks.resetSeasonCycle), bool(hooks.isEndOfGame), bool(hooks.startOfWorld), bool(hooks.releaseFirefly)})
        EXPECT_TRUE(installed);
    // Without a firefly manager, or between objects that are not a firefly and a spawner, the
    // firefly hooks change nothing.
    ASSERT_EQ(QV::Firefly_Manager::Existing(), nullptr);
    hooks.startOfWorld();
    EXPECT_EQ(QV::Firefly_Manager::Existing(), nullptr);
    SD::GameObject plain, other;
    hooks.releaseFirefly(plain, other);

    hooks.setMusicState(3);
    EXPECT_EQ(earlierState, 3) << "a hook set before start-up stays";

    QV::AudioLogic_::GetInstance().SetRainTarget(0.7f);
    hooks.setFirstTargetLevel(0.0f);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetRainTarget(), 0.0f);

    // The play states read the end of the game from the season cycle, which a new run clears.
    QV::SowlarSystem_& seasons = QV::SowlarSystem_::GetInstance();
    EXPECT_FALSE(QV::IsEndOfGame());
    seasons.SetEndOfGame(true);
    EXPECT_TRUE(seasons.IsEndOfGame());
    EXPECT_TRUE(QV::IsEndOfGame());
    seasons.SetEndOfGame(false);
    EXPECT_FALSE(QV::IsEndOfGame());

    QV::GetPlayHooks() = QV::PlayHooks();
    QV::SowlarSystem_::DestroyInstance();
    QV::AudioLogic_::ResetForTests();
    QV::SetWorldHooks(nullptr);
}

}  // namespace
