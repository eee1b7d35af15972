#pragma once
// One segment placed on a music context's timeline: when its entry cue falls, when and from
// where it begins to sound, its fades and its stop, all in samples of the context's clock. Its
// segment context exists from the frame it begins to sound until it stops.
#include <cstdint>
#include <limits>
#include <memory>

#include "sound/engine/SxTypes.h"
#include "sound/music/CSxSegmentCtx.h"
#include "sound/music/SxMusicSync.h"

namespace SX {

class CSxMusicSegment;

// How a bucket ends: what a transition changes and may have to put back.
struct SxBucketEnd {
    int64_t stopTime;
    int64_t fadeOutStart;
    int32_t fadeOutLength;
    uint32_t fadeOutCurve;
    int64_t syncTime;
    bool hasFollower;
};

// The factor of a fade from one factor to another at progress p in [0, 1]: the fade's decibel
// value runs along the curve, and the factor is that value's place on the engine's decibel
// scale (0 at its floor, 1 at 0 dB). An unknown curve number fades linearly.
float SxMusicFadeFactor(double progress, float from, float to, uint32_t curve);

struct CSxSegmentBucket {
    static constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

    CSxSegmentBucket(CSxMusicSegment& segment, uint32_t itemID);
    ~CSxSegmentBucket();
    CSxSegmentBucket(const CSxSegmentBucket&) = delete;
    CSxSegmentBucket& operator=(const CSxSegmentBucket&) = delete;

    // The volume factor of the fades at time t (0 before a fade-in starts): each fade runs
    // along its curve between silence and full level on the engine's decibel scale.
    float VolumeAt(int64_t t) const;
    SxBucketEnd End() const { return {stopTime, fadeOutStart, fadeOutLength, fadeOutCurve, syncTime, hasFollower}; }
    void SetEnd(const SxBucketEnd& end) {
        stopTime = end.stopTime;
        fadeOutStart = end.fadeOutStart;
        fadeOutLength = end.fadeOutLength;
        fadeOutCurve = end.fadeOutCurve;
        syncTime = end.syncTime;
        hasFollower = end.hasFollower;
    }
    // Heard by now (its context may have begun earlier for its look-ahead).
    bool Started(int64_t now) const { return playTime <= now; }
    int64_t StopPosition() const { return stopTime == kNever ? kNever : stopTime - entryTime; }

    CSxMusicSegment* segment;  // one reference held
    uint32_t itemID;
    SxSegmentTiming timing;
    int64_t entryTime = 0;     // the entry cue
    int64_t playTime = 0;      // first heard
    int32_t playPosition = 0;  // entry-relative position at playTime
    int64_t stopTime = kNever;
    int64_t fadeInStart = std::numeric_limits<int64_t>::min();
    int32_t fadeInLength = 0;
    uint32_t fadeInCurve = SxCurve_Linear;
    int64_t fadeOutStart = kNever;
    int32_t fadeOutLength = 0;
    uint32_t fadeOutCurve = SxCurve_Linear;
    // A switch's change becomes current at this bucket's sync point.
    int64_t syncTime = kNever;
    bool hasFollower = false;
    std::unique_ptr<CSxSegmentCtx> ctx;
};

}  // namespace SX
