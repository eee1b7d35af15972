#include "sound/engine/curves/CSxConversionTable.h"

#include <cstring>

#include "sound/engine/curves/SxCurveTable.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

namespace {

// The curve's value at x before scaling; y gives the value of point i, mix the value a
// fraction t of the way from one point's value to the next's with the first point's shape.
template <typename Point, typename Y, typename Mix>
auto Evaluate(const Point* points, uint32_t count, float x, Y y, Mix mix) -> decltype(y(points[0])) {
    if (count == 1) return y(points[0]);
    for (uint32_t i = 0; i < count; ++i) {
        const Point& p = points[i];
        if (p.x >= x) return y(p);        // below the first point, or on a point
        if (i + 1 == count) return y(p);  // above the last point
        const Point& q = points[i + 1];
        if (q.x > x) {
            float t = (x - p.x) / (q.x - p.x);
            if (!(t >= 0.0f)) t = 0.0f;  // points that are not numbers (from a bad bank)
            if (p.shape == SxCurve_Constant) return y(p);
            return mix(t, y(p), y(q), p.shape);
        }
    }
    return x;
}

float MixValues(float t, float a, float b, uint32_t shape) {
    if (shape == SxCurve_Linear) return a + t * (b - a);
    return SxMath::InterpolateCurve(t, a, b, static_cast<SxCurveInterpolation>(shape));
}

// Switch IDs are whole 32-bit numbers: a float keeps only 24 bits of them, a double all.
double MixIDs(float t, double a, double b, uint32_t shape) {
    const double f =
        shape == SxCurve_Linear ? t : SxMath::InterpolateCurve(t, 0.0f, 1.0f, static_cast<SxCurveInterpolation>(shape));
    return a + f * (b - a);
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
    const float value = m_count ? Evaluate(
                                      m_points, m_count, x, [](const SxCurvePoint& p) { return p.y; }, MixValues)
                                : x;
    return Scale(value);
}

float CSxConversionTable::ConvertWithCursor(float x, uint32_t& cursor) const {
    return Scale(SxEvaluateCurveWithCursor(m_points, m_count, x, cursor));
}

float SxEvaluateCurveWithCursor(const SxCurvePoint* points, uint32_t count, float x, uint32_t& cursor) {
    if (!points || count == 0) return x;
    if (count == 1) return points[0].y;
    if (cursor >= count) cursor = count - 1;
    for (uint32_t i = cursor;; cursor = ++i) {
        const SxCurvePoint& p = points[i];
        if (p.x >= x || i + 1 == count) return p.y;
        const SxCurvePoint& q = points[i + 1];
        if (q.x > x) {
            float t = (x - p.x) / (q.x - p.x);
            if (!(t >= 0.0f)) t = 0.0f;
            if (p.shape == SxCurve_Constant) return p.y;
            return MixValues(t, p.y, q.y, p.shape);
        }
    }
}

float CSxConversionTable::Scale(float value) const {
    switch (m_scaling) {
        case SxCurveScaling_DbFader:
            return g_DbFaderTable.LookupClamped(value);
        case SxCurveScaling_Frequency:
            return g_FrequencyTable.LookupClamped(value);
        case SxCurveScaling_DbFaderUnclamped:
            return g_DbFaderTable.Lookup(value);
        default:
            return value;
    }
}

uint32_t SxEvaluateSwitchCurve(const SxSwitchPoint* points, uint32_t count, float x) {
    if (!points || count == 0) return 0;
    const double value = Evaluate(
        points, count, x, [](const SxSwitchPoint& p) { return static_cast<double>(p.switchID); }, MixIDs);
    if (!(value > 0.0)) return 0u;
    return value >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

}  // namespace SX
