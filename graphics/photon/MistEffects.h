#pragma once
// Slow puffs and falling spray around an object. Fog and the waterfall's mist share the
// decaying drift: each puff drifts while its own push decays, fades with its remaining life
// and is emitted again when that runs out. The waterfall itself is a curtain of particles
// falling along the object's down axis. The waterfalls take their axes from the owner's
// orientation at start and their size from its scale.
#include <cstdint>

#include "core/Vector.h"
#include "graphics/photon/ParticleSystem.h"

namespace Aperture::Photon {

// The per-particle records of the decaying drift; Lifetime and Age hold the full life and
// the life left.
class DriftingMist : public ParticleSystem {
public:
    // Advances particle i one frame; false when its life has run out.
    bool Drift(uint32_t i, float dt, float* lifeShare);

protected:
    void Emit(uint32_t i, const SD::Vec3& position, const SD::Vec4& color, float life, const SD::Vec3& push,
              float size);

    SD::Vec3 savedVelocities[kMaxParticles];
    SD::Vec4 baseColor[kMaxParticles];
    float savedSizes[kMaxParticles] = {};
};

class Fog : public DriftingMist {
public:
    static constexpr uint32_t kPuffs = 512;
    Fog();
    SD::ComponentID VGetID() const override { return SD::CID_Fog; }
    void VSerialize(SD::IStream&, int) override {}
    void Start() override;
    void Update(float dt) override;
    void InitParticle(uint32_t i, const SD::Vec3& origin);
};

// The waterfall's frame: side, up and depth axes taken from the owner at start.
struct FallAxes {
    SD::Vec3 up{0.0f, 0.0f, 0.0f};
    SD::Vec3 depth{0.0f, 0.0f, 0.0f};
    SD::Vec3 side{0.0f, 0.0f, 0.0f};
    void Take(const SD::Mtx33& orientation);
};

class WaterfallMist : public DriftingMist {
public:
    static constexpr uint32_t kPuffs = 256;
    WaterfallMist();
    SD::ComponentID VGetID() const override { return SD::CID_WaterfallMist; }
    int VGetVersion() const override { return 1; }
    void VSerialize(SD::IStream&, int) override {}
    void Start() override;
    void Update(float dt) override;
    void InitParticle(uint32_t i, const SD::Vec3& origin);
    SD::Vec3 MistOrigin() const;

private:
    FallAxes axes;
};

class WaterfallEffect : public ParticleSystem {
public:
    static constexpr uint32_t kDrops = 512;
    WaterfallEffect();
    SD::ComponentID VGetID() const override { return SD::CID_WaterfallEffect; }
    int VGetVersion() const override { return 1; }
    void VSerialize(SD::IStream&, int) override {}
    void Start() override;
    void Update(float dt) override;
    void InitParticle(uint32_t i, const SD::Vec3& origin);
    SD::Vec3 FallOrigin() const;

private:
    SD::Vec3 OwnerScale() const;
    FallAxes axes;
};

}  // namespace Aperture::Photon
