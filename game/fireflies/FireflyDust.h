#pragma once
// A cloud of motes orbiting a firefly in its geometry's colour; the firefly's blink flares it
// to a glow that fades back over a second.
#include <cstdint>

#include "core/Message.h"
#include "core/Vector.h"
#include "graphics/photon/ParticleSystem.h"

namespace QV {

class FireflyDust : public Aperture::Photon::ParticleSystem {
public:
    static constexpr uint32_t kMotes = 256;

    FireflyDust();
    ~FireflyDust() override;
    SD::ComponentID VGetID() const override { return SD::CID_FireflyDust; }
    void VSerialize(SD::IStream&, int) override {}
    void Start() override;
    void Update(float dt) override;
    void OnBlink(SD::IMessage* message);
    float GetBlinkLevel() const { return blinkLevel; }

private:
    SD::Vec3 orbitDirections[kMotes];
    SD::Vec3 orbitAxes[kMotes];
    SD::Vec4 baseColor[kMotes];
    SD::Vec4 glowColors[kMotes];
    float phase = 0.0f;
    float blinkLevel = 0.0f;
};

}  // namespace QV
