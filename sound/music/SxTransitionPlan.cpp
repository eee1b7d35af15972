#include "sound/music/SxTransitionPlan.h"

#include <algorithm>
#include <cmath>

#include "sound/engine/transitions/SxTimingSettings.h"

namespace SX {
namespace {

// Same-time entries move the sync point on while the destination's lead does not fit; each
// try starts one sample later, so the search is bounded.
constexpr int kMaxSameTimeTries = 64;

}  // namespace

SXRESULT SxPlanTransition(const SxSegmentTiming& source, int32_t sourcePosition, const SxMusicTransitionRule& rule,
                          const SxSegmentTiming& destination, int32_t lookAhead, SxTransitionPlan& plan) {
    const uint32_t syncType = rule.syncType & 0x1F;
    const bool sameTime = rule.entryType == SxEntryType_SameTime;
    const int64_t fadeSamples = std::llround(SxTimingSettings::sampleRate * (rule.sourceFade.timeMs * 0.001));
    const int64_t fadeNeed = rule.sourceFade.timeMs >= 1 ? fadeSamples - rule.sourceFade.offset : 0;

    int32_t entry = 0;
    if (!sameTime && SxGetDestEntryPosition(destination, rule.entryType, 0, entry) != SX_Success) return SX_Fail;
    const bool preEntry = rule.entryType == SxEntryType_EntryMarker && rule.playPreEntry;
    int64_t lead = lookAhead + (preEntry ? destination.PreEntry() : 0);

    int64_t from = sourcePosition + std::max<int64_t>(std::max<int64_t>(fadeNeed, lead), 0);
    int32_t sync = 0;
    for (int tries = 0;; ++tries) {
        if (from > INT32_MAX || tries > kMaxSameTimeTries) return SX_Fail;
        if (SxGetNextSyncPosition(source, static_cast<int32_t>(from), syncType, !sameTime, sync) != SX_Success)
            return SX_Fail;
        if (!sameTime) break;
        if (SxGetDestEntryPosition(destination, rule.entryType, sync, entry) != SX_Success) return SX_Fail;
        if (sync - sourcePosition >= lead) break;
        from = sync + 1;
    }

    plan = SxTransitionPlan{};
    plan.sourcePosition = sync;
    plan.syncDelay = sync - sourcePosition;
    const int64_t delay = plan.syncDelay;

    // Source: a fade placed by its offset around the sync point; the sync point was searched
    // far enough ahead for the whole fade to fit.
    plan.sourceFadeCurve = rule.sourceFade.curve;
    if (rule.sourceFade.timeMs >= 1) {
        plan.sourceFadeStart = static_cast<int32_t>(delay + rule.sourceFade.offset - fadeSamples);
        plan.sourceFadeMs = rule.sourceFade.timeMs;
        plan.sourceStop = static_cast<int32_t>(delay + rule.sourceFade.offset);
    } else if (rule.playPostExit && syncType == SxSyncType_ExitMarker) {
        plan.sourceFadeStart = plan.sourceStop = static_cast<int32_t>(delay + source.PostExit());
    } else {
        plan.sourceFadeStart = plan.sourceStop =
            static_cast<int32_t>(std::max<int64_t>(delay + rule.sourceFade.offset, 0));
    }

    // Destination: heard from its entry position at the sync point, started early by its lead;
    // its fade stays placed relative to the sync point.
    plan.destinationPosition = preEntry ? -destination.PreEntry() : entry;
    plan.destinationPlay = static_cast<int32_t>(delay - lead);
    plan.destinationFade = rule.destinationFade;
    if (plan.destinationFade.timeMs > 0) plan.destinationFade.offset += static_cast<int32_t>(lead);
    return SX_Success;
}

}  // namespace SX
