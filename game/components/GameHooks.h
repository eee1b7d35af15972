#pragma once
// The world hooks the game installs at start-up: spawners reach the firefly manager, trigger
// actions the fireflies, and the world logic the effects of objects through them.
#include "game/components/WorldHooks.h"

namespace QV {

class GameHooks : public WorldHooks {
public:
    // A firefly of the colour in a new group about the spawner, placed at `at`.
    SD::GameObject* SpawnFirefly(const SD::Vec3& at, const SD::Vec3& spawnerPosition, int colour,
                                 const char* behaviour) override;
    void ConfigureFirefly(SD::GameObject* firefly, const SD::Vec3& pathScale, const SD::Vec3& pathForce,
                          const char* idleBehaviour) override;

    // The season system's storm, lightning, season at the player and spring-to-summer weight.
    void SetStormDarkness(float darkness) override;
    void FlashLightning() override;
    const char* GetSeasonName() override;
    float GetSeasonBlend() override;
    void SetSeasonBlend(float blend) override;

    // The object's rain effect switched; the sky's stars turned.
    void SetRainActive(SD::GameObject* object, bool active) override;
    void TurnStars(SD::GameObject* object, float angle) override;
    // A burst of sparkles in the firefly's colour where it is; its flight to the player.
    void ShowCollectionSparkles(SD::GameObject* firefly) override;
    void SendFireflyToPlayer(SD::GameObject* firefly) override;
};

}  // namespace QV
