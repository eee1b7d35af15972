#include "graphics/photon/RainSystem.h"

#include <algorithm>
#include <cmath>

#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "graphics/photon/EffectSupport.h"
#include "graphics/photon/ParticleSounds.h"

namespace Aperture::Photon {

RainSystem::RainSystem() {
    SetID(VGetID());
    particleCount = kMaxParticles;
    cullRadius = 2000.0f;
    active = true;
    std::fill(alphaScale, alphaScale + kMaxParticles, 0.0f);
}

void RainSystem::SetActive(bool flag) {
    raining = flag;
    if (flag) {
        active = true;
        Start();
        // An object without a sound emitter simply rains silently.
        GetParticleSounds().PlayEmitter(GetOwner());
    } else {
        GetParticleSounds().PostEvent("Stop_Rain", GetOwner());
    }
}

void RainSystem::Start() {
    particleCount = kMaxParticles;
    if (GetOwner()) spawnHalfSize = GetOwner()->GetTransform().GetScaleX();
    if (!raining) return;
    const SD::Vec3 center = SpawnCenter();
    for (uint32_t i = 0; i < particleCount; ++i) Respawn(i, center);
}

SD::Vec3 RainSystem::SpawnCenter() const {
    SD::GameObject* owner = GetOwner();
    if (!owner) return SD::Vec3(0.0f, 0.0f, 0.0f);
    SD::GameObject* anchor = owner->GetParent() ? owner->GetParent() : owner;
    SD::Vec3 c = ReadWorldPosition(anchor);
    const SD::Vec3 facing = anchor->GetTransform().GetDir();
    if (facing.LengthSq() >= 1e-8f) c += facing.GetNormalized() * kAhead;
    c.y = std::max(c.y, 0.0f);
    return c;
}

void RainSystem::Respawn(uint32_t i, const SD::Vec3& c) {
    const float h = spawnHalfSize;
    QuadBody& b = bodies[i];
    b.position = SD::Vec3(c.x + Uniform(-h, h), c.y + Uniform(0.0f, h), c.z + Uniform(-h, h));
    const float g = Uniform(2.0f, 4.0f);
    appearances[i].color = SD::Vec4(g, g, g, 0.0f);
    SetIdentityOrientation(b);
    b.scaleX = b.scaleY = kScale;
    alphaScale[i] = Uniform(0.25f, 1.0f);
    b.velocity = SD::Vec3(0.0f, Uniform(0.0f, 500.0f) - 1350.0f, 0.0f);
    dropFades[i].Start(0.0f, 3.1415927f, Uniform(1.0f, 5.0f));
    SetDefaultSlice(i);
}

void RainSystem::Update(float dt) {
    if (!active || particleCount == 0) return;
    bool centerKnown = false;
    SD::Vec3 center;
    for (uint32_t i = 0; i < particleCount; ++i) {
        QuadBody& b = bodies[i];
        if (raining && (b.position.y < -0.1f || dropFades[i].IsComplete())) {
            if (!centerKnown) {
                center = SpawnCenter();
                centerKnown = true;
            }
            Respawn(i, center);
        }
        b.position += b.velocity * dt;
        appearances[i].color.w = std::sin(dropFades[i].GetValue()) * alphaScale[i];
    }
}

}  // namespace Aperture::Photon
