#include "graphics/photon/SmallEffects.h"

#include <algorithm>
#include <cmath>

#include "engine/ComponentID.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "graphics/components/Geometry.h"
#include "graphics/photon/EffectSupport.h"

namespace Aperture::Photon {
namespace {

constexpr float kTwoPi = 6.2831853f;

}  // namespace

SD::Vec3 VineTrail::TrailColor() const {
    auto* geometry = GetOwner() ? dynamic_cast<Geometry*>(GetOwner()->GetComponent(SD::CID_Geometry)) : nullptr;
    if (!geometry) return SD::Vec3(0.0f, 0.0f, 0.0f);
    const SD::Vec4& c = geometry->GetColor();
    return SD::Vec3(c.x, c.y, c.z) * 2.0f;
}

void VineTrail::Start() {
    particleCount = kPoints;
    const SD::Vec3 p = OwnerWorldPosition();
    const SD::Vec3 c = TrailColor();
    for (uint32_t i = 0; i < kPoints; ++i) {
        Particle& q = particles[i];
        q.position = p;
        q.color = SD::Vec4(c.x, c.y, c.z, 0.25f);
        q.slice = 1.0f;
        q.size = 1.0f;
        q.velocity.y = 0.0f;
        q.lifetime = 0.0f;
    }
    head = 0;
}

// Lifetime holds the time left; only the vertical velocity is used.
void VineTrail::Update(float dt) {
    const SD::Vec3 p = OwnerWorldPosition();
    const SD::Vec3 c = TrailColor();
    if ((p - particles[head].position).LengthSq() > 0.5f) {
        head = (head + 1) % kPoints;
        particles[head].position = p;
        particles[head].lifetime = 15.0f;
        particles[head].velocity.y = 0.0f;
    }
    const float pulse = 2.0f * (0.5f * std::sin(2.0f * static_cast<float>(EngineClock())) + 0.5f);
    for (uint32_t i = 0; i < kPoints; ++i) {
        Particle& q = particles[i];
        q.color = SD::Vec4(c.x + pulse, c.y + pulse, c.z + pulse, std::clamp(q.lifetime, 0.0f, 0.25f));
        q.position.y += q.velocity.y * dt;
        q.velocity.y -= 0.05f * dt;
        q.lifetime -= dt;
    }
}

void ParticleTester::Respawn(uint32_t i) {
    Particle& p = particles[i];
    p.age = 0.0f;
    p.lifetime = Uniform(0.25f, 3.0f);
    SD::Vec3 v = UniformVec3(-1.0f, 1.0f);
    p.velocity = v.LengthSq() > 0.0f ? v.GetNormalized() : SD::Vec3(0.0f, 1.0f, 0.0f);
    p.color = SD::Vec4(1.0f, 1.0f, 1.0f, 1.0f);
    p.position = emitter;
    p.size = 2.0f;
    p.slice = 0.5f;
}

void ParticleTester::Start() {
    emitter = OwnerPosition();
    particleCount = kSparks;
    for (uint32_t i = 0; i < kSparks; ++i) Respawn(i);
}

void ParticleTester::Update(float dt) {
    const float t = CoreFrameTime(dt);
    emitter = OwnerPosition();
    particleCount = kSparks;
    for (uint32_t i = 0; i < kSparks; ++i) {
        Particle& p = particles[i];
        p.age += t;
        if (p.age > p.lifetime)
            Respawn(i);
        else
            p.position += p.velocity * t;
    }
}

void DirtParticles::VInitialize(bool) {
    center = OwnerWorldPosition();
    Emit();
}

void DirtParticles::Emit() {
    const uint32_t n = std::min(kMaxMotes - std::min(particleCount, kMaxMotes), kMotesPerEmit);
    for (uint32_t k = 0; k < n; ++k) {
        Particle& p = particles[particleCount + k];
        const float a = Uniform(0.0f, kTwoPi);
        const float r = Uniform(1.0f, 50.0f);
        p.position = center + SD::Vec3(r * std::sin(a), r * std::cos(a), 0.0f);
        p.velocity = SD::Vec3(std::sin(a), std::cos(a), 0.0f);
        p.size = 40.0f;
        p.slice = 5.0f;
        p.lifetime = 10.0f;
    }
    particleCount += n;
}

void MoonGlow::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(glowSize, "Glow Size", "Float");
    cullRadius = 0.0f;
}

void MoonGlow::Start() {
    particleCount = 1;
    particles[0].size = glowSize;
    particles[0].color = SD::Vec4(2.0f, 2.0f, 2.0f, 2.0f);
    particles[0].position = OwnerPosition();
    particles[0].slice = 1.0f;
}

void MoonGlow::Update(float) {
    particles[0].size = glowSize;
    particles[0].position = OwnerPosition();
}

float BubbleEffect::Fade(float d) {
    if (d <= 0.0f) return 1.0f;
    return std::clamp(60.0f * (d - 200.0f) / (-140.0f * d), 0.0f, 1.0f);
}

void BubbleEffect::Start() { center = OwnerWorldPosition(); }

void BubbleEffect::Spawn() {
    Particle& p = particles[head];
    const SD::Vec3 o = UniformVec3(-20.0f, 20.0f);
    p.color = SD::Vec4(1.0f, 1.0f, 1.0f, 0.1f);
    p.position = center + o;
    p.size = 400.0f;
    p.slice = 5.0f;
    // An offset of exactly zero has no direction: that bubble stays at the centre.
    const SD::Vec3 n = o.LengthSq() > 0.0f ? o.GetNormalized() : SD::Vec3(0.0f, 0.0f, 0.0f);
    p.velocity = SD::Vec3(20.0f * n.x, 0.0f, 20.0f * n.z);
    p.lifetime = 20.0f;
    p.age = 0.0f;
    head = (head + 1) % kMaxParticles;
    particleCount = std::max(particleCount, head);
}

void BubbleEffect::Update(float dt) {
    const float t = CoreFrameTime(dt);
    const int spawns = static_cast<int>(std::lround(t * kSpawnRate));
    for (int k = 0; k < spawns; ++k) Spawn();
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        const float f = Fade((p.position - center).Length());
        p.position += p.velocity * t;
        p.size = 1024.0f * f;
        p.color.w = f;
        p.age += t;
    }
}

}  // namespace Aperture::Photon
