#pragma once
// 128 large quads scattered in a 2000-unit cube around the object, flickering in colour every
// frame. Shown only when the data gives a cull radius.
#include "graphics/photon/QuadParticleSystem.h"

namespace Aperture::Photon {

class FallingLeaves : public QuadParticleSystem {
public:
    static constexpr uint32_t kLeaves = 128;
    FallingLeaves() { SetID(VGetID()); }
    SD::ComponentID VGetID() const override { return SD::kFallingLeavesID; }
    void Start() override;
    void Update(float dt) override;
};

}  // namespace Aperture::Photon
