#pragma once
// What the play states need of the layers that join the game separately: the player's vehicle,
// its effects, the game's sound logic, the renderer's scene, the season cycle, the fireflies and
// the narration. Each hook is empty until its provider installs it; an empty hook changes
// nothing, so the states run (without those parts) before the parts arrive.
#include <functional>
#include <string>

namespace SD {
class GameObject;
}

namespace QV {

struct PlayHooks {
    // The vehicle answers to its bindings only while its controls are enabled.
    std::function<void(SD::GameObject& player, bool enabled)> setControlsEnabled;
    // An effect on `effectOwner` (dust, stars) follows `follow`.
    std::function<void(SD::GameObject& effectOwner, SD::GameObject& follow)> setEffectFollow;
    // A sprite of that texture on an object made by a state (the intro's slides).
    std::function<void(SD::GameObject& object, const std::string& texture)> addSprite;
    // The sound logic: its music state and its first smoothed target level.
    std::function<void(int state)> setMusicState;
    std::function<void(float level)> setFirstTargetLevel;
    // The renderer's scene set-up for the world (a value reset and the scene flag).
    std::function<void()> prepareWorldScene;
    // The season cycle: back to the start of spring; whether the game has ended.
    std::function<void()> resetSeasonCycle;
    std::function<bool()> isEndOfGame;
    // The firefly manager's call at the start of the world.
    std::function<void()> startOfWorld;
    // A firefly detached from its spawner takes the spawner's release setting.
    std::function<void(SD::GameObject& firefly, SD::GameObject& spawner)> releaseFirefly;
    // The narration trigger shows its line.
    std::function<void(SD::GameObject& trigger)> showNarration;
};

PlayHooks& GetPlayHooks();

// The end-of-game flag: the season cycle's when its query is installed, else a flag kept here for
// states run without the season cycle.
bool IsEndOfGame();
void SetEndOfGame(bool ended);

}  // namespace QV
