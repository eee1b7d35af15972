// The real game, started through its own start-up sequence and run from the menu into the
// world: every hook the layers meet through is installed with its effect, except the few named
// as empty on purpose. Empty hooks the game calls by itself show as log lines; the rest are
// found by asking every table once the world runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "WorldRun.h"
#include "engine/GameObject.h"
#include "game/EmptyHook.h"
#include "game/components/WorldHooks.h"
#include "support/CapturedLog.h"

namespace {

// Calls every hook of the object tables once, on an object with no components; the empty hooks
// called so far.
std::vector<std::string> AskEveryHook() {
    SD::GameObject bare;
    QV::WorldHooks& world = QV::GetWorldHooks();
    SD::Vec3 position;
    world.SetStormDarkness(0.0f);
    world.FlashLightning();
    world.GetSeasonName();
    world.SetRainActive(&bare, false);
    world.TurnStars(&bare, 0.0f);
    world.ShowCollectionSparkles(&bare);
    world.SendFireflyToPlayer(&bare);
    world.ConfigureFirefly(&bare, position, position, "Still");
    world.SpawnFirefly(position, position, 1, nullptr);

    return QV::EmptyHooksCalled();
}

bool OnPurpose(const std::string& name) {
    const std::vector<std::string>& list = QV::HooksEmptyOnPurpose();
    return std::find(list.begin(), list.end(), name) != list.end();
}

TEST(HookWiring, TheRealGameLeavesNoHookEmptyButThoseNamedOnPurpose) {
    QV::ForgetEmptyHooks();
    std::vector<std::string> empty;
    int worldFrames = 0;
    qvtest::CapturedLog captured;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld([&](int frame) {
        worldFrames = frame;
        if (frame < 200) return true;
        empty = AskEveryHook();
        return false;
    });
    const std::string log = captured.Text();
    EXPECT_TRUE(summary.clean) << summary.error;
    ASSERT_GE(worldFrames, 200) << "the world ran";

    for (const std::string& name : empty) EXPECT_TRUE(OnPurpose(name)) << name << " is empty in the game";
    // Each empty hook the game called logged one line naming it.
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find("Hook ");
        const size_t end = line.find(" is empty");
        if (at == std::string::npos || end == std::string::npos) continue;
        EXPECT_TRUE(OnPurpose(line.substr(at + 5, end - at - 5))) << line;
    }
    // A hook table left at its defaults is caught: the defaults log and are noted.
    QV::ForgetEmptyHooks();
    QV::WorldHooks defaults;
    defaults.FlashLightning();
    EXPECT_EQ(QV::EmptyHooksCalled(), std::vector<std::string>{"WorldHooks::FlashLightning"});
}

}  // namespace
