#include "sound/music/CSxSegmentBucket.h"

#include <algorithm>

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

float CSxSegmentBucket::VolumeAt(int64_t t) const {
    float factor = 1.0f;
    if (fadeInLength > 0) factor = static_cast<float>(std::clamp(double(t - fadeInStart) / fadeInLength, 0.0, 1.0));
    else if (t < fadeInStart) factor = 0.0f;
    if (fadeOutLength > 0 && t > fadeOutStart)
        factor *= static_cast<float>(std::clamp(1.0 - double(t - fadeOutStart) / fadeOutLength, 0.0, 1.0));
    return factor;
}

}  // namespace SX
