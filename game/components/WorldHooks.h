#pragma once
// What the world logic asks of the parts of the game that join it separately: the graphics
// effects (rain, stars, sparkles), the fireflies and their manager, and the season system.
// Each installs its part when it joins; until then the defaults change nothing, answer "none",
// keep the season blend here, and the do-nothing ones note their call (game/EmptyHook.h).
#include <cstdint>

#include "core/Vector.h"
#include "game/EmptyHook.h"

namespace SD {
class GameObject;
}

namespace QV {

class WorldHooks {
public:
    virtual ~WorldHooks() = default;

    // The season system's storm: how dark the sky is (0 to 1), and a lightning flash.
    virtual void SetStormDarkness(float darkness) {
        (void)darkness;
        NoteEmptyHook("WorldHooks::SetStormDarkness");
    }
    virtual void FlashLightning() { NoteEmptyHook("WorldHooks::FlashLightning"); }
    // The season system's current season name ("Summer", ...).
    virtual const char* GetSeasonName() {
        NoteEmptyHook("WorldHooks::GetSeasonName");
        return "";
    }
    // The graphics season blend: 0 shows spring, 1 summer.
    virtual float GetSeasonBlend() { return seasonBlend_; }
    virtual void SetSeasonBlend(float blend) { seasonBlend_ = blend; }
    // Switches an object's rain particle effect.
    virtual void SetRainActive(SD::GameObject* object, bool active) {
        NoteEmptyHook("WorldHooks::SetRainActive");
        (void)object;
        (void)active;
    }
    // Turns the twinkling stars of an object about the sky's axis.
    virtual void TurnStars(SD::GameObject* object, float angle) {
        NoteEmptyHook("WorldHooks::TurnStars");
        (void)object;
        (void)angle;
    }

    // Collecting a firefly: the sparkles shown where it is, and its flight to the player.
    virtual void ShowCollectionSparkles(SD::GameObject* firefly) {
        (void)firefly;
        NoteEmptyHook("WorldHooks::ShowCollectionSparkles");
    }
    virtual void SendFireflyToPlayer(SD::GameObject* firefly) {
        (void)firefly;
        NoteEmptyHook("WorldHooks::SendFireflyToPlayer");
    }

    // A firefly of the colour index (1 pink, 2 green, 3 blue, 4 yellow) made by the firefly
    // manager at `at`, with a behaviour to start (null for its default); null when none was made.
    virtual SD::GameObject* SpawnFirefly(const SD::Vec3& at, const SD::Vec3& spawnerPosition, int colour,
                                         const char* behaviour) {
        NoteEmptyHook("WorldHooks::SpawnFirefly");
        (void)at;
        (void)spawnerPosition;
        (void)colour;
        (void)behaviour;
        return nullptr;
    }
    // Gives a spawned firefly its path scale and force, and the behaviour of its idle lane.
    virtual void ConfigureFirefly(SD::GameObject* firefly, const SD::Vec3& pathScale, const SD::Vec3& pathForce,
                                  const char* idleBehaviour) {
        NoteEmptyHook("WorldHooks::ConfigureFirefly");
        (void)firefly;
        (void)pathScale;
        (void)pathForce;
        (void)idleBehaviour;
    }

private:
    float seasonBlend_ = 0.0f;
};

// The installed hooks (the defaults when none are installed).
WorldHooks& GetWorldHooks();
// Installs hooks the caller keeps alive; null restores the defaults.
void SetWorldHooks(WorldHooks* hooks);
bool WorldHooksInstalled();

}  // namespace QV
