#pragma once
// A burst of pale puffs around a crystal, started each time the crystal's trigger fires: the
// crystal's sound plays and the player's crystal charge rises. Still until then.
#include <cstdint>

#include "core/GuardedFunction.h"
#include "graphics/photon/MistEffects.h"

namespace QV {

class CrystalMist : public Aperture::Photon::DriftingMist {
public:
    static constexpr uint32_t kPuffs = 64;
    static constexpr float kChargePerBurst = 0.25f;

    CrystalMist();
    SD::ComponentID VGetID() const override { return SD::CID_CrystalMist; }
    int VGetVersion() const override { return 1; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream&, int) override { cullRadius = 50.0f; }
    void Start() override;
    void Update(float dt) override;
    void InitParticle(uint32_t i, const SD::Vec3& origin);
    void OnTriggered();
    bool IsTriggered() const { return triggered; }

private:
    bool triggered = false;
    MFCore::Lifetime lifetime;
};

}  // namespace QV
