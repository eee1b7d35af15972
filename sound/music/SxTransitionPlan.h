#pragma once
// When a change from the playing segment to a new one happens: the sync point found from
// now, how the source stops (fade start, fade length, stop) and when and how the destination
// starts, all in samples from now.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/music/CSxMusicTransAware.h"
#include "sound/music/SxMusicSync.h"

namespace SX {

struct SxTransitionPlan {
    int32_t syncDelay = 0;       // from now to the sync point
    int32_t sourcePosition = 0;  // the source's position at the sync point (from its entry cue)
    // The source: its fade-out starts at sourceFadeStart and lasts sourceFadeMs (0: no fade);
    // it stops at sourceStop.
    int32_t sourceFadeStart = 0;
    uint32_t sourceFadeMs = 0;
    uint32_t sourceFadeCurve = 0;
    int32_t sourceStop = 0;
    // The destination: starts playing at destinationPlay from destinationPosition (from its
    // entry cue, negative when it plays its pre-entry), with the fade given.
    int32_t destinationPlay = 0;
    int32_t destinationPosition = 0;
    SxMusicFade destinationFade;
};

// Plans the change of the source, now at sourcePosition, to the destination by rule, with
// the destination needing lookAhead samples before it is heard. SX_Fail when the source has
// no sync point of the rule's type left, or the destination cannot start as the rule asks.
SXRESULT SxPlanTransition(const SxSegmentTiming& source, int32_t sourcePosition, const SxMusicTransitionRule& rule,
                          const SxSegmentTiming& destination, int32_t lookAhead, SxTransitionPlan& plan);

}  // namespace SX
