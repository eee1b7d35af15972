#pragma once
// 1024 streaks falling through a box in front of the owner's parent object. The rain logic
// switches it on and off; switching starts or stops the rain sound. Drops in flight when it
// is switched off finish their fall but are not respawned.
#include "graphics/photon/QuadParticleSystem.h"
#include "runtime/InterpolatorSystem.h"

namespace Aperture::Photon {

class RainSystem : public QuadParticleSystem {
public:
    static constexpr float kAhead = 45.0f;
    static constexpr float kScale = 25.0f;

    RainSystem();
    SD::ComponentID VGetID() const override { return SD::CID_RainSystem; }
    void SetActive(bool flag) override;
    void Start() override;
    void Update(float dt) override;

    bool IsRaining() const { return raining; }
    float GetSpawnHalfSize() const { return spawnHalfSize; }
    // The centre of the spawn box's base: ahead of the parent (the owner itself without a
    // parent), never below height 0.
    SD::Vec3 SpawnCenter() const;
    const SD::InterpolatorF& GetFade(uint32_t i) const { return dropFades[i]; }
    float GetAlphaScale(uint32_t i) const { return alphaScale[i]; }

private:
    void Respawn(uint32_t i, const SD::Vec3& center);

    float spawnHalfSize = 500.0f;
    SD::InterpolatorF dropFades[kMaxParticles];
    float alphaScale[kMaxParticles];
    bool raining = false;
};

}  // namespace Aperture::Photon
