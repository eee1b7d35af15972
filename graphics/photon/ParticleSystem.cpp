#include "graphics/photon/ParticleSystem.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstring>

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"

namespace Aperture::Photon {

uint8_t FloatToByte(float value) {
    // Beyond the 32-bit range the conversion itself is undefined; such values keep no bits.
    if (!(std::fabs(value) < 2147483648.0f)) return 0;
    return static_cast<uint8_t>(static_cast<uint32_t>(static_cast<int32_t>(value)) & 0xFFu);
}

ParticleVertexRecord PackParticle(const Particle& p) {
    ParticleVertexRecord r;
    r.position[0] = p.position.x;
    r.position[1] = p.position.y;
    r.position[2] = p.position.z;
    r.color[0] = p.color.x;
    r.color[1] = p.color.y;
    r.color[2] = p.color.z;
    r.color[3] = p.color.w;
    // 359 degrees map to 255; the scale is taken in single precision.
    const float degreeScale = 1.0f / 359.0f;
    const float whole = std::floor(p.size);
    r.slice = FloatToByte(p.slice);
    r.rotation = FloatToByte(p.rotation * degreeScale * 255.0f);
    r.sizeWhole = FloatToByte(whole);
    r.sizeFraction = FloatToByte((p.size - whole) * 255.0f);
    return r;
}

ParticleSystem::ParticleSystem() {
    SetID(SD::CID_ParticleSystem);
    std::fill(std::begin(particles), std::end(particles), Particle{});
    std::memset(particleExtras, 0, sizeof(particleExtras));
}

ParticleSystem::~ParticleSystem() {
    if (graphicsLink.IsLinked())
        if (Graphics_* graphics = Graphics_::Peek()) graphics->GetSceneLists().PointParticles().Remove(this);
}

void ParticleSystem::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(cullRadius, "Particle System Cull Bounding Sphere Radius", "Float");
}

void ParticleSystem::VRegister() {
    Graphics_* graphics = Graphics_::GetInstance();
    active = true;
    Start();
    if (!graphicsLink.IsLinked()) graphics->GetSceneLists().PointParticles().PushBack(this);
}

void ParticleSystem::VUnregister() {
    if (Graphics_* graphics = Graphics_::Peek())
        if (graphicsLink.IsLinked()) graphics->GetSceneLists().PointParticles().Remove(this);
}

uint32_t ParticleSystem::WriteVertices(ParticleVertexRecord* destination, uint32_t limit) const {
    if (!active) return 0;
    const uint32_t n = particleCount < limit ? particleCount : limit;
    for (uint32_t i = 0; i < n; ++i) destination[i] = PackParticle(particles[i]);
    return n;
}

void ParticleSystem::SetParticleSlice(uint32_t index, int slice) {
    if (index < kMaxParticles) particles[index].slice = static_cast<float>(slice);
}

const SD::Mtx44& ParticleSystem::GetCullWorld() const {
    static const SD::Mtx44 identity(SD::Mtx33::Identity());
    return GetOwner() ? GetOwner()->GetTransform().GetGlobalMatrix() : identity;
}

SD::Vec3 ReadWorldPosition(SD::GameObject* object) {
    if (!object) return SD::Vec3(0.0f, 0.0f, 0.0f);
    SD::GameObject* parent = object->GetParent();
    const SD::Vec3& local = object->GetTransform().GetLocalPos();
    if (!parent) return local;
    return ReadWorldPosition(parent) + parent->GetTransform().GetOrient() * local;
}

SD::Vec3 ParticleSystem::OwnerPosition() const {
    return GetOwner() ? GetOwner()->GetTransform().GetLocalPos() : SD::Vec3(0.0f, 0.0f, 0.0f);
}

SD::Vec3 ParticleSystem::OwnerWorldPosition() const { return ReadWorldPosition(GetOwner()); }

SD::Vec4 ParticleSystem::OwnerColor(const SD::Vec4& fallback) const {
    SD::GameObject* owner = GetOwner();
    auto* geometry = owner ? dynamic_cast<Geometry*>(owner->GetComponent(SD::CID_Geometry)) : nullptr;
    return geometry ? geometry->GetColor() : fallback;
}

}  // namespace Aperture::Photon
