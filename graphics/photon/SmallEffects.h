#pragma once
// Six small point-sprite effects: a glowing trail behind a moving object, a test fountain, a
// circle that stays dark, a burst of dirt motes, the moon's glow and a stream of bubbles.
#include <cstdint>

#include "core/Vector.h"
#include "graphics/photon/ParticleSystem.h"

namespace Aperture::Photon {

// 512 points laid behind the object whenever it has moved; each rises, sinks and fades.
class VineTrail : public ParticleSystem {
public:
    static constexpr uint32_t kPoints = 512;
    VineTrail() { SetID(VGetID()); }
    SD::ComponentID VGetID() const override { return SD::kVineTrailID; }
    void VSerialize(SD::IStream&, int) override {}
    void Start() override;
    void Update(float dt) override;

private:
    // Twice the owner geometry's colour (black without one).
    SD::Vec3 TrailColor() const;
    uint32_t head = 0;
};

// 128 white sparks flying out from the object and respawning when their life ends.
class ParticleTester : public ParticleSystem {
public:
    static constexpr uint32_t kSparks = 128;
    ParticleTester() { SetID(VGetID()); }
    SD::ComponentID VGetID() const override { return SD::kParticleTesterID; }
    void VSerialize(SD::IStream&, int) override { cullRadius = 50.0f; }
    void Start() override;
    void Update(float dt) override;

private:
    void Respawn(uint32_t i);
    SD::Vec3 emitter{0.0f, 0.0f, 0.0f};
};

// Kept for the levels that name it: nothing enables it, so it draws nothing.
class CircleEffect : public ParticleSystem {
public:
    CircleEffect() { SetID(VGetID()); }
    SD::ComponentID VGetID() const override { return SD::CID_CircleEffect; }
    void VSerialize(SD::IStream&, int) override { cullRadius = 250.0f; }
};

// Up to 64 motes placed around the object at initialisation, never moving.
class DirtParticles : public ParticleSystem {
public:
    static constexpr uint32_t kMaxMotes = 64;
    static constexpr uint32_t kMotesPerEmit = 50;
    DirtParticles() { SetID(VGetID()); }
    SD::ComponentID VGetID() const override { return SD::CID_DirtParticles; }
    void VInitialize(bool fromScript) override;

private:
    void Emit();
    SD::Vec3 center{0.0f, 0.0f, 0.0f};
};

// One large glow sprite following the object.
class MoonGlow : public ParticleSystem {
public:
    MoonGlow() { SetID(VGetID()); }
    SD::ComponentID VGetID() const override { return SD::kMoonGlowID; }
    void VSerialize(SD::IStream& stream, int version) override;
    void Start() override;
    void Update(float dt) override;
    void SetGlowSize(float size) { glowSize = size; }

private:
    float glowSize = 0.0f;
};

// Bubbles drifting outwards from a point, full up to 60 units out and gone at 200.
class BubbleEffect : public ParticleSystem {
public:
    static constexpr float kSpawnRate = 128.0f;
    BubbleEffect() { SetID(VGetID()); }
    SD::ComponentID VGetID() const override { return SD::kBubbleEffectID; }
    void VSerialize(SD::IStream&, int) override {}
    void Start() override;
    void Update(float dt) override;
    // The share of full size and opacity of a bubble d units from the centre.
    static float Fade(float d);

private:
    void Spawn();
    SD::Vec3 center{0.0f, 0.0f, 0.0f};
    uint32_t head = 0;
};

}  // namespace Aperture::Photon
