#pragma once
// 1024 flakes falling around a target object and drifting with two slow wind values. Flakes
// left more than 1000 units from the centre ahead of the target are emitted again in a box
// around it, so the snow follows the target. Inactive until "Activate" is read in as true.
#include <cstdint>

#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "graphics/photon/ParticleSystem.h"
#include "runtime/InterpolatorSystem.h"

namespace Aperture::Photon {

class Snow : public ParticleSystem {
public:
    static constexpr uint32_t kFlakes = 1024;
    static constexpr float kReach = 1000.0f;

    Snow();
    SD::ComponentID VGetID() const override { return SD::CID_Snow; }
    void VSerialize(SD::IStream& stream, int version) override;
    void Start() override { active = false; }
    void Update(float dt) override;

    // Held as a handle: a target deleted while the snow lives stops the snow instead of
    // leaving it reading freed memory.
    void SetTarget(const SD::GameObjectHandle& target) { this->target = target; }
    const SD::GameObjectHandle& GetTarget() const { return target; }
    float GetTargetAlpha(uint32_t i) const { return flakeColors[i].w; }
    // Where the flakes gather: ahead of the target, never below the ground.
    static SD::Vec3 Centre(SD::GameObject& target);

private:
    void Emit(uint32_t i, const SD::Vec3& centre);

    SD::InterpolatorF windX;
    SD::InterpolatorF windZ;
    SD::Vec4 flakeColors[kFlakes];
    SD::GameObjectHandle target;
};

}  // namespace Aperture::Photon
