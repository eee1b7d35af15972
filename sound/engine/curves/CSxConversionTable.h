#pragma once
// A curve through points with a shape per segment and an optional output scaling: maps a
// game-parameter value or a distance to a property value.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

// Also the bank layout of a point (12 bytes).
struct SxCurvePoint {
    float x;
    float y;
    uint32_t shape;  // SxCurveInterpolation between this point and the next
};
static_assert(sizeof(SxCurvePoint) == 12, "bank layout");

// A switch mapping: the same layout with a switch ID in place of y.
struct SxSwitchPoint {
    float x;
    uint32_t switchID;
    uint32_t shape;
};

enum SxCurveScaling : uint32_t {
    SxCurveScaling_None = 0,
    SxCurveScaling_Unsupported = 1,
    SxCurveScaling_DbFader = 2,
    SxCurveScaling_Frequency = 3,
    SxCurveScaling_DbFaderUnclamped = 4,
};

class CSxConversionTable {
public:
    CSxConversionTable() = default;
    ~CSxConversionTable() { Unset(); }
    CSxConversionTable(const CSxConversionTable&) = delete;
    CSxConversionTable& operator=(const CSxConversionTable&) = delete;

    // Copies the points into the default pool. SX_InvalidParameter for no points,
    // SX_InsufficientMemory when the copy fails; the curve is then left empty.
    SXRESULT Set(const SxCurvePoint* points, uint32_t count, uint32_t scaling);
    void Unset();
    float Convert(float x) const;
    // The value at x searching forward from point cursor, which is left on the segment used;
    // the caller sets it to 0 when x goes back. A cursor past the last point (the curve was
    // replaced by a shorter one) is brought back to the last point.
    float ConvertWithCursor(float x, uint32_t& cursor) const;

    const SxCurvePoint* Points() const { return m_points; }
    uint32_t Count() const { return m_count; }
    uint32_t Scaling() const { return m_scaling; }

private:
    float Scale(float value) const;

    SxCurvePoint* m_points = nullptr;
    uint32_t m_count = 0;
    uint32_t m_scaling = SxCurveScaling_None;
};

// A curve's value at x before scaling, searching forward from point cursor (see
// ConvertWithCursor); x itself without points.
float SxEvaluateCurveWithCursor(const SxCurvePoint* points, uint32_t count, float x, uint32_t& cursor);

// The switch a value selects: evaluated like a curve on the IDs as unsigned numbers, the
// result truncated. 0 without points.
uint32_t SxEvaluateSwitchCurve(const SxSwitchPoint* points, uint32_t count, float x);

}  // namespace SX
