#include "graphics/photon/Snow.h"

#include <algorithm>

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "graphics/photon/EffectSupport.h"

namespace Aperture::Photon {
namespace {

void RestartGust(SD::InterpolatorF& gust) {
    if (gust.IsComplete()) StartGust(gust);
}

}  // namespace

Snow::Snow() {
    SetID(VGetID());
    particleCount = kFlakes;
    for (SD::Vec4& c : flakeColors) c = SD::Vec4(0.0f, 0.0f, 0.0f, 0.0f);
}

void Snow::VSerialize(SD::IStream& stream, int version) {
    if (version == 0) stream.Serialize(active, "Activate", "Boolean");
    cullRadius = 0.0f;
}

SD::Vec3 Snow::Centre(SD::GameObject& target) {
    const SD::Transform& t = target.GetTransform();
    SD::Vec3 c = t.GetLocalPos();
    const SD::Vec3 forward = t.GetOrient().GetColumn(2);
    if (forward.LengthSq() >= 1e-8f) c += forward * 45.0f;
    c.y = std::max(c.y, 0.0f);
    return c;
}

void Snow::Emit(uint32_t i, const SD::Vec3& c) {
    Particle& p = particles[i];
    p.color.w = 0.0f;
    p.size = Uniform(0.4f, 0.9f);
    const float extra = Uniform(0.1f, 0.4f);
    flakeColors[i].w = 2.0f * Uniform(0.0f, 3.0f) + extra;
    const float vz = Uniform(-1.0f, -0.5f);
    const float vy = Uniform(-5.0f, -1.0f);
    const float vx = Uniform(-1.0f, -0.5f);
    p.velocity = SD::Vec3(vx, vy, vz);
    p.position = SD::RandomVec3(c.x - kReach, c.x + kReach, c.y - kReach, c.y + 500.0f, c.z - kReach, c.z + kReach);
}

void Snow::Update(float dt) {
    SD::GameObject* followed = target.get();
    if (!followed) return;
    const SD::Vec3 c = Centre(*followed);
    RestartGust(windX);
    RestartGust(windZ);
    const float wx = windX.GetValue();
    const float wz = windZ.GetValue();
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        p.position += p.velocity * dt;
        if ((p.position - c).LengthSq() < kReach * kReach) {
            if (p.color.w < flakeColors[i].w) p.color.w += 0.15f;
        } else {
            Emit(i, c);
        }
        p.velocity.x += wx;
        p.velocity.z += wz;
    }
}

}  // namespace Aperture::Photon
