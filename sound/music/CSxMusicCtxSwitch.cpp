#include "sound/music/CSxMusicCtx.h"

#include <algorithm>

#include "core/Logger.h"
#include "sound/music/CSxMusicContainers.h"
#include "sound/music/CSxMusicSegment.h"
#include "sound/music/SxMusicLookup.h"

namespace SX {
namespace {

// Buckets a switch change tries for a sync point before it gives up.
constexpr size_t kMaxSyncBuckets = 64;

}  // namespace


void CSxMusicCtx::OnStateChanged(uint32_t stateID) { ChangeSwitch(stateID); }

void CSxMusicCtx::OnSwitchChange(uint32_t switchID, CSxRegisteredObj* gameObj) {
    if (gameObj && gameObj != m_params.gameObj) return;
    ChangeSwitch(switchID);
}

bool CSxMusicCtx::UndoValid() const {
    if (!m_undo.active) return false;
    const auto held = std::find_if(m_chain.begin(), m_chain.end(),
                                   [&](const std::unique_ptr<CSxSegmentBucket>& b) { return b.get() == m_undo.source; });
    return held != m_chain.end() && m_undo.source->stopTime > m_now;
}

void CSxMusicCtx::ChangeSwitch(uint32_t value) {
    if (!m_switch || m_stopping || value == m_switchValue) return;
    const uint32_t targetID = m_switch->NodeForSwitch(value);
    if (m_switch->ContinuePlayback() && targetID == m_switchTarget) {
        m_switchValue = value;
        return;
    }
    if (!UndoValid()) m_undo = Undo{};
    // Back to the music still heard before a pending change took over: the change is cancelled.
    if (m_undo.active && targetID == m_undo.target) {
        CSxSegmentBucket& source = *m_undo.source;
        m_chain.erase(std::find_if(m_chain.begin(), m_chain.end(),
                                   [&](const std::unique_ptr<CSxSegmentBucket>& b) { return b.get() == &source; }) + 1,
                      m_chain.end());
        source.SetEnd(m_undo.end);
        source.hasFollower = false;
        m_feed = std::move(m_undo.feed);
        m_switchTarget = m_undo.target;
        m_switchValue = value;
        m_undo = Undo{};
        return;
    }
    CSxMusicNode* target = SxFindMusicNode(targetID);
    Feed feed;
    const SXRESULT made = MakeFeed(target, m_params.gameObj, feed);
    if (target) target->Release();
    if (made != SX_Success) return;
    Next next = NextOf(feed);
    const CSxParameterNodeBase* destination =
        next.segment ? static_cast<const CSxParameterNodeBase*>(next.segment) : feed.node;

    // The change leaves the segment heard now at the first sync point that fits; a bucket not
    // yet heard (a pending change, the playlist's next segment) is replaced.
    CSxSegmentBucket* chosen = nullptr;
    Undo undo;
    uint32_t lookups = 0;
    size_t first = 0;
    if (CSxSegmentBucket* current = CurrentBucket()) {
        while (m_chain[first].get() != current) ++first;
    }
    for (size_t i = first; i < m_chain.size() && i < first + kMaxSyncBuckets && !chosen; ++i) {
        CSxSegmentBucket& source = *m_chain[i];
        const bool started = source.Started(m_now);
        const int64_t base = started ? m_now : source.playTime;
        const int64_t position = base - source.entryTime;
        if (position > INT32_MAX || position < INT32_MIN) continue;
        bool toSequence = false;
        const SxMusicTransitionRule* rule = m_switch->GetTransitionRule(source.segment, destination, lookups, toSequence);
        const SxMusicTransitionRule& used = rule ? *rule : CSxMusicTransAware::FallbackRule();
        undo.source = &source;
        undo.end = source.End();
        const size_t before = m_chain.size();
        if (!Schedule(source, base, static_cast<int32_t>(position), next, used, true)) continue;
        // Drop the buckets that were to follow the source: the new music takes their place.
        std::vector<std::unique_ptr<CSxSegmentBucket>> added;
        for (size_t k = before; k < m_chain.size(); ++k) added.push_back(std::move(m_chain[k]));
        m_chain.erase(m_chain.begin() + static_cast<std::ptrdiff_t>(i) + 1, m_chain.end());
        for (auto& bucket : added) m_chain.push_back(std::move(bucket));
        chosen = &source;
    }
    const bool fromSilence = m_chain.empty();
    if (!chosen && !fromSilence) {
        if (next.segment) next.segment->Release();
        feed.Keep(false);
        SD_WARNING(1, "music switch %u: no sync point for the change to %u; the music goes on", m_switch->ID(), value);
        return;
    }
    // The music heard now and its way on are kept until the change completes, so that a change
    // back to it cancels this one.
    if (chosen && !(m_undo.active && m_undo.source == chosen)) {
        undo.active = true;
        undo.target = m_switchTarget;
        undo.feed = std::move(m_feed);
        m_undo = std::move(undo);
    }
    feed.Keep(true);
    m_feed = std::move(feed);
    m_switchValue = value;
    m_switchTarget = targetID;
    m_ended = false;
    // From silence the new music starts now.
    if (fromSilence && next.segment) ScheduleFirst(next);
    if (next.segment) next.segment->Release();
}

}  // namespace SX
