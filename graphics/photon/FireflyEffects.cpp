#include "graphics/photon/FireflyEffects.h"

#include <algorithm>
#include <cmath>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "graphics/photon/EffectSupport.h"

namespace Aperture::Photon {
namespace {

const SD::Vec4 kWhite(1.0f, 1.0f, 1.0f, 1.0f);

SD::Vec4 UniformVec4(float lo, float hi) { return SD::RandomVec4(lo, hi, lo, hi, lo, hi, lo, hi); }

}  // namespace

FireflyBlink::FireflyBlink() {
    SetID(VGetID());
    cullRadius = 25.0f;
    particleCount = 1;
}

void FireflyBlink::Start() {
    spinSpeed = Uniform(-1.0f, 1.0f);
    const SD::Vec4 g = OwnerColor(kWhite);
    const SD::Vec3 b = SD::Vec3(g.x, g.y, g.z) * 2.0f;
    Particle& p = particles[0];
    p.slice = 2.0f;
    p.position = OwnerPosition();
    const SD::Vec4 j = UniformVec4(-0.15f, 0.15f);
    p.color = SD::Vec4(2.0f * (b.x + j.x), 2.0f * (b.y + j.y), 2.0f * (b.z + j.z), 1.0f);
    p.size = 0.0f;
    p.rotation = Uniform(0.0f, 359.0f);
}

void FireflyBlink::Update(float) {
    const SD::Vec4 g = OwnerColor(kWhite);
    const SD::Vec3 b = SD::Vec3(g.x, g.y, g.z) * 15.0f;
    const SD::Vec3 at = OwnerPosition();
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        p.position = at;
        p.rotation = std::fmod(p.rotation + spinSpeed, 360.0f);
        const SD::Vec3 c = b + UniformVec3(-0.15f, 0.15f);
        p.color = SD::Vec4(c.x, c.y, c.z, p.color.w);
    }
}

void FireflyBlink::SetAlpha(float alpha) {
    for (uint32_t i = 0; i < particleCount; ++i) particles[i].color.w = alpha;
}

void FireflyBlink::SetSize(float size) {
    for (uint32_t i = 0; i < particleCount; ++i) particles[i].size = size;
}

FireflyTrail::FireflyTrail() {
    SetID(VGetID());
    particleCount = kPoints;
    cullRadius = 50.0f;
    std::fill(std::begin(history), std::end(history), SD::Vec3(0.0f, 0.0f, 0.0f));
}

// A colour of no length has no direction: the trail keeps only its jitter.
void FireflyTrail::Recolor(const SD::Vec4& color, float jitter) {
    const float length = color.Length();
    const SD::Vec4 c = length > 0.0f ? color * (2.0f / length) : SD::Vec4(0.0f, 0.0f, 0.0f, 0.0f);
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        p.color = c + UniformVec4(-jitter, jitter);
        p.color.w = Uniform(0.005f, 0.015f);
        p.color *= 2.0f;
    }
}

void FireflyTrail::Start() {
    particleCount = kPoints;
    const SD::Vec3 at = OwnerPosition();
    for (uint32_t i = 0; i < kPoints; ++i) {
        Particle& p = particles[i];
        p.slice = 1.0f;
        p.size = 0.75f * Uniform(0.0f, 0.3f) + 0.6f;
        p.position = at;
    }
    Recolor(OwnerColor(kWhite), 0.25f);
}

void FireflyTrail::SetColor(const SD::Vec4& color) { Recolor(color, 0.5f); }

void FireflyTrail::Update(float dt) {
    if (!(dt > kMinFrameTime)) return;
    const float rate = 1.0f / dt;
    historyCount = std::min(static_cast<uint32_t>(std::floor(rate * (1.0f / 30.0f) * 5.0f + 0.5f)), kHistory);
    if (historyCount == 0) return;
    for (uint32_t j = historyCount - 1; j >= 1; --j) history[j] = history[j - 1];
    const SD::Vec3 at = OwnerPosition();
    const float clock = static_cast<float>(EngineClock());
    history[0] = at + SD::Vec3(0.05f * std::sin(30.0f * clock), 0.05f * std::cos(30.0f * clock), 0.0f);
    const uint32_t step = static_cast<uint32_t>(std::floor(rate * (1.0f / 30.0f) + 0.5f));
    // A single kept point has no segments: every particle then sits on it.
    const uint32_t segments = historyCount > 1 ? historyCount - 1 : 1;
    const uint32_t per = std::max(particleCount / segments, 1u);
    const SD::Vec4 l = OwnerColor(kWhite) * 4.0f;
    SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
    if (!player) return;
    const float d2 = (at - player->GetTransform().GetLocalPos()).LengthSq();
    const float near = d2 > 0.0f ? std::min(2000.0f / d2, 1.0f) : 1.0f;
    const float falloff = 0.73f / 131072.0f;
    const uint32_t last = historyCount - 1;
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        // Both ends of a segment are held to the points kept this frame.
        const uint32_t seg = std::min(i / per, last);
        const uint32_t older = std::min(seg + step, last);
        const float f = static_cast<float>(i % per) / static_cast<float>(per);
        p.position = history[seg] * (1.0f - f) + history[older] * f;
        const float w = std::max(0.73f - falloff * static_cast<float>(i) * static_cast<float>(i), 0.0f);
        p.size = w;
        const float k = w * 16.75f;
        p.color = SD::Vec4(l.x * k, l.y * k, l.z * k, Uniform(0.001f, 0.025f) * w * near * 16.75f);
    }
}

}  // namespace Aperture::Photon
