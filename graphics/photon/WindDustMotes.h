#pragma once
// 512 motes that appear around a point, are blown along a wind direction and fade in and out
// over a short random life. GateDust runs that cycle itself; PlayerSuperTrail only lays the
// motes out and leaves their re-emission to a script.
#include <cstdint>
#include <memory>

#include "core/Vector.h"
#include "graphics/photon/ParticleSystem.h"
#include "runtime/InterpolatorSystem.h"

namespace Aperture::Photon {

class WindDustMotes : public ParticleSystem {
public:
    static constexpr uint32_t kMotes = 512;
    static constexpr float kCullRadius = 250.0f;

    WindDustMotes();
    void VSerialize(SD::IStream& stream, int version) override;
    void Start() override;
    // (Re-)emits mote i around the wind position; out of range indices are ignored.
    void InitParticle(uint32_t i);

    SD::InterpolatorF& GetFade(uint32_t i) { return fades[i]; }
    float* GetExtras(uint32_t i) { return particleExtras[i]; }
    const SD::Vec4& GetBaseColor(uint32_t i) const { return baseColor[i]; }
    void SetWind(const SD::Vec3& direction, const SD::Vec3& position) {
        windDirection = direction;
        windPosition = position;
    }
    void SetDust(const SD::Vec3& color, float spread) {
        dustColor = color;
        this->spread = spread;
    }

protected:
    // Each fade links itself into the interpolator system for the component's life.
    std::unique_ptr<SD::InterpolatorF[]> fades;
    SD::Vec4 baseColor[kMotes];
    SD::Vec3 windDirection{0.0f, 0.0f, 0.0f};
    SD::Vec3 windPosition{0.0f, 0.0f, 0.0f};
    SD::Vec3 dustColor{0.0f, 0.0f, 0.0f};
    float spread = 0.0f;
};

// Driven by its script: the motes stay as emitted until the script re-emits them.
class PlayerSuperTrail : public WindDustMotes {
public:
    PlayerSuperTrail() { SetID(VGetID()); }
    SD::ComponentID VGetID() const override { return SD::CID_PlayerSuperTrail; }
};

// Moves, fades and re-emits its motes every frame.
class GateDust : public WindDustMotes {
public:
    GateDust() { SetID(VGetID()); }
    SD::ComponentID VGetID() const override { return SD::CID_GateDust; }
    void Update(float dt) override;
};

}  // namespace Aperture::Photon
