#include "graphics/photon/FlowerPollen.h"

#include <cmath>

#include "engine/GameObject.h"
#include "engine/MathSerialize.h"
#include "engine/Transform.h"
#include "graphics/photon/EffectSupport.h"

namespace Aperture::Photon {

void FlowerPollen::VSerialize(SD::IStream& stream, int) {
    SD::SerializeFloat4(stream, pollenColor, "color", "Vector4");
    cullRadius = 100.0f;
}

void FlowerPollen::Respawn(uint32_t i) {
    Particle& p = particles[i];
    p.size = Uniform(2.0f, 5.0f);
    const SD::Vec3 head(kHeadX, kHeadY, 0.0f);
    p.position = GetOwner() ? OwnerPosition() + GetOwner()->GetTransform().GetOrient() * head : head;
    const float r = pollenColor.x, g = pollenColor.y, b = pollenColor.z;
    baseColor[i] =
        SD::Vec4(Uniform(0.75f * r, 5.0f * r), Uniform(0.75f * g, 5.0f * g), Uniform(0.75f * b, 5.0f * b), 1.0f);
    p.velocity = SD::Vec3(Uniform(-0.25f, 0.25f), Uniform(0.25f, 1.5f), Uniform(-0.25f, 0.25f));
    grainAge[i] = 0.0f;
    grainLifetime[i] = Uniform(5.0f, 15.0f);
    p.slice = 1.0f;
}

void FlowerPollen::Start() {
    if (!enabled) return;
    phase = 0.0f;
    particleCount = kGrains;
    for (uint32_t i = 0; i < kGrains; ++i) Respawn(i);
}

void FlowerPollen::Update(float dt) {
    if (!enabled) return;
    phase += dt;
    for (uint32_t i = 0; i < particleCount && i < kGrains; ++i) {
        Particle& p = particles[i];
        float k = (grainLifetime[i] - grainAge[i]) / grainLifetime[i];
        if (!(k > 0.0f)) k = 0.0f;
        p.position.x += k * p.velocity.x * std::sin(phase) * 5.0f * dt;
        p.position.y += p.velocity.y * dt;
        p.position.z += k * p.velocity.z * std::cos(phase) * 5.0f * dt;
        p.color = baseColor[i] * k;
        p.color.w = k;
        grainAge[i] += dt;
        if (grainAge[i] > grainLifetime[i]) Respawn(i);
    }
}

}  // namespace Aperture::Photon
