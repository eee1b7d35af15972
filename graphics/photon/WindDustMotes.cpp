#include "graphics/photon/WindDustMotes.h"

#include <cmath>

#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "graphics/photon/EffectSupport.h"

namespace Aperture::Photon {

WindDustMotes::WindDustMotes() : fades(new SD::InterpolatorF[kMotes]) {
    particleCount = kMotes;
    for (SD::Vec4& c : baseColor) c = SD::Vec4(0.0f, 0.0f, 0.0f, 0.0f);
}

void WindDustMotes::VSerialize(SD::IStream& stream, int version) {
    cullRadius = kCullRadius;
    if (version != 0) return;
    stream.Serialize(active, "Activate", "Boolean");
    SD::SerializeVec3(stream, "Wind Direction", windDirection);
    SD::SerializeVec3(stream, "Wind Position", windPosition);
    stream.Serialize(spread, "Spread", "Float");
    SD::SerializeVec3(stream, "Color", dustColor);
}

void WindDustMotes::Start() {
    particleCount = kMotes;
    for (uint32_t i = 0; i < kMotes; ++i) {
        particles[i].slice = 1.0f;
        InitParticle(i);
    }
}

void WindDustMotes::InitParticle(uint32_t i) {
    if (i >= kMotes) return;
    const float s = spread;
    const float oz = Uniform(-s, s);
    const float oy = Uniform(-s, 1.5f * s);
    const float ox = Uniform(-s, s);
    Particle& p = particles[i];
    p.position = windPosition + SD::Vec3(ox, oy, oz);
    const float c = Uniform(-1.0f, 1.0f);
    p.color = baseColor[i] = SD::Vec4(dustColor.x + c, dustColor.y + c, dustColor.z + c, 0.0f);
    p.size = Uniform(15.0f, 150.0f);
    const float vx = Uniform(-15.0f, 15.0f);
    const float vy = Uniform(-5.0f, 5.0f);
    const float vz = Uniform(-15.0f, 15.0f);
    p.velocity = windDirection * 400.0f + SD::Vec3(vx, vy, vz);
    fades[i].Start(0.0f, 3.14159265f, Uniform(0.25f, 1.0f));
}

void GateDust::Update(float dt) {
    for (uint32_t i = 0; i < particleCount; ++i) {
        if (particles[i].position.y < -0.1f || fades[i].IsComplete()) InitParticle(i);
        Particle& p = particles[i];
        p.position += p.velocity * dt;
        p.color.w = std::sin(fades[i].GetValue());
    }
}

}  // namespace Aperture::Photon
