#include "sound/engine/curves/CSxConversionTable.h"

#include <cstring>

#include "sound/engine/curves/SxCurveTable.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

namespace {

// The curve's value at x before scaling; Point gives (x, y, shape) of point i.
template <typename Point, typename Y>
float Evaluate(const Point* points, uint32_t count, float x, Y y) {
    if (count == 1) return y(points[0]);
    for (uint32_t i = 0; i < count; ++i) {
        const Point& p = points[i];
        if (p.x >= x) return y(p);   // below the first point, or on a point
        if (i + 1 == count) return y(p);   // above the last point
        const Point& q = points[i + 1];
        if (q.x > x) {
            float t = (x - p.x) / (q.x - p.x);
            if (!(t >= 0.0f)) t = 0.0f;   // points that are not numbers (from a bad bank)
            if (p.shape == SxCurve_Linear) return y(p) + t * (y(q) - y(p));
            if (p.shape == SxCurve_Constant) return y(p);
            return SxMath::InterpolateCurve(t, y(p), y(q), static_cast<SxCurveInterpolation>(p.shape));
        }
    }
    return x;
}

}  // namespace

SXRESULT CSxConversionTable::Set(const SxCurvePoint* points, uint32_t count, uint32_t scaling) {
    Unset();
    if (!points || count == 0) return SX_InvalidParameter;
    m_points = static_cast<SxCurvePoint*>(MemoryMgr::Malloc(g_DefaultPoolId, sizeof(SxCurvePoint) * count));
    if (!m_points) return SX_InsufficientMemory;
    std::memcpy(m_points, points, sizeof(SxCurvePoint) * count);
    m_count = count;
    m_scaling = scaling;
    return SX_Success;
}

void CSxConversionTable::Unset() {
    MemoryMgr::Free(g_DefaultPoolId, m_points);
    m_points = nullptr;
    m_count = 0;
    m_scaling = SxCurveScaling_None;
}

float CSxConversionTable::Convert(float x) const {
    float value = m_count ? Evaluate(m_points, m_count, x, [](const SxCurvePoint& p) { return p.y; }) : x;
    switch (m_scaling) {
    case SxCurveScaling_DbFader: return g_DbFaderTable.LookupClamped(value);
    case SxCurveScaling_Frequency: return g_FrequencyTable.LookupClamped(value);
    case SxCurveScaling_DbFaderUnclamped: return g_DbFaderTable.Lookup(value);
    default: return value;
    }
}

uint32_t SxEvaluateSwitchCurve(const SxSwitchPoint* points, uint32_t count, float x) {
    if (!points || count == 0) return 0;
    float value = Evaluate(points, count, x, [](const SxSwitchPoint& p) { return static_cast<float>(p.switchID); });
    return value > 0.0f ? static_cast<uint32_t>(value) : 0u;
}

}  // namespace SX
