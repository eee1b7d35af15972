#pragma once
// Sampled functions looked up with linear interpolation: the shapes of the non-linear
// curves and the decibel and frequency conversions. Built once by engine initialisation.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

struct SxCurveTable {
    using Function = float (*)(float x);

    float* samples = nullptr;
    float max = 0.0f;
    float min = 0.0f;
    uint32_t count = 0;
    float scale = 0.0f;  // (count - 1) / (max - min)
    Function function = nullptr;

    // Samples the function at count evenly spaced points from min to max; SX_Fail when
    // memory fails or count is below 2.
    SXRESULT Build(Function f, float lo, float hi, uint32_t n);
    void Free();
    bool IsBuilt() const { return samples != nullptr; }

    // Outside the range the end segments extend; a non-finite x gives the first sample.
    // An unbuilt table evaluates its function.
    float Lookup(float x) const;
    // Holds to the first and last samples outside the range.
    float LookupClamped(float x) const;

    // Flags of the shape tables BuildAll makes.
    enum ShapeFlags : uint32_t { kLogShape = 1, kSineShape = 2, kCubicShape = 4, kAllShapes = 7 };
    // Builds the conversion tables with tableSize samples and the flagged shape tables with
    // shapeSize samples; SX_Fail when memory fails.
    static SXRESULT BuildAll(uint32_t shapeSize, uint32_t tableSize, uint32_t shapeFlags);
    static void FreeAll();
};

constexpr float SxDbFloor = -96.3f;

// The engine's tables.
extern SxCurveTable g_DbToLinearTable;  // 10^(x/20), -96.3 .. 96.3
extern SxCurveTable g_LinearToDbTable;  // 20 log10(x), 1 .. 10
extern SxCurveTable g_LogShapeTable;    // x^1.41
extern SxCurveTable g_SineShapeTable;   // 1 - sin((1 - x) pi/2)
extern SxCurveTable g_CubicShapeTable;  // x^3
extern SxCurveTable g_DbFaderTable;     // fader position to dB, -96.3 .. 96.3
extern SxCurveTable g_FrequencyTable;   // 20 .. 20000 Hz on a log scale

namespace SxMath {

// The value between a and b at t in [0, 1] along the shape.
float InterpolateCurve(float t, float a, float b, SxCurveInterpolation shape);
// Gain to dB: -96.3 for a gain at or below 0 or not finite.
float LinearToDB(float gain);
// dB to gain through the clamped dB-to-linear table; a non-finite value gives its floor.
float LookupDBToLinear(float db);
// Interpolates linear gains a and b and gives the result in dB.
float InterpolateCurveDB(float t, float a, float b, SxCurveInterpolation shape);

}  // namespace SxMath

}  // namespace SX
