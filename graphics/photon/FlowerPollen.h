#pragma once
// 64 pollen grains drifting from a point of a flower head, tinted by a configurable colour.
// Draws nothing until the game layer enables it (before registering it).
#include "core/Vector.h"
#include "graphics/photon/ParticleSystem.h"

namespace Aperture::Photon {

class FlowerPollen : public ParticleSystem {
public:
    static constexpr uint32_t kGrains = 64;
    // Where the grains leave the flower, in the flower's frame.
    static constexpr float kHeadX = 7.745f;
    static constexpr float kHeadY = 27.2433f;

    FlowerPollen() { SetID(VGetID()); }
    SD::ComponentID VGetID() const override { return SD::CID_FlowerPollen; }
    void VSerialize(SD::IStream& stream, int version) override;
    void Start() override;
    void Update(float dt) override;

    void SetEnabled(bool on) { enabled = on; }
    void SetPollenColor(const SD::Vec4& color) { pollenColor = color; }
    float GetGrainLifetime(uint32_t i) const { return grainLifetime[i]; }

private:
    void Respawn(uint32_t i);

    SD::Vec4 pollenColor{0.0f, 0.0f, 0.0f, 0.0f};
    bool enabled = false;
    float phase = 0.0f;
    SD::Vec4 baseColor[kGrains];
    float grainAge[kGrains] = {};
    float grainLifetime[kGrains] = {};
};

}  // namespace Aperture::Photon
