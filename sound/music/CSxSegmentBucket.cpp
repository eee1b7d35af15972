#include "sound/music/CSxSegmentBucket.h"

#include <algorithm>

#include "sound/engine/curves/SxCurveTable.h"
#include "sound/music/CSxMusicSegment.h"

namespace SX {

CSxSegmentBucket::CSxSegmentBucket(CSxMusicSegment& segment, uint32_t itemID)
    : segment(&segment), itemID(itemID), timing(segment.Timing()) {
    segment.AddRef();
}

CSxSegmentBucket::~CSxSegmentBucket() {
    ctx.reset();
    segment->Release();
}

float SxMusicFadeFactor(double progress, float from, float to, uint32_t curve) {
    const float p = static_cast<float>(std::clamp(progress, 0.0, 1.0));
    if (p >= 1.0f) return to;
    const auto shape = static_cast<SxCurveInterpolation>(curve <= SxCurve_Constant ? curve : SxCurve_Linear);
    // Factors and decibels are affine to each other, so the curve runs on the factors alike.
    return std::clamp(SxMath::InterpolateCurve(p, from, to, shape), 0.0f, 1.0f);
}

float CSxSegmentBucket::VolumeAt(int64_t t) const {
    float factor = 1.0f;
    if (fadeInLength > 0)
        factor = SxMusicFadeFactor(double(t - fadeInStart) / fadeInLength, 0.0f, 1.0f, fadeInCurve);
    else if (t < fadeInStart)
        factor = 0.0f;
    if (fadeOutLength > 0 && t > fadeOutStart)
        factor *= SxMusicFadeFactor(double(t - fadeOutStart) / fadeOutLength, 1.0f, 0.0f, fadeOutCurve);
    return factor;
}

}  // namespace SX
