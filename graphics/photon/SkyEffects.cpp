#include "graphics/photon/SkyEffects.h"

#include <algorithm>
#include <cmath>

#include "core/Season.h"
#include "engine/IStream.h"
#include "graphics/photon/EffectSupport.h"
#include "platform/os/Random.h"

namespace Aperture::Photon {
namespace {

SD::Vec4 UniformVec4(float lo, float hi) { return SD::RandomVec4(lo, hi, lo, hi, lo, hi, lo, hi); }
const SD::Vec4 kOne(1.0f, 1.0f, 1.0f, 1.0f);

// The run-time generator keeps its state per thread, so workers may draw from it.
bool OneInTen() { return platform::crt_rand() % 10 == 0; }

float FallToWinter() { return SD::WorldSeason::Get().GetTransition(SD::SeasonTransition::kFallToWinter); }

}  // namespace

TwinklingStars::TwinklingStars() {
    SetID(VGetID());
    particleCount = kStars;
}

void TwinklingStars::VSerialize(SD::IStream& stream, int version) {
    if (version == 1) stream.Serialize(cullRadius, "Particle System Cull Bounding Sphere Radius", "Float");
}

SD::Vec4 TwinklingStars::StarColor() const {
    const float k = Uniform(10.5f, 20.75f);
    const float p = Uniform(0.85f, 1.0f);
    const float q = Uniform(0.9f, 1.0f);
    const float s = Uniform(0.85f, 1.0f);
    const float a = Uniform(0.5f, 1.5f);
    return SD::Vec4(s * k, q * k, p * k, a) * (1.0f - FallToWinter());
}

void TwinklingStars::Start() {
    particleCount = kStars;
    for (uint32_t i = 0; i < kStars; ++i) {
        Particle& p = particles[i];
        p.slice = 1.0f;
        const float x = Uniform(-1.0f, 1.0f);
        const float y = Uniform(0.1f, 1.0f);
        const float z = Uniform(-1.0f, 1.0f);
        const float distance = Uniform(30000.0f, 35000.0f);
        p.position = basePositions[i] = SD::Vec3(x, y, z).GetNormalized() * distance;
        p.size = baseSize[i] = Uniform(8.0f, 14.0f);
        p.color = StarColor();
    }
}

void TwinklingStars::Update(float) {
    for (uint32_t i = 0; i < particleCount; ++i) {
        if (!OneInTen()) continue;
        const float t = Uniform(0.0f, 3.25f);
        particles[i].color = StarColor();
        if (OneInTen()) particles[i].size = (t + 7.5f) * baseSize[i];
    }
}

void TwinklingStars::Rotate(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    const float back = -180.1f * (3.14159265f / 180.0f);
    const float cb = std::cos(back), sb = std::sin(back);
    for (uint32_t i = 0; i < particleCount; ++i) {
        const SD::Vec3& v = particles[i].position;
        SD::Vec3 r(v.x * c - v.y * s, v.x * s + v.y * c, v.z);
        // A star sinking to the horizon jumps to the far side of the sky.
        if (r.y < 500.0f) r = SD::Vec3(r.x * cb - r.y * sb, r.x * sb + r.y * cb, r.z);
        particles[i].position = basePositions[i] = r;
    }
}

ShootingStar::ShootingStar() {
    SetID(VGetID());
    cullRadius = 1000.0f;
}

void ShootingStar::Start() {
    const float hz = Uniform(-10000.0f, 10000.0f);
    const float hy = Uniform(5000.0f, 7000.0f);
    const float hx = Uniform(-10000.0f, 10000.0f);
    headPoint = SD::Vec3(hx, hy, hz);
    particleCount = kPoints;
    const float v = Uniform(10000.0f, 15000.0f);
    const float u = Uniform(0.0f, 1.0f);
    const float az = Uniform(-(1.0f - u) * v, (1.0f - u) * v);
    const float ay = Uniform(-1.0f, 0.0f);
    const float ax = Uniform(-u * v, u * v);
    streakAcceleration = SD::Vec3(ax, ay, az);
    particles[0].velocity = SD::Vec3(0.0f, 0.0f, 0.0f);
    for (uint32_t i = 0; i < kPoints; ++i) {
        Particle& p = particles[i];
        p.slice = 1.0f;
        p.position = headPoint;
        p.color = (kOne + UniformVec4(-0.3f, 0.3f)) * 2.0f;
        p.size = baseSize[i] = Uniform(200.0f, 300.0f);
        flickerPeriods[i] = Uniform(0.1f, 0.2f);
        flickerTimers[i] = 0.0f;
    }
    starPhase = kHover;
    phaseTime = Uniform(5.0f, 17.0f);
}

// Negative sizes far down the streak are drawn as nothing.
float ShootingStar::StreakSize(uint32_t i, uint32_t n, float scale) {
    const float fi = static_cast<float>(i), fn = static_cast<float>(n);
    return std::max(scale * (1.0f - 7.0f * fi * fi / (4.0f * fn * fn)), 0.0f);
}

void ShootingStar::Hover(float dt) {
    const float clock = static_cast<float>(EngineClock());
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        p.position = headPoint;
        if (flickerTimers[i] > flickerPeriods[i]) {
            p.size = baseSize[i] * (0.5f + 0.15f * std::sin(clock + baseSize[i] + 0.625f));
            p.color = (kOne + UniformVec4(-0.5f, 0.5f)) * 2.0f;
            flickerPeriods[i] = Uniform(0.1f, 0.2f);
            flickerTimers[i] = 0.0f;
        } else {
            flickerTimers[i] += dt;
        }
    }
}

SD::Vec3 ShootingStar::Tail(float dt) {
    SD::Vec3& velocity = particles[0].velocity;
    const float len = std::min(velocity.Length(), 2250.0f);
    velocity += streakAcceleration * dt;
    const SD::Vec3 d = velocity.LengthSq() > 0.0f ? velocity.GetNormalized() : SD::Vec3(0.0f, 0.0f, 0.0f);
    return particles[0].position - d * len;
}

void ShootingStar::Update(float dt) {
    const uint32_t n = particleCount;
    if (starPhase == kHover) {
        if (phaseTime > 0.0f) {
            Hover(dt);
            phaseTime -= dt;
        } else {
            starPhase = kStreak;
            phaseTime = Uniform(1.25f, 2.0f);
        }
    } else if (starPhase == kStreak) {
        if (phaseTime > 0.0f) {
            const SD::Vec3 tail = Tail(dt);
            for (uint32_t i = 1; i < n; ++i) {
                Particle& p = particles[i];
                const float f = static_cast<float>(i) / static_cast<float>(n);
                p.position = p.position * (1.0f - f) + tail * f;
                p.size = StreakSize(i, n, 300.0f);
                p.color = (kOne + UniformVec4(-0.5f, 0.5f)) * (p.size * (1.0f / 300.0f) + 1.5f);
            }
            phaseTime -= dt;
        } else {
            starPhase = kFade;
            phaseTime = Uniform(1.5f, 2.5f);
        }
    } else {
        if (phaseTime > 0.0f) {
            const SD::Vec3 tail = Tail(dt);
            for (uint32_t i = 1; i < n; ++i) {
                Particle& p = particles[i];
                const float f = static_cast<float>(i) / static_cast<float>(n);
                p.position = particles[0].position * (1.0f - f) + tail * f;
                const SD::Vec4 c = (kOne + UniformVec4(-0.5f, 0.5f)) * (p.size * 0.002f + 2.0f);
                p.color = SD::Vec4(c.x * c.x, c.y * c.y, c.z * c.z, phaseTime);
                p.size = StreakSize(i, n, 400.0f);
            }
            phaseTime -= dt;
        } else {
            Start();
        }
    }
}

}  // namespace Aperture::Photon
