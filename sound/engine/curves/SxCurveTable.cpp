#include "sound/engine/curves/SxCurveTable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace SX {

namespace {

constexpr float kPi = 3.14159265358979323846f;

float DbToLinear(float x) { return std::pow(10.0f, x * 0.05f); }
float LinearToDb(float x) { return 20.0f * std::log10(x); }
float LogShape(float x) { return std::pow(x, 1.41f); }
float SineShape(float x) { return 1.0f - std::sin((1.0f - x) * kPi * 0.5f); }
float CubicShape(float x) { return x * x * x; }
// At the ends of its range the fader's logarithm runs to infinity; the table keeps to +-96.3.
float DbFader(float x) {
    x = std::clamp(x, SxDbFloor, -SxDbFloor);
    float db = x >= 0.0f ? -20.0f * std::log10((96.3f - x) / 96.3f) : 20.0f * std::log10((x + 96.3f) / 96.3f);
    return std::clamp(db, SxDbFloor, -SxDbFloor);
}
float Frequency(float x) { return std::clamp(20.0f * std::pow(10.0f, (x - 20.0f) / 6660.0f), 20.0f, 20000.0f); }

SxCurveTable Unbuilt(SxCurveTable::Function f, float lo, float hi) {
    SxCurveTable table;
    table.function = f;
    table.min = lo;
    table.max = hi;
    return table;
}

}  // namespace

SxCurveTable g_DbToLinearTable = Unbuilt(DbToLinear, SxDbFloor, -SxDbFloor);
SxCurveTable g_LinearToDbTable = Unbuilt(LinearToDb, 1.0f, 10.0f);
SxCurveTable g_LogShapeTable = Unbuilt(LogShape, 0.0f, 1.0f);
SxCurveTable g_SineShapeTable = Unbuilt(SineShape, 0.0f, 1.0f);
SxCurveTable g_CubicShapeTable = Unbuilt(CubicShape, 0.0f, 1.0f);
SxCurveTable g_DbFaderTable = Unbuilt(DbFader, SxDbFloor, -SxDbFloor);
SxCurveTable g_FrequencyTable = Unbuilt(Frequency, 20.0f, 20000.0f);

SXRESULT SxCurveTable::Build(Function f, float lo, float hi, uint32_t n) {
    Free();
    function = f;
    min = lo;
    max = hi;
    if (n < 2 || !(hi > lo)) return SX_Fail;
    samples = static_cast<float*>(std::malloc(sizeof(float) * n));
    if (!samples) return SX_Fail;
    count = n;
    scale = static_cast<float>(n - 1) / (hi - lo);
    for (uint32_t i = 0; i < n; ++i) samples[i] = f(lo + (hi - lo) * static_cast<float>(i) / static_cast<float>(n - 1));
    return SX_Success;
}

void SxCurveTable::Free() {
    std::free(samples);
    samples = nullptr;
    count = 0;
    scale = 0.0f;
}

float SxCurveTable::Lookup(float x) const {
    if (!samples) return function(std::isfinite(x) ? x : min);
    if (!std::isfinite(x)) return samples[0];
    float f = (x - min) * scale;
    // The index stays on a whole segment: the last point and points outside the range use
    // the end segments.
    float last = static_cast<float>(count - 2);
    float i = std::floor(std::clamp(f, 0.0f, last));
    uint32_t index = static_cast<uint32_t>(i);
    return samples[index] + (f - i) * (samples[index + 1] - samples[index]);
}

float SxCurveTable::LookupClamped(float x) const {
    if (std::isnan(x)) x = min;
    if (x >= max) return samples ? samples[count - 1] : function(max);
    if (x <= min) return samples ? samples[0] : function(min);
    return Lookup(x);
}

SXRESULT SxCurveTable::BuildAll(uint32_t shapeSize, uint32_t tableSize, uint32_t shapeFlags) {
    struct Entry {
        SxCurveTable& table;
        uint32_t size;
        bool wanted;
    } entries[] = {
        {g_DbToLinearTable, tableSize, true},
        {g_LinearToDbTable, tableSize, true},
        {g_LogShapeTable, shapeSize, (shapeFlags & kLogShape) != 0},
        {g_SineShapeTable, shapeSize, (shapeFlags & kSineShape) != 0},
        {g_CubicShapeTable, shapeSize, (shapeFlags & kCubicShape) != 0},
        {g_DbFaderTable, tableSize, true},
        {g_FrequencyTable, tableSize, true},
    };
    for (Entry& e : entries) {
        if (!e.wanted) continue;
        if (e.table.Build(e.table.function, e.table.min, e.table.max, e.size) != SX_Success) {
            FreeAll();
            return SX_Fail;
        }
    }
    return SX_Success;
}

void SxCurveTable::FreeAll() {
    for (SxCurveTable* t : {&g_DbToLinearTable, &g_LinearToDbTable, &g_LogShapeTable, &g_SineShapeTable,
                            &g_CubicShapeTable, &g_DbFaderTable, &g_FrequencyTable})
        t->Free();
}

namespace SxMath {

float InterpolateCurve(float t, float a, float b, SxCurveInterpolation shape) {
    const float d = b - a;
    switch (shape) {
        case SxCurve_Log3:
            return a + d * (1.0f - g_CubicShapeTable.Lookup(1.0f - t));
        case SxCurve_Sine:
            return a + d * (1.0f - g_SineShapeTable.Lookup(1.0f - t));
        case SxCurve_Log1:
            return a + d * (1.0f - g_LogShapeTable.Lookup(1.0f - t));
        case SxCurve_SCurve:
            if (t < 0.5f) return a + d * 0.5f * (1.0f - g_SineShapeTable.Lookup(1.0f - 2.0f * t));
            return a + d * (0.5f * g_SineShapeTable.Lookup(2.0f * (t - 0.5f)) + 0.5f);
        case SxCurve_Linear:
            return a + d * t;
        case SxCurve_InvSCurve:
            if (t < 0.5f) return a + d * 0.5f * g_SineShapeTable.Lookup(2.0f * t);
            return a + d * (0.5f * (1.0f - g_SineShapeTable.Lookup(1.0f - 2.0f * (t - 0.5f))) + 0.5f);
        case SxCurve_Exp1:
            return a + d * g_LogShapeTable.Lookup(t);
        case SxCurve_SineRecip:
            return a + d * g_SineShapeTable.Lookup(t);
        case SxCurve_Exp3:
            return a + d * g_CubicShapeTable.Lookup(t);
        default:
            return a;
    }
}

float LinearToDB(float gain) {
    if (!std::isfinite(gain) || gain <= 0.0f) return SxDbFloor;
    float offset = 0.0f;
    while (gain > 10.0f) {
        gain *= 0.1f;
        offset += 20.0f;
    }
    while (gain < 1.0f) {
        gain *= 10.0f;
        offset -= 20.0f;
    }
    return g_LinearToDbTable.Lookup(gain) + offset;
}

float LookupDBToLinear(float db) { return g_DbToLinearTable.LookupClamped(std::isfinite(db) ? db : SxDbFloor); }

float InterpolateCurveDB(float t, float a, float b, SxCurveInterpolation shape) {
    return LinearToDB(InterpolateCurve(t, a, b, shape));
}

}  // namespace SxMath

}  // namespace SX
