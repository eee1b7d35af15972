#pragma once
// What the play states need of the layers that join the game separately: the player's vehicle,
// its effects, the game's sound logic, the renderer's scene, the season cycle, the fireflies and
// the narration. Each hook is empty until its provider installs it; an empty hook changes
// nothing and notes its call, so the states run (without those parts) before the parts arrive.
#include <string>

#include "game/EmptyHook.h"

namespace SD {
class GameObject;
}

namespace QV {

struct PlayHooks {
    // The vehicle answers to its bindings only while its controls are enabled.
    Hook<void(SD::GameObject& player, bool enabled)> setControlsEnabled{"PlayHooks::setControlsEnabled"};
    // An effect on `effectOwner` (dust, stars) follows `follow`.
    Hook<void(SD::GameObject& effectOwner, SD::GameObject& follow)> setEffectFollow{"PlayHooks::setEffectFollow"};
    // A sprite of that texture on an object made by a state (the intro's slides).
    Hook<void(SD::GameObject& object, const std::string& texture)> addSprite{"PlayHooks::addSprite"};
    // The sound logic: its music state and its first smoothed target level.
    Hook<void(int state)> setMusicState{"PlayHooks::setMusicState"};
    Hook<void(float level)> setFirstTargetLevel{"PlayHooks::setFirstTargetLevel"};
    // The renderer's scene set-up for the world (a value reset and the scene flag).
    Hook<void()> prepareWorldScene{"PlayHooks::prepareWorldScene"};
    // The season cycle: back to the start of spring; whether the game has ended.
    Hook<void()> resetSeasonCycle{"PlayHooks::resetSeasonCycle"};
    Hook<bool()> isEndOfGame{"PlayHooks::isEndOfGame"};
    // The firefly manager's call at the start of the world.
    Hook<void()> startOfWorld{"PlayHooks::startOfWorld"};
    // A firefly detached from its spawner takes the spawner's release setting.
    Hook<void(SD::GameObject& firefly, SD::GameObject& spawner)> releaseFirefly{"PlayHooks::releaseFirefly"};
    // The narration trigger shows its line.
    Hook<void(SD::GameObject& trigger)> showNarration{"PlayHooks::showNarration"};
};

PlayHooks& GetPlayHooks();

// The end-of-game flag: the season cycle's when its query is installed, else a flag kept here for
// states run without the season cycle.
bool IsEndOfGame();
void SetEndOfGame(bool ended);

}  // namespace QV
