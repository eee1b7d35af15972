#include "graphics/photon/MistEffects.h"

#include <cmath>

#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "graphics/photon/EffectSupport.h"

namespace Aperture::Photon {
namespace {

constexpr float kPausedFrame = 0.0001f;
const SD::Vec4 kWhite(1.0f, 1.0f, 1.0f, 1.0f);

SD::Vec3 SafeNormal(const SD::Vec3& v) { return v.LengthSq() > 0.0f ? v.GetNormalized() : v; }

}  // namespace

void FallAxes::Take(const SD::Mtx33& m) {
    side = SafeNormal(m.GetColumn(0));
    up = SafeNormal(m.GetColumn(1));
    depth = SafeNormal(m.GetColumn(2));
}

void DriftingMist::Emit(uint32_t i, const SD::Vec3& position, const SD::Vec4& color, float life, const SD::Vec3& push,
                        float size) {
    Particle& p = particles[i];
    p.position = position;
    p.color = baseColor[i] = color;
    p.lifetime = p.age = life;
    p.velocity = savedVelocities[i] = push;
    p.size = savedSizes[i] = size;
}

bool DriftingMist::Drift(uint32_t i, float dt, float* lifeShare) {
    Particle& p = particles[i];
    if (p.age < 0.001f) return false;
    const float f = p.lifetime > 0.0f ? p.age / p.lifetime : 0.0f;
    p.age -= dt;
    savedVelocities[i] *= f;
    p.position += p.velocity * dt;
    p.velocity += savedVelocities[i] * dt;
    *lifeShare = f;
    return true;
}

Fog::Fog() {
    SetID(VGetID());
    particleCount = kPuffs;
}

void Fog::InitParticle(uint32_t i, const SD::Vec3& origin) {
    particles[i].slice = 1.0f;
    const SD::Vec3 at = origin + SD::RandomVec3(-200.0f, 200.0f, -20.0f, 20.0f, -200.0f, 200.0f);
    const float g = Uniform(0.1f, 0.5f);
    const float life = 30.0f * Uniform(0.0f, 0.75f) + 22.5f;
    const SD::Vec3 push = SD::RandomVec3(-0.1f, 0.1f, 0.0f, 0.75f, -0.1f, 0.1f) * 2.5f;
    Emit(i, at, SD::Vec4(g, g, g, g), life, push, Uniform(500.0f, 1000.0f));
}

void Fog::Start() {
    particleCount = kPuffs;
    const SD::Vec3 p = OwnerPosition();
    for (uint32_t i = 0; i < kPuffs; ++i) InitParticle(i, p);
}

void Fog::Update(float dt) {
    const SD::Vec3 origin = OwnerPosition();
    for (uint32_t i = 0; i < particleCount; ++i) {
        float f = 0.0f;
        if (!Drift(i, dt, &f)) {
            InitParticle(i, origin);
            continue;
        }
        particles[i].color = baseColor[i] * f;
        particles[i].size = savedSizes[i] * f;
    }
}

WaterfallMist::WaterfallMist() {
    SetID(VGetID());
    particleCount = kPuffs;
}

SD::Vec3 WaterfallMist::MistOrigin() const {
    const SD::Vec3 scale = GetOwner() ? GetOwner()->GetTransform().GetScale() : SD::Vec3(1.0f, 1.0f, 1.0f);
    return OwnerWorldPosition() + axes.side * (0.25f * scale.x) - axes.up * (scale.y / 3.0f);
}

void WaterfallMist::InitParticle(uint32_t i, const SD::Vec3& origin) {
    const float sx = GetOwner() ? GetOwner()->GetTransform().GetScaleX() : 1.0f;
    const float b = 2.75f * Uniform(0.0f, 0.3f) + 1.7875f;
    SD::Vec3 offset = axes.side * Uniform(-0.25f * sx, 0.25f * sx);
    offset += axes.up * Uniform(-10.0f, 10.0f);
    offset += axes.depth * Uniform(-160.0f, 160.0f);
    SD::Vec3 push = axes.side * Uniform(-15.0f, 15.0f);
    push += axes.up * Uniform(15.0f, 35.0f);
    push += axes.depth * Uniform(-15.0f, 15.0f);
    const SD::Vec4 color(b - 0.2f, b + 0.2f, b + 0.2f, Uniform(0.05f, 0.1f));
    const float life = Uniform(7.5f, 25.0f);
    Emit(i, origin + offset, color, life, push, 5.0f * Uniform(0.0f, 1.0f));
}

void WaterfallMist::Start() {
    particleCount = kPuffs;
    if (GetOwner()) axes.Take(GetOwner()->GetTransform().GetOrient());
    const SD::Vec3 m = MistOrigin();
    for (uint32_t i = 0; i < kPuffs; ++i) {
        particles[i].slice = 1.0f;
        InitParticle(i, m);
    }
}

void WaterfallMist::Update(float dt) {
    if (!(dt > kPausedFrame)) return;
    const SD::Vec3 m = MistOrigin();
    const float a = OwnerColor(kWhite).w;
    for (uint32_t i = 0; i < particleCount; ++i) {
        float f = 0.0f;
        if (particles[i].size < 0.0001f || !Drift(i, dt, &f)) {
            InitParticle(i, m);
            continue;
        }
        particles[i].color.w = baseColor[i].w * a * f;
        particles[i].size = savedSizes[i] * a * f * f;
    }
}

WaterfallEffect::WaterfallEffect() {
    SetID(VGetID());
    particleCount = kDrops;
}

SD::Vec3 WaterfallEffect::OwnerScale() const {
    return GetOwner() ? GetOwner()->GetTransform().GetScale() : SD::Vec3(1.0f, 1.0f, 1.0f);
}

SD::Vec3 WaterfallEffect::FallOrigin() const {
    const SD::Vec3 s = OwnerScale();
    return OwnerWorldPosition() + axes.side * (0.25f * s.x) - axes.up * (0.25f * s.y);
}

void WaterfallEffect::InitParticle(uint32_t i, const SD::Vec3& origin) {
    const SD::Vec3 s = OwnerScale();
    Particle& p = particles[i];
    SD::Vec3 at = origin + axes.side * Uniform(-0.125f * s.x, 0.125f * s.x);
    at += axes.up * Uniform(-0.25f * s.y, 0.25f * s.y);
    at += axes.depth * Uniform(-0.5f * s.z, 0.5f * s.z);
    p.position = at;
    const float b = Uniform(0.55f, 0.85f);
    p.color = SD::Vec4(b - 0.2f, b + 0.2f, b + 0.2f, Uniform(0.05f, 0.1f));
    p.size = Uniform(0.02f * s.x, 0.05f * s.x);
}

void WaterfallEffect::Start() {
    particleCount = kDrops;
    if (GetOwner()) axes.Take(GetOwner()->GetTransform().GetOrient());
    const SD::Vec3 f = FallOrigin();
    const float sy = OwnerScale().y;
    for (uint32_t i = 0; i < kDrops; ++i) {
        particles[i].slice = 1.0f;
        InitParticle(i, f);
        particles[i].position -= axes.up * Uniform(0.0f, sy / 3.0f);
    }
}

void WaterfallEffect::Update(float dt) {
    if (!(dt > kPausedFrame)) return;
    const SD::Vec3 f = FallOrigin();
    const float sy = OwnerScale().y;
    const float a = OwnerColor(kWhite).w;
    const float clock = static_cast<float>(EngineClock());
    const float wx = 0.15f * std::sin(clock);
    const float wz = 0.15f * std::cos(clock);
    const float fall = 375.0f * dt;
    const float d0 = 0.01f * sy * sy;
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        p.position += axes.side * wx;
        p.position += axes.depth * wz;
        p.position -= axes.up * fall;
        const float d2 = (p.position - f).LengthSq();
        const float whiten = 2.5e-7f * d2;
        p.color += SD::Vec4(whiten, whiten, whiten, whiten);
        p.color.w = Uniform(0.05f, 0.1f) * a;
        if (d2 > Uniform(d0, d0 + 10000.0f)) InitParticle(i, f);
    }
}

}  // namespace Aperture::Photon
