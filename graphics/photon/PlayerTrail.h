#pragma once
// 1000 small blue points spread evenly along the segment the player travelled since the
// previous frame, so fast motion leaves a streak. Each trail keeps its own history.
#include <cstdint>

#include "core/Vector.h"
#include "graphics/photon/ParticleSystem.h"

namespace Aperture::Photon {

class PlayerTrail : public ParticleSystem {
public:
    static constexpr uint32_t kPoints = 1000;
    PlayerTrail() { SetID(VGetID()); }
    SD::ComponentID VGetID() const override { return SD::CID_PlayerTrail; }
    void VSerialize(SD::IStream& stream, int version) override;
    void Start() override;
    void Update(float dt) override;

private:
    SD::Vec3 previous{0.0f, 0.0f, 0.0f};
    bool seenPlayer = false;
};

}  // namespace Aperture::Photon
