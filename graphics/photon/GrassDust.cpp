#include "graphics/photon/GrassDust.h"

#include <algorithm>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "graphics/photon/EffectSupport.h"

namespace Aperture::Photon {

GrassDust::GrassDust() {
    SetID(VGetID());
    particleCount = kMaxParticles;
    cullRadius = 5000.0f;
}

void GrassDust::Enable() {
    enabled = true;
    startDelay = kStartDelay;
    Start();
}

// The time left counts down in the age field.
void GrassDust::Respawn(uint32_t i) {
    Particle& p = particles[i];
    p.slice = 1.0f;
    const SD::Vec4 c = SD::RandomVec4(0.35f, 0.65f, 0.8f, 1.0f, 0.5f, 0.7f, 0.5f, 1.0f);
    p.color = baseColor[i] = c * 12.0f;
    const float life = Uniform(5.0f, 11.0f);
    p.lifetime = life;
    p.age = life;
    p.position = spawnPosition[i];
    const SD::Vec3 v = SD::RandomVec3(-10.0f, 10.0f, 8.0f, 22.5f, -10.0f, 10.0f);
    initialVelocity[i] = p.velocity = v;
    p.size = Uniform(1.5f, 4.0f);
}

void GrassDust::Start() {
    active = enabled;
    // Without spawn points there is nothing to place the particles at.
    if (!enabled || spawnPoints.empty()) return;
    const float step = static_cast<float>(spawnPoints.size()) / static_cast<float>(kMaxParticles);
    float s = 0.0f;
    for (uint32_t i = 0; i < kMaxParticles; ++i) {
        const size_t index = std::min(static_cast<size_t>(s), spawnPoints.size() - 1);
        const SD::Vec3& point = spawnPoints[index];
        spawnPosition[i] = SD::Vec3(point.x, point.y - Uniform(5.0f, 35.0f), point.z);
        Respawn(i);
        s += step;
    }
}

void GrassDust::Update(float dt) {
    active = enabled;
    if (startDelay > 0.0f) {
        startDelay -= dt;
        return;
    }
    // Never placed: nothing to move or respawn.
    if (!enabled || spawnPoints.empty()) return;
    SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
    if (!player) return;
    const SD::Vec3 q = ReadWorldPosition(player);
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        if (p.age >= 0.001f) {
            const float d2 = (spawnPosition[i] - q).LengthSq();
            const float f = d2 > 0.0f ? std::clamp(kVisibility / d2, 0.0f, 1.0f) : 1.0f;
            const float k = p.age / p.lifetime;
            p.color.w = baseColor[i].w * f * k;
            p.age -= dt;
            initialVelocity[i] *= k;
            p.position += p.velocity * dt;
            p.velocity += initialVelocity[i] * dt;
        } else {
            Respawn(i);
        }
    }
}

}  // namespace Aperture::Photon
