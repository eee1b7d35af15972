#include "graphics/photon/QuadParticleSystem.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/photon/ParticleManager.h"
#include "graphics/resources/VolumeTexture.h"

namespace Aperture::Photon {

QuadParticleVertexRecord PackQuad(const QuadBody& b, const QuadAppearance& a) {
    QuadParticleVertexRecord r;
    const float scale[3] = {b.scaleX, b.scaleY, 1.0f};
    // Column c of the orientation, scaled, becomes row c of the world matrix.
    for (int c = 0; c < 3; ++c) {
        for (int k = 0; k < 3; ++k) r.world[c * 4 + k] = b.orientation[k * 3 + c] * scale[c];
        r.world[c * 4 + 3] = 0.0f;
    }
    r.world[12] = b.position.x;
    r.world[13] = b.position.y;
    r.world[14] = b.position.z;
    r.world[15] = 1.0f;
    r.color[0] = a.color.x;
    r.color[1] = a.color.y;
    r.color[2] = a.color.z;
    r.color[3] = a.color.w;
    r.w = a.w;
    return r;
}

void SetIdentityOrientation(QuadBody& body) {
    static const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(body.orientation, identity, sizeof(identity));
}

QuadParticleSystem::QuadParticleSystem() {
    SetID(SD::kQuadParticleSystemID);
    std::fill(std::begin(appearances), std::end(appearances), QuadAppearance{});
    std::fill(std::begin(bodies), std::end(bodies), QuadBody{});
}

QuadParticleSystem::~QuadParticleSystem() {
    if (graphicsLink.IsLinked())
        if (Graphics_* graphics = Graphics_::Peek()) graphics->GetSceneLists().QuadParticles().Remove(this);
}

void QuadParticleSystem::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(cullRadius, "Particle System Cull Bounding Sphere Radius", "Float");
    stream.Serialize(textureName, "Texture Name", "String");
}

void QuadParticleSystem::VRegister() {
    Graphics_* graphics = Graphics_::GetInstance();
    active = true;
    Start();
    if (!graphicsLink.IsLinked()) graphics->GetSceneLists().QuadParticles().PushBack(this);
}

void QuadParticleSystem::VUnregister() {
    if (Graphics_* graphics = Graphics_::Peek())
        if (graphicsLink.IsLinked()) graphics->GetSceneLists().QuadParticles().Remove(this);
}

uint32_t QuadParticleSystem::WriteVertices(QuadParticleVertexRecord* destination, uint32_t limit) const {
    if (!active) return 0;
    const uint32_t n = particleCount < limit ? particleCount : limit;
    for (uint32_t i = 0; i < n; ++i) destination[i] = PackQuad(bodies[i], appearances[i]);
    return n;
}

void QuadParticleSystem::SetDefaultSlice(uint32_t index) {
    if (index >= kMaxParticles) return;
    float w = kDefaultSliceW;
    if (Graphics_* graphics = Graphics_::Peek())
        if (ParticleManager* manager = graphics->GetParticleManager())
            if (Resource::VolumeTexture* texture = manager->GetParticleTexture())
                if (texture->GetDepth() > 0) w = 2.5f / static_cast<float>(texture->GetDepth());
    appearances[index].w = w;
}

const SD::Mtx44& QuadParticleSystem::GetCullWorld() const {
    static const SD::Mtx44 identity(SD::Mtx33::Identity());
    return GetOwner() ? GetOwner()->GetTransform().GetGlobalMatrix() : identity;
}

SD::Vec3 QuadParticleSystem::OwnerPosition() const {
    return GetOwner() ? GetOwner()->GetTransform().GetLocalPos() : SD::Vec3(0.0f, 0.0f, 0.0f);
}

}  // namespace Aperture::Photon
