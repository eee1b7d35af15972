#include "graphics/photon/FallingLeaves.h"

#include "graphics/photon/EffectSupport.h"

namespace Aperture::Photon {
namespace {

SD::Vec4 LeafColor() { return SD::RandomVec4(0.25f, 5.0f, 0.25f, 5.0f, 0.25f, 5.0f, 0.25f, 5.0f); }

}  // namespace

// Around the owner's position (the origin without an owner).
void FallingLeaves::Start() {
    particleCount = kLeaves;
    const SD::Vec3 c = OwnerPosition();
    for (uint32_t i = 0; i < kLeaves; ++i) {
        QuadBody& b = bodies[i];
        b.position = c + UniformVec3(-1000.0f, 1000.0f);
        b.scaleX = Uniform(30.0f, 31.0f);
        b.scaleY = Uniform(30.0f, 31.0f);
        appearances[i].color = LeafColor();
    }
}

void FallingLeaves::Update(float) {
    for (uint32_t i = 0; i < particleCount; ++i) {
        SetIdentityOrientation(bodies[i]);
        appearances[i].color = LeafColor();
    }
}

}  // namespace Aperture::Photon
