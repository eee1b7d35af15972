#pragma once
// The glowing sprite on a firefly and the tapering trail behind it; both take their colour
// from the firefly's geometry (white without one).
#include <cstdint>

#include "core/Vector.h"
#include "graphics/photon/ParticleSystem.h"

namespace Aperture::Photon {

class FireflyBlink : public ParticleSystem {
public:
    FireflyBlink();
    SD::ComponentID VGetID() const override { return SD::CID_FireflyBlink; }
    void VSerialize(SD::IStream&, int) override {}
    void Start() override;
    void Update(float dt) override;
    void SetAlpha(float alpha);
    void SetSize(float size);
    float GetSpinSpeed() const { return spinSpeed; }

private:
    float spinSpeed = 1.0f;
};

class FireflyTrail : public ParticleSystem {
public:
    static constexpr uint32_t kPoints = 512;
    static constexpr uint32_t kHistory = 10;
    // Frame times at or below this are a paused or broken clock: the trail keeps its frame.
    static constexpr float kMinFrameTime = 1e-6f;

    FireflyTrail();
    SD::ComponentID VGetID() const override { return SD::CID_FireflyTrail; }
    void VSerialize(SD::IStream&, int) override {}
    void Start() override;
    void Update(float dt) override;
    void SetColor(const SD::Vec4& color);
    uint32_t GetHistoryCount() const { return historyCount; }
    const SD::Vec3& GetHistory(uint32_t i) const { return history[i]; }

private:
    void Recolor(const SD::Vec4& color, float jitter);

    SD::Vec3 history[kHistory];
    uint32_t historyCount = 0;
};

}  // namespace Aperture::Photon
