#pragma once
// What the HUD needs of the layers it cannot reach yet: the sprite of a widget's object
// (texture and opacity), the game's sound events and the master volume. Each hook is empty
// until a provider installs it; an empty hook skips the change (as a widget without a sprite
// does) and notes its call.
#include <cstdint>
#include <optional>
#include <string>

#include "game/EmptyHook.h"

namespace SD {
class GameObject;
}

namespace QV {

struct HudHooks {
    Hook<void(SD::GameObject&, const std::string& texture)> setTexture{"HudHooks::setTexture"};
    Hook<void(SD::GameObject&, float opacity)> setOpacity{"HudHooks::setOpacity"};
    Hook<void(SD::GameObject&, float red, float green, float blue)> setColor{"HudHooks::setColor"};
    // The opacity the object's sprite shows; none when it has no sprite.
    Hook<std::optional<float>(SD::GameObject&)> readOpacity{"HudHooks::readOpacity"};
    Hook<void(const char* event)> postSound{"HudHooks::postSound"};
    // Receives the clamped master volume after it is stored.
    Hook<void(float volume)> volumeChanged{"HudHooks::volumeChanged"};
    // Whether the display offers that resolution; every one counts as offered while empty.
    Hook<bool(uint32_t width, uint32_t height)> offersResolution{"HudHooks::offersResolution"};
    // The story steps a fading HUD object drives: the player's cinematic flag, the player's
    // fade colours, the fireflies' final sequence and the season cycle's end of the game.
    Hook<void(bool on)> setCinematic{"HudHooks::setCinematic"};
    Hook<void()> applyHudFadeColours{"HudHooks::applyHudFadeColours"};
    Hook<void()> finalSequence{"HudHooks::finalSequence"};
    Hook<void()> endOfGame{"HudHooks::endOfGame"};
};

HudHooks& GetHudHooks();

void SetSpriteTexture(SD::GameObject* object, const std::string& texture);
void SetSpriteOpacity(SD::GameObject* object, float opacity);
void SetSpriteColor(SD::GameObject* object, float red, float green, float blue);
// The opacity the object's sprite shows (what its file gave it until something set another);
// without a sprite to read, the opacity last set through the HUD (1 when none was set).
float GetSpriteOpacity(SD::GameObject* object);
void PostHudSound(const char* event);

// The master volume, 0 to 1 (1 at start); values outside are clamped.
void SetGlobalVolume(float volume);
float GetGlobalVolume();

}  // namespace QV
