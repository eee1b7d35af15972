#pragma once
// Distance curves and a cone that playback instances refer to by ID: up to five curves, and
// for each value the attenuation drives, the curve that gives it (or none); game parameters
// may drive its values through curves of their own.
#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/attenuations/SxRTPCList.h"
#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/index/CSxIndexable.h"

namespace SX {

class CSxAttenuation : public CSxIndexable {
public:
    static constexpr uint32_t kCurveCount = 5;
    static constexpr uint8_t kNoCurve = 255;
    // The values an attenuation drives, in the order of its curve-use bytes.
    enum Use : uint32_t { Use_Volume = 0, Use_AuxVolume, Use_Spread, Use_LPF, Use_Focus };

    using RTPCEntry = SxRTPCEntry;

    // Constructed and entered in the attenuation table; null when memory fails.
    static CSxAttenuation* Create(SxUniqueID id);
    explicit CSxAttenuation(SxUniqueID id) : CSxIndexable(id, SxIndex_Attenuation) {}

    // u32 ID, u8 cone enabled and the cone, five curve-use bytes, u8 curve count (at most
    // five) with the curves, u16 game-parameter count with their curves. 2 when the body holds
    // neither curve nor game parameter.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);

    bool ConeEnabled() const { return m_coneEnabled; }
    // Half-angles in radians.
    float InsideHalfAngle() const { return m_inside; }
    float OutsideHalfAngle() const { return m_outside; }
    // The cone's two further values: the volume (dB) and the low-pass value (0 to 100) a
    // listener hears at and beyond the outside angle.
    float ConeOutsideVolume() const { return m_coneValue1; }
    float ConeOutsideLowPass() const { return m_coneValue2; }
    // The curve of a use, or null when it has none.
    const CSxConversionTable* CurveFor(Use use) const;
    // The use's value at a distance; 0 without a curve.
    float Evaluate(Use use, float distance) const;

private:
    friend struct platform::TestProbe<CSxAttenuation>;

    CSxConversionTable m_curves[kCurveCount];
    std::vector<RTPCEntry> m_rtpcs;
    float m_inside = 0.0f, m_outside = 0.0f, m_coneValue1 = 0.0f, m_coneValue2 = 0.0f;
    uint8_t m_curveUse[kCurveCount] = {kNoCurve, kNoCurve, kNoCurve, kNoCurve, kNoCurve};
    bool m_coneEnabled = false;
};

}  // namespace SX
