#include "sound/music/CSxMusicCtx.h"

#include <algorithm>
#include <cmath>

#include "core/Logger.h"
#include "sound/engine/lower/SxAudioBuffer.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/CSxMusicContainers.h"
#include "sound/music/CSxMusicRenderer.h"
#include "sound/music/CSxMusicSegment.h"
#include "sound/music/SxGridNotifier.h"
#include "sound/music/SxMusicEngine.h"
#include "sound/music/SxMusicLookup.h"
#include "sound/music/SxTransitionPlan.h"

namespace SX {
namespace {

// The silence a switch without a node for its value plays: nothing to sync to but now.
const SxSegmentTiming& NoSegment() {
    static const SxSegmentTiming timing;
    return timing;
}

}  // namespace

// --- life ---

CSxMusicCtx::CSxMusicCtx(CSxMusicNode& node, const SxMusicPlayParams& params) : m_node(&node), m_params(params) {
    m_node->AddRef();
    if (m_params.gameObj) m_params.gameObj->AddRef();
    if (m_params.externalSources) m_params.externalSources->AddRef();
    // The first frame is heard from its sample offset on.
    m_now = -static_cast<int64_t>(std::min<uint32_t>(params.sampleOffset, SxFrameLength - 1));
}

CSxMusicCtx::~CSxMusicCtx() {
    if (m_triggersRegistered && g_pStateMgr) g_pStateMgr->UnregisterTrigger(this);
    m_listeners.clear();
    m_stingers.clear();
    m_chain.clear();
    m_feed.Reset();
    // Deferred state changes are not lost with their music.
    for (const StateAction& action : m_stateActions) CSxMusicRenderer::ExecutePendingStateChange(action.record);
    if (m_params.externalSources) m_params.externalSources->Release();
    if (m_params.gameObj) m_params.gameObj->Release();
    m_node->Release();
}

std::unique_ptr<CSxMusicCtx> CSxMusicCtx::Create(CSxMusicNode& node, const SxMusicPlayParams& params) {
    std::unique_ptr<CSxMusicCtx> ctx(new (std::nothrow) CSxMusicCtx(node, params));
    if (!ctx || ctx->Init() != SX_Success) return nullptr;
    return ctx;
}

SXRESULT CSxMusicCtx::Init() {
    m_triggersRegistered = g_pStateMgr && g_pStateMgr->RegisterTrigger(this, m_params.gameObj) == SX_Success;
    m_switch = dynamic_cast<CSxMusicSwitchCntr*>(m_node);
    if (m_switch) {
        SubscribeGroups();
        const CSxMusicSwitchCntr* owner = nullptr;
        m_switchTarget = Resolve(0, owner);
        CSxMusicNode* target = SxFindMusicNode(m_switchTarget);
        const SXRESULT made = MakeFeed(target, m_params.gameObj, m_feed);
        if (target) target->Release();
        if (made != SX_Success) return made;
    } else if (MakeFeed(m_node, m_params.gameObj, m_feed) != SX_Success) {
        return SX_Fail;
    }
    Next next = NextOf(m_feed);
    if (next.segment) {
        ScheduleFirst(next);
        next.segment->Release();
    }
    m_feed.Keep(true);
    // A switch on silence waits for its group to change; anything else must have music.
    m_ended = !m_switch && m_chain.empty();
    if (m_chain.empty() && !m_switch) return SX_Fail;
    return SX_Success;
}

// --- scheduling ---

void CSxMusicCtx::ScheduleFirst(const Next& next) {
    auto bucket = std::make_unique<CSxSegmentBucket>(*next.segment, next.itemID);
    // The container's rule from nothing decides where the first segment enters.
    const CSxMusicTransAware* rules = m_feed.sequence;
    const SxMusicTransitionRule* rule = rules ? rules->GetTransitionRule(0, bucket->segment->ID()) : nullptr;
    int32_t position = 0;
    if (rule) {
        if (rule->entryType == SxEntryType_EntryMarker && rule->playPreEntry)
            position = -bucket->timing.PreEntry();
        else if (SxGetDestEntryPosition(bucket->timing, rule->entryType, 0, position) != SX_Success)
            position = 0;
        if (rule->destinationFade.timeMs > 0) {
            bucket->fadeInStart = rule->destinationFade.offset;
            bucket->fadeInLength = SxMusicMsToSamples(rule->destinationFade.timeMs);
            bucket->fadeInCurve = rule->destinationFade.curve;
        }
    }
    // The first frame is heard from the event's sample offset, a later start from now; streamed
    // clips heard at once delay it by their look-ahead.
    bucket->playTime = std::max<int64_t>(m_now, 0) + CSxSegmentCtx::LookAheadNeeded(*bucket->segment, position);
    bucket->playPosition = position;
    bucket->entryTime = bucket->playTime - position;
    if (bucket->fadeInLength > 0) bucket->fadeInStart += bucket->playTime;
    m_chain.push_back(std::move(bucket));
}

void CSxMusicCtx::ScheduleFollower(CSxSegmentBucket& last) {
    last.hasFollower = true;
    Next next = NextOf(m_feed);
    m_feed.Keep(true);
    if (!next.segment) {
        // The last segment plays to its end.
        if (last.stopTime == CSxSegmentBucket::kNever)
            last.stopTime = last.entryTime + last.timing.Active() + last.timing.PostExit();
        m_ended = true;
        return;
    }
    const CSxMusicTransAware* rules = m_feed.sequence;
    const SxMusicTransitionRule* rule =
        rules ? rules->GetTransitionRule(last.segment->ID(), next.segment->ID()) : nullptr;
    const SxMusicTransitionRule& used = rule ? *rule : CSxMusicTransAware::FallbackRule();
    // The playlist moves on from where the segment begins: its exit cue in the usual rule.
    const int32_t from = std::max(last.playPosition, 0);
    int64_t sync;
    if (!Schedule(last, last.entryTime + from, from, next, used, false, sync)) {
        SD_WARNING(Debug::kLogSevere, "music: no sync point in segment %u for the next one; the music ends",
                   last.segment->ID());
        last.stopTime = last.entryTime + last.timing.Active() + last.timing.PostExit();
        m_ended = true;
    }
    next.segment->Release();
}

bool CSxMusicCtx::Schedule(CSxSegmentBucket& source, int64_t base, int32_t basePosition, const Next& next,
                           const SxMusicTransitionRule& rule, bool notifySync, int64_t& sync) {
    if (!rule.hasTransSegment) return ScheduleLeg(source, base, basePosition, next, rule, notifySync, sync);
    // Two legs: the source to the transition segment by the rule's sync and source fade, with
    // the segment's fade-in; then the segment at its exit cue to the destination, with the
    // segment's fade-out and the rule's destination settings.
    const SxMusicTransSegment& between = rule.transSegment;
    auto* segment = dynamic_cast<CSxMusicSegment*>(SxFindMusicNode(between.segmentID));
    if (!segment) {
        SD_WARNING(Debug::kLogSevere, "music: transition segment %u is not loaded", between.segmentID);
        return false;
    }
    SxMusicTransitionRule toSegment = rule;
    toSegment.hasTransSegment = false;
    toSegment.destinationFade = between.fadeIn;
    toSegment.entryType = SxEntryType_EntryMarker;
    toSegment.playPreEntry = between.playPreEntry;
    SxMusicTransitionRule toDestination = rule;
    toDestination.hasTransSegment = false;
    toDestination.sourceFade = between.fadeOut;
    toDestination.syncType = SxSyncType_ExitMarker;
    toDestination.playPostExit = between.playPostExit;

    const size_t before = m_chain.size();
    const SxBucketEnd saved = source.End();
    const bool first = ScheduleLeg(source, base, basePosition, Next{segment, 0}, toSegment, false, sync);
    segment->Release();
    if (!first) return false;
    CSxSegmentBucket& trans = *m_chain.back();
    const int32_t from = std::max(trans.playPosition, 0);
    int64_t second;
    if (ScheduleLeg(trans, trans.entryTime + from, from, next, toDestination, notifySync, second)) return true;
    m_chain.resize(before);
    source.SetEnd(saved);
    return false;
}

bool CSxMusicCtx::ScheduleLeg(CSxSegmentBucket& source, int64_t base, int32_t basePosition, const Next& next,
                              const SxMusicTransitionRule& rule, bool notifySync, int64_t& sync) {
    const SxSegmentTiming& destination = next.segment ? next.segment->Timing() : NoSegment();
    // The sync point must leave the destination's streamed clips their look-ahead (reckoned from
    // where the destination enters at its entry cue).
    const bool preEntry = rule.entryType == SxEntryType_EntryMarker && rule.playPreEntry;
    const int32_t lookAhead =
        next.segment ? CSxSegmentCtx::LookAheadNeeded(*next.segment, preEntry ? -destination.PreEntry() : 0) : 0;
    SxTransitionPlan plan;
    if (SxPlanTransition(source.timing, basePosition, rule, destination, lookAhead, plan) != SX_Success) return false;
    sync = base + plan.syncDelay;
    source.stopTime = base + plan.sourceStop;
    if (plan.sourceFadeMs > 0) {
        source.fadeOutStart = base + plan.sourceFadeStart;
        source.fadeOutLength = SxMusicMsToSamples(plan.sourceFadeMs);
        source.fadeOutCurve = plan.sourceFadeCurve;
    } else {
        source.fadeOutStart = CSxSegmentBucket::kNever;
        source.fadeOutLength = 0;
    }
    source.hasFollower = true;
    if (!next.segment) {
        // Silence follows: the source's sync point is where the change becomes current.
        source.syncTime = notifySync ? sync : CSxSegmentBucket::kNever;
        return true;
    }
    auto bucket = std::make_unique<CSxSegmentBucket>(*next.segment, next.itemID);
    // The plan starts the destination its look-ahead early; the bucket keeps when it is heard,
    // and its context begins that much before.
    bucket->playTime = base + plan.destinationPlay + lookAhead;
    bucket->playPosition = plan.destinationPosition;
    bucket->entryTime = bucket->playTime - plan.destinationPosition;
    if (rule.destinationFade.timeMs > 0) {
        bucket->fadeInStart = base + plan.syncDelay + rule.destinationFade.offset;
        bucket->fadeInLength = SxMusicMsToSamples(rule.destinationFade.timeMs);
        bucket->fadeInCurve = rule.destinationFade.curve;
    }
    if (notifySync) bucket->syncTime = sync;
    m_chain.push_back(std::move(bucket));
    return true;
}

CSxSegmentBucket* CSxMusicCtx::CurrentBucket() const {
    CSxSegmentBucket* current = nullptr;
    for (const auto& bucket : m_chain) {
        if (!bucket->Started(m_now)) break;
        current = bucket.get();
    }
    return current;
}

int64_t CSxMusicCtx::HandOverOf(size_t i) const {
    if (i + 1 >= m_chain.size()) return m_chain[i]->stopTime;
    // A destination may be heard early (its pre-entry), or join the source's position at once.
    const CSxSegmentBucket& next = *m_chain[i + 1];
    return next.entryTime + std::max(next.playPosition, 0);
}

// --- frames ---

void CSxMusicCtx::Execute() {
    if (m_pauseCount > 0 && !m_pausing) return;
    if (!m_stopping && !m_chain.empty()) {
        CSxSegmentBucket& last = *m_chain.back();
        if (!last.hasFollower && last.Started(m_now + SxFrameLength)) ScheduleFollower(last);
    }
    m_notes.clear();
    for (size_t i = 0; i < m_chain.size(); ++i) RunBucket(*m_chain[i], true);
    for (const auto& stinger : m_stingers) RunBucket(*stinger, false);
    const int64_t end = m_now + SxFrameLength;
    for (size_t i = 0; i < m_stateActions.size();) {
        if (m_stateActions[i].time >= end) {
            ++i;
            continue;
        }
        const uint32_t record = m_stateActions[i].record;
        m_stateActions.erase(m_stateActions.begin() + static_cast<std::ptrdiff_t>(i));
        CSxMusicRenderer::ExecutePendingStateChange(record);
    }
    m_chain.erase(std::remove_if(m_chain.begin(), m_chain.end(),
                                 [&](const std::unique_ptr<CSxSegmentBucket>& b) { return b->stopTime <= m_now; }),
                  m_chain.end());
    m_stingers.erase(std::remove_if(m_stingers.begin(), m_stingers.end(),
                                    [&](const std::unique_ptr<CSxSegmentBucket>& b) { return b->stopTime <= m_now; }),
                     m_stingers.end());
    m_stingerRecords.erase(std::remove_if(m_stingerRecords.begin(), m_stingerRecords.end(),
                                          [&](const StingerRecord& r) { return r.dontRepeatEnd <= m_now; }),
                           m_stingerRecords.end());
    if (m_undo.active && !UndoValid()) m_undo = Undo{};
    if (m_chain.empty() && m_stopping) m_ended = true;
    std::stable_sort(m_notes.begin(), m_notes.end(),
                     [](const Pending& a, const Pending& b) { return a.time < b.time; });
    if (g_pPlayingMgr && m_params.playingID) {
        for (const Pending& note : m_notes)
            g_pPlayingMgr->NotifyMusicSync(m_params.playingID, note.bit, note.grid,
                                           static_cast<uint32_t>(note.time - m_now));
    }
    m_now = end;
    // A change under way is heard: the changes of the switches below it that waited follow.
    if (!m_deferredGroups.empty() && !(m_pendingSync >= m_now && m_pendingSync != CSxSegmentBucket::kNever))
        ApplyDeferredChanges();
    // The pause takes hold once its fade-out has ended.
    if (m_pausing && m_now >= m_pauseFade.start + m_pauseFade.length) {
        m_pausing = false;
        PauseInstances();
    }
}

void CSxMusicCtx::RunBucket(CSxSegmentBucket& bucket, bool ofChain) {
    const int64_t end = m_now + SxFrameLength;
    if (bucket.syncTime >= m_now && bucket.syncTime < end && (m_params.callbackFlags & SxMusicCallback_SwitchChange))
        m_notes.push_back({bucket.syncTime, SxMusicCallback_SwitchChange, bucket.timing.grid});
    // A segment that stops at its exit cue still reaches it, also on the frame's first sample.
    const int64_t exit = bucket.entryTime + bucket.timing.Active();
    if (ofChain && (m_params.callbackFlags & SxMusicCallback_Exit) && bucket.ctx && exit == bucket.stopTime &&
        exit >= m_now && exit < end)
        m_notes.push_back({exit, SxMusicCallback_Exit, bucket.timing.grid});
    if (bucket.stopTime <= m_now) {
        bucket.ctx.reset();
        return;
    }
    uint32_t offset = 0;
    if (!bucket.ctx) {
        // The context begins early enough for the look-ahead of the streamed clips it starts.
        const int64_t heard = std::max(bucket.playTime, m_now);
        const int64_t start = std::max(
            heard - CSxSegmentCtx::LookAheadNeeded(*bucket.segment, static_cast<int32_t>(heard - bucket.entryTime)),
            m_now);
        if (start >= end) return;
        bucket.ctx = std::make_unique<CSxSegmentCtx>(*bucket.segment, m_params.gameObj, m_params.playingID,
                                                     m_params.externalSources);
        bucket.ctx->SetPosition(static_cast<int32_t>(heard - bucket.entryTime), static_cast<int32_t>(heard - start));
        offset = static_cast<uint32_t>(start - m_now);
    }
    // The volume reached at the end of the frame; the mix ramps to it across the frame.
    bucket.ctx->SetVolume(bucket.VolumeAt(end) * PauseFactorAt(end));
    bucket.ctx->Execute(offset);
    if (bucket.stopTime < end)
        bucket.ctx->StopAt(static_cast<uint32_t>(std::max(bucket.stopTime - m_now, int64_t(offset))));

    if (!ofChain || !(m_params.callbackFlags & SxMusicCallback_AllGrid)) return;
    const int64_t from = std::max(m_now + offset, bucket.playTime) - bucket.entryTime;
    const int64_t to = std::min(end, bucket.stopTime) - bucket.entryTime;
    std::vector<SxMusicNotification> out;
    if (to > from)
        SxNotifyGrid(bucket.timing, static_cast<int32_t>(from), static_cast<int32_t>(to), m_params.callbackFlags, out);
    for (const SxMusicNotification& n : out)
        m_notes.push_back({bucket.entryTime + from + n.offset, n.bit, bucket.timing.grid});
}

// --- state sync and segment information ---

namespace {

// The sync types of the state group on the bucket's segment and its tracks, the segment's first.
std::vector<uint32_t> StateSyncTypes(const CSxSegmentBucket& bucket, uint32_t groupID) {
    std::vector<uint32_t> types;
    uint32_t type;
    if (bucket.segment->GetStateSyncType(groupID, type)) types.push_back(type);
    for (uint32_t i = 0; i < bucket.segment->ChildCount(); ++i)
        if (bucket.segment->Child(i)->GetStateSyncType(groupID, type)) types.push_back(type);
    return types;
}

// The earliest sync point of the types in the bucket from time `from`, before `limit`.
int64_t NextStateSync(const CSxSegmentBucket& bucket, const std::vector<uint32_t>& types, int64_t from, int64_t limit) {
    const int64_t position = from - bucket.entryTime;
    if (position > INT32_MAX || position < INT32_MIN) return CSxSegmentBucket::kNever;
    int64_t best = CSxSegmentBucket::kNever;
    for (uint32_t t : types) {
        int32_t sync;
        if (SxGetNextSyncPosition(bucket.timing, static_cast<int32_t>(position), t, false, sync) == SX_Success &&
            bucket.entryTime + sync < limit)
            best = std::min<int64_t>(best, bucket.entryTime + sync);
    }
    return best;
}

}  // namespace

bool CSxMusicCtx::DelayToStateSync(uint32_t groupID, int64_t& delay) const {
    const CSxSegmentBucket* current = CurrentBucket();
    if (!current || m_pauseCount > 0) return false;
    size_t at = 0;
    while (m_chain[at].get() != current) ++at;
    std::vector<uint32_t> types;
    if (current->ctx) types = StateSyncTypes(*current, groupID);
    const bool waits = !types.empty();
    if (waits && types.front() == SxSyncType_Immediate) return false;
    int64_t time = waits ? NextStateSync(*current, types, m_now, HandOverOf(at)) : CSxSegmentBucket::kNever;
    if (time == CSxSegmentBucket::kNever && at + 1 < m_chain.size()) {
        // No point left before the next segment takes over: that segment decides, from where it
        // is heard; when it does not wait for the group, the change comes with it.
        const CSxSegmentBucket& next = *m_chain[at + 1];
        if (!waits && !next.ctx) return false;
        const std::vector<uint32_t> own = StateSyncTypes(next, groupID);
        if (own.empty() || own.front() == SxSyncType_Immediate) {
            if (!waits) return false;
            time = HandOverOf(at);
        } else {
            time = NextStateSync(next, own, std::max(m_now, HandOverOf(at)), HandOverOf(at + 1));
        }
    } else if (time == CSxSegmentBucket::kNever && waits) {
        // The last segment without a point left: the change waits until it stops.
        time = current->stopTime;
    }
    if (time == CSxSegmentBucket::kNever) return false;
    delay = time - m_now;
    return true;
}

void CSxMusicCtx::ScheduleStateChange(int64_t delay, uint32_t record) {
    m_stateActions.push_back({m_now + delay, record});
}

bool CSxMusicCtx::GetPlayingSegmentInfo(SxSegmentInfo& info) const {
    const CSxSegmentBucket* bucket = CurrentBucket();
    // Before the first segment is heard its context may already run for its look-ahead: the
    // position is then negative and the look-ahead still to run is told.
    int64_t lookAhead = 0;
    for (size_t i = 0; !bucket && i < m_chain.size(); ++i) {
        if (!m_chain[i]->ctx) continue;
        bucket = m_chain[i].get();
        lookAhead = bucket->playTime - m_now;
    }
    if (!bucket) return false;
    const auto ms = [](int64_t samples) {
        return static_cast<int32_t>(std::llround(double(samples) * 1000.0 / SxTimingSettings::sampleRate));
    };
    info.iPositionMs = ms(m_now - bucket->entryTime);
    info.iPreEntryMs = ms(bucket->timing.PreEntry());
    info.iActiveMs = ms(bucket->timing.Active());
    info.iPostExitMs = ms(bucket->timing.PostExit());
    info.iLookAheadMs = lookAhead >= 1 ? ms(lookAhead) : 0;
    return true;
}

}  // namespace SX
