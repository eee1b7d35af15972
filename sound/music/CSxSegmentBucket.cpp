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

namespace {

// The factor of a fade at progress p in [0, 1]: the fade's decibel value runs along the curve
// between the floor and 0 dB, and the factor is that value's place on the decibel scale. An
// unknown curve number fades linearly.
float FadeFactor(double progress, uint32_t curve, bool rising) {
    const float p = static_cast<float>(std::clamp(progress, 0.0, 1.0));
    if (p >= 1.0f) return rising ? 1.0f : 0.0f;
    const auto shape = static_cast<SxCurveInterpolation>(curve <= SxCurve_Constant ? curve : SxCurve_Linear);
    const float db = rising ? SxMath::InterpolateCurve(p, SxDbFloor, 0.0f, shape)
                            : SxMath::InterpolateCurve(p, 0.0f, SxDbFloor, shape);
    return std::clamp((db - SxDbFloor) / -SxDbFloor, 0.0f, 1.0f);
}

}  // namespace

float CSxSegmentBucket::VolumeAt(int64_t t) const {
    float factor = 1.0f;
    if (fadeInLength > 0) factor = FadeFactor(double(t - fadeInStart) / fadeInLength, fadeInCurve, true);
    else if (t < fadeInStart) factor = 0.0f;
    if (fadeOutLength > 0 && t > fadeOutStart)
        factor *= FadeFactor(double(t - fadeOutStart) / fadeOutLength, fadeOutCurve, false);
    return factor;
}

}  // namespace SX
