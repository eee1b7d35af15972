#pragma once
// Pollen-like dust rising out of the grass near the player. The grass builder adds spawn
// points while it places grass; the grass pass enables it once. Inactive until then.
#include <vector>

#include "core/Vector.h"
#include "graphics/photon/ParticleSystem.h"

namespace Aperture::Photon {

class GrassDust : public ParticleSystem {
public:
    static constexpr float kStartDelay = 2.5f;
    // Dust is visible within about this distance of the player: f = this / squared distance.
    static constexpr float kVisibility = 2000000.0f;

    GrassDust();
    SD::ComponentID VGetID() const override { return SD::kGrassDustID; }
    int VGetVersion() const override { return 1; }
    void VSerialize(SD::IStream&, int) override { cullRadius = 5000.0f; }
    void Start() override;
    void Update(float dt) override;

    void AddSpawnPoint(const SD::Vec3& position) { spawnPoints.push_back(position); }
    // What the grass pass does once: enable, wait kStartDelay seconds, start.
    void Enable();
    bool IsEnabled() const { return enabled; }
    const SD::Vec3& GetSpawnPosition(uint32_t i) const { return spawnPosition[i]; }

private:
    void Respawn(uint32_t i);

    SD::Vec3 initialVelocity[kMaxParticles];
    SD::Vec4 baseColor[kMaxParticles];
    SD::Vec3 spawnPosition[kMaxParticles];
    bool enabled = false;
    float startDelay = 0.0f;
    std::vector<SD::Vec3> spawnPoints;
};

}  // namespace Aperture::Photon
