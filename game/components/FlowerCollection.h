#pragma once
// When the player touches a flower: 256 motes spiral up from it in a funnel that widens
// towards a peak, the player camera turns to the flower, "Play_Flower" plays and a
// FlowerTrigger message tells the game that a flower was collected. Inactive until the
// object's trigger fires; an object without a trigger never starts.
#include <cstdint>

#include "core/GuardedFunction.h"
#include "core/Vector.h"
#include "graphics/photon/ParticleSystem.h"

namespace QV {

class FlowerCollection : public Aperture::Photon::ParticleSystem {
public:
    static constexpr uint32_t kMotes = 256;
    static constexpr float kDefaultCullRadius = 500.0f;

    struct Mote {
        float angle;
        float radius;
        float riseSpeed;
        float turnSpeed;
        int direction;
        float alpha;
        float delay;
    };

    FlowerCollection();
    SD::ComponentID VGetID() const override { return SD::CID_FlowerCollection; }
    int VGetVersion() const override { return 1; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VInitialize(bool fromScript) override;
    void Start() override;
    void Update(float dt) override;

    // The trigger's callback: enables the effect and starts it.
    void Collect();

    bool IsEnabled() const { return enabled; }
    const Mote& GetMote(uint32_t i) const { return motes[i]; }
    // The funnel radius at height h above the flower (peak height y): curve ^ (scale (y - h) / y).
    float FunnelRadius(float h, float peakY) const;

    float startDelayTime = 0.0f;
    float curveConstant = 0.0f;
    float exponentScalar = 0.0f;
    float startingHeight = 0.0f;
    float constantSpeedMin = 0.0f, constantSpeedMax = 0.0f;
    float rotationSpeedMin = 0.0f, rotationSpeedMax = 0.0f;
    int startingDirection = 0;
    bool randomDirection = false;
    SD::Vec4 primary{0.0f, 0.0f, 0.0f, 0.0f};
    SD::Vec4 secondary{0.0f, 0.0f, 0.0f, 0.0f};
    float colorScale = 0.0f;
    float particleSizeMin = 0.0f, particleSizeMax = 0.0f;
    float appliedVelocity = 0.0f;
    float systemRotationSpeed = 0.0f;
    SD::Vec3 peakPosition{0.0f, 0.0f, 0.0f};
    float gainFactor = 0.0f;

private:
    void Respawn(uint32_t i, const SD::Vec3& peak, const SD::Vec3& origin);
    SD::Vec3 Peak() const;

    bool enabled = false;
    float systemAngle = 0.0f;
    Mote motes[kMotes] = {};
    MFCore::Lifetime lifetime;
};

}  // namespace QV
