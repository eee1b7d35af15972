#pragma once
// A one-shot burst of 128 sparks; when every spark has died the effect's whole object tree is
// destroyed, on the main thread once the frame's updates are over.
#include "core/Vector.h"
#include "graphics/photon/ParticleSystem.h"

namespace Aperture::Photon {

class FireflyCollectionSparkles : public ParticleSystem {
public:
    static constexpr uint32_t kSparks = 128;

    FireflyCollectionSparkles();
    SD::ComponentID VGetID() const override { return SD::kFireflyCollectionSparklesID; }
    void VSerialize(SD::IStream&, int) override { cullRadius = 50.0f; }
    void Start() override;
    void Update(float dt) override;

    // Seven times the colour, all four channels.
    void SetColor(const SD::Vec4& color) { sparkleColor = color * 7.0f; }
    void SetEnabled(bool on) { enabled = on; }
    bool IsEnabled() const { return enabled; }

private:
    void Spawn(uint32_t i, const SD::Vec3& at);
    // Queues the destruction of the owner's topmost ancestor once.
    void DestroyTree();

    SD::Vec3 acceleration[kMaxParticles];
    SD::Vec4 baseColor[kMaxParticles];
    float baseSize[kMaxParticles];
    SD::Vec4 sparkleColor{0.0f, 0.0f, 0.0f, 0.0f};
    bool enabled = false;
    bool destructionQueued = false;
};

}  // namespace Aperture::Photon
