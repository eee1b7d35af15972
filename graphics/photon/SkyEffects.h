#pragma once
// The night sky: stars scattered over the upper half of a far sphere, twinkling at random and
// fading as the season turns to winter, and a shooting star that hovers, streaks and fades.
// Both work in world coordinates.
#include <cstdint>

#include "core/Vector.h"
#include "graphics/photon/ParticleSystem.h"

namespace Aperture::Photon {

class TwinklingStars : public ParticleSystem {
public:
    static constexpr uint32_t kStars = 600;
    TwinklingStars();
    SD::ComponentID VGetID() const override { return SD::CID_TwinklingStars; }
    void VSerialize(SD::IStream& stream, int version) override;
    void Start() override;
    void Update(float dt) override;
    // A random star colour dimmed by the fall-to-winter transition.
    SD::Vec4 StarColor() const;
    // Turns every star about the z axis; main thread.
    void Rotate(float angle);

private:
    SD::Vec3 basePositions[kStars];
    float baseSize[kStars] = {};
};

class ShootingStar : public ParticleSystem {
public:
    static constexpr uint32_t kPoints = 256;
    enum Phase : uint32_t { kHover = 0, kStreak = 1, kFade = 2 };
    ShootingStar();
    SD::ComponentID VGetID() const override { return SD::CID_ShootingStar; }
    void VSerialize(SD::IStream&, int) override {}
    void Start() override;
    void Update(float dt) override;
    uint32_t GetPhase() const { return starPhase; }
    float GetPhaseTime() const { return phaseTime; }
    const SD::Vec3& GetHeadPoint() const { return headPoint; }

private:
    void Hover(float dt);
    // The tail end of the streak, behind the head opposite to the growing velocity.
    SD::Vec3 Tail(float dt);
    static float StreakSize(uint32_t i, uint32_t n, float scale);

    SD::Vec3 streakAcceleration{0.0f, 0.0f, 0.0f};
    SD::Vec3 headPoint{0.0f, 0.0f, 0.0f};
    float baseSize[kPoints] = {};
    float flickerPeriods[kPoints] = {};
    float flickerTimers[kPoints] = {};
    float phaseTime = 0.0f;
    uint32_t starPhase = kHover;
};

}  // namespace Aperture::Photon
