#include "sound/music/CSxMusicCtx.h"

#include <algorithm>

#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/CSxMusicRenderer.h"
#include "sound/music/CSxMusicSegment.h"
#include "sound/music/SxMusicLookup.h"

namespace SX {

void CSxMusicCtx::Trigger(uint32_t triggerID) {
    if (m_stopping || m_pauseCount > 0) return;
    CSxSegmentBucket* current = CurrentBucket();
    if (!current) return;
    const std::vector<SxStingerRecord> stingers = current->segment->GetStingers();
    const auto stinger = std::find_if(stingers.begin(), stingers.end(),
                                      [&](const SxStingerRecord& s) { return s.triggerID == triggerID; });
    if (stinger == stingers.end()) return;
    for (const StingerRecord& record : m_stingerRecords)
        if (record.stinger.triggerID == triggerID && record.dontRepeatEnd > m_now) return;
    PlaceStinger(*stinger);
}

bool CSxMusicCtx::PlaceStinger(const SxStingerRecord& stinger) {
    CSxSegmentBucket* current = CurrentBucket();
    if (!current) return false;
    auto* segment = dynamic_cast<CSxMusicSegment*>(SxFindMusicNode(stinger.segmentID));
    if (!segment) return false;
    // The sync point in the segment heard now (or, when the stinger may look one segment ahead,
    // in the one that follows), before that segment gives way.
    int64_t syncTime = CSxSegmentBucket::kNever;
    size_t at = 0;
    while (m_chain[at].get() != current) ++at;
    const size_t last = at + (stinger.lookAheadCount == 1 ? 1 : 0);
    for (size_t i = at; i < m_chain.size() && i <= last && syncTime == CSxSegmentBucket::kNever; ++i) {
        CSxSegmentBucket& bucket = *m_chain[i];
        const int64_t from = std::max(m_now, bucket.playTime) - bucket.entryTime;
        int32_t sync;
        if (from < INT32_MIN || from > INT32_MAX ||
            SxGetNextSyncPosition(bucket.timing, static_cast<int32_t>(from), stinger.syncType, false, sync) !=
                SX_Success)
            continue;
        if (bucket.entryTime + sync < HandOverOf(i)) syncTime = bucket.entryTime + sync;
    }
    if (syncTime != CSxSegmentBucket::kNever) {
        auto bucket = std::make_unique<CSxSegmentBucket>(*segment, 0);
        bucket->playTime = syncTime;
        bucket->playPosition = 0;
        bucket->entryTime = syncTime;
        bucket->stopTime = syncTime + bucket->timing.Active() + bucket->timing.PostExit();
        bucket->hasFollower = true;
        m_stingers.push_back(std::move(bucket));
        m_stingerRecords.push_back(
            {stinger, syncTime, syncTime + int64_t(SxTimingSettings::sampleRate / 1000) * stinger.dontRepeatMs});
    }
    segment->Release();
    return syncTime != CSxSegmentBucket::kNever;
}

void CSxMusicCtx::MoveActionsFrom(int64_t cut, bool retrigger) {
    // A stinger not yet heard is forgotten with its don't-repeat time: it was never played.
    std::vector<SxStingerRecord> again;
    for (auto record = m_stingerRecords.begin(); record != m_stingerRecords.end();) {
        if (record->time < cut || record->time < m_now) {
            ++record;
            continue;
        }
        const auto bucket =
            std::find_if(m_stingers.begin(), m_stingers.end(), [&](const std::unique_ptr<CSxSegmentBucket>& b) {
                return b->playTime == record->time && b->segment->ID() == record->stinger.segmentID;
            });
        if (bucket != m_stingers.end()) m_stingers.erase(bucket);
        if (retrigger && record->stinger.lookAheadCount == 1) again.push_back(record->stinger);
        record = m_stingerRecords.erase(record);
    }
    for (const SxStingerRecord& stinger : again) PlaceStinger(stinger);

    std::vector<StateAction> moved;
    for (auto action = m_stateActions.begin(); action != m_stateActions.end();) {
        if (action->time < cut) {
            ++action;
            continue;
        }
        moved.push_back(*action);
        action = m_stateActions.erase(action);
    }
    for (const StateAction& action : moved) CSxMusicRenderer::RescheduleOrExecutePendingStateChange(action.record);
}

}  // namespace SX
