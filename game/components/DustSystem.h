#pragma once
// 750 motes of dust falling in a box that travels 45 units ahead of the followed object. Motes
// that drift more than 400 units from the centre are spawned again inside the box, brighter
// and bluer when the followed object moves fast; wind messages and two slow gusts push them
// sideways; rain and the camera's free modes hide them.
#include <cstdint>

#include "core/Message.h"
#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "graphics/photon/ParticleSystem.h"
#include "runtime/InterpolatorSystem.h"

namespace QV {

class DustSystem : public Aperture::Photon::ParticleSystem {
public:
    static constexpr uint32_t kMotes = 750;
    static constexpr float kReach = 400.0f;
    static constexpr float kFastSpeed = 650.0f;

    DustSystem();
    ~DustSystem() override;
    SD::ComponentID VGetID() const override { return SD::CID_DustSystem; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void Start() override;
    void Update(float dt) override;

    // Held as a handle: a followed object deleted meanwhile leaves the dust still.
    void SetFollowObject(const SD::GameObjectHandle& object) { follow = object; }
    const SD::Vec3& GetWind() const { return wind; }
    float GetTargetAlpha(uint32_t i) const { return targetAlpha[i].w; }
    void OnWind(SD::IMessage* message);

private:
    void StartGusts();
    void Respawn(uint32_t i, const SD::Vec3& centre, float speed);
    // Rain falling or the camera in a free mode.
    static bool Hidden();

    SD::InterpolatorF gustX;
    SD::InterpolatorF gustZ;
    SD::Vec4 targetAlpha[kMotes];
    SD::GameObjectHandle follow;
    SD::Vec3 wind{0.0f, 0.0f, 0.0f};
    bool subscribed = false;
    uint32_t subscribedIndex = 0;
};

}  // namespace QV
