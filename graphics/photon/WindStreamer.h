#pragma once
// Gusts of wind drawn as bright streaks laid along one of ten shared zigzag curves rising from
// the object, then erased from their newest end, then a pause of a few seconds. A small state
// machine: Wait -> StartGust -> Emit -> Fade -> Wait.
#include <cstdint>

#include "graphics/photon/ParticleSystem.h"
#include "runtime/InterpolatorSystem.h"
#include "runtime/SplineSystem.h"

namespace Aperture::Photon {

class WindStreamer : public ParticleSystem {
public:
    static constexpr uint32_t kCurveCount = 10;
    static constexpr float kParticlesPerUnit = 1024.0f;
    static constexpr float kGustLength = 6.0f;

    WindStreamer();
    SD::ComponentID VGetID() const override { return SD::kWindStreamerID; }
    void VSerialize(SD::IStream&, int) override {}
    // Builds the shared curves that are missing or stale (main thread).
    void VInitialize(bool fromScript) override;
    void Update(float dt) override;

    enum class Phase { kWait, kStartGust, kEmit, kFade };
    Phase GetPhase() const;
    float GetWaitTime() const { return waitTime; }
    const SD::InterpolatorF& GetGust() const { return gust; }
    uint32_t GetCurveIndex() const { return curveIndex; }

    // The shared curves; a stale one is rebuilt by the next VInitialize or, when a gust finds
    // it stale, on the main thread after the frame's updates.
    static const SD::SplineHandle& SharedCurve(uint32_t index);
    static bool IsCurveLive(uint32_t index);
    static void RebuildStaleCurves();

private:
    using State = void (WindStreamer::*)(float);
    void Wait(float t);
    void StartGust(float t);
    void Emit(float t);
    void Fade(float t);
    void EmitOne(const SD::Vec3& position, float size, const SD::Vec4& color);

    State state = nullptr;
    float emitted = 0.0f;
    uint32_t writeIndex = 0;
    uint32_t curveIndex = 0;
    float waitTime = 0.0f;
    float waitTimer = 0.0f;
    SD::InterpolatorF gust;
};

}  // namespace Aperture::Photon
