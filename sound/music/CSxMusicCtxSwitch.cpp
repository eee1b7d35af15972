#include "sound/music/CSxMusicCtx.h"

#include <algorithm>

#include "core/Logger.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/music/CSxMusicContainers.h"
#include "sound/music/CSxMusicSegment.h"
#include "sound/music/SxMusicLookup.h"

namespace SX {
namespace {

// Buckets a switch change tries for a sync point before it gives up.
constexpr size_t kMaxSyncBuckets = 64;
// Switches of one tree whose groups a context follows, and the levels it resolves down.
constexpr size_t kMaxSwitches = 64;
constexpr int kMaxSwitchDepth = 8;

}  // namespace

CSxMusicCtx::GroupListener::~GroupListener() {
    if (!m_subscribed) return;
    if (m_type == SxGroupType_State) {
        if (g_pStateMgr) g_pStateMgr->UnregisterStateListener(this);
    } else if (g_pRTPCMgr) {
        g_pRTPCMgr->UnregisterSwitchSubscriber(this);
    }
}

bool CSxMusicCtx::GroupListener::Subscribe() {
    const SXRESULT result = m_type == SxGroupType_State
                                ? (g_pStateMgr ? g_pStateMgr->RegisterStateListener(this, m_group) : SX_Fail)
                                : (g_pRTPCMgr ? g_pRTPCMgr->RegisterSwitchSubscriber(this, m_group) : SX_Fail);
    m_subscribed = result == SX_Success;
    return m_subscribed;
}

void CSxMusicCtx::SubscribeGroups() {
    std::vector<const CSxMusicSwitchCntr*> switches{m_switch};
    for (size_t i = 0; i < switches.size() && i < kMaxSwitches; ++i) {
        const CSxMusicSwitchCntr& node = *switches[i];
        const bool known = std::any_of(m_groups.begin(), m_groups.end(), [&](const GroupValue& g) {
            return g.type == node.GroupType() && g.group == node.GroupID();
        });
        if (!known) {
            m_groups.push_back({node.GroupType(), node.GroupID(), SxCurrentSwitchValue(node, m_params.gameObj)});
            auto listener = std::make_unique<GroupListener>(*this, node.GroupType(), node.GroupID());
            if (listener->Subscribe()) m_listeners.push_back(std::move(listener));
        }
        for (uint32_t c = 0; c < node.ChildCount(); ++c)
            if (const auto* inner = dynamic_cast<const CSxMusicSwitchCntr*>(node.Child(c))) switches.push_back(inner);
    }
}

uint32_t CSxMusicCtx::ValueOf(uint32_t groupType, uint32_t groupID) const {
    for (const GroupValue& g : m_groups)
        if (g.type == groupType && g.group == groupID) return g.value;
    return 0;
}

uint32_t CSxMusicCtx::Resolve(uint32_t groupID, const CSxMusicSwitchCntr*& owner) const {
    owner = nullptr;
    const CSxMusicNode* node = m_switch;
    CSxMusicNode* held = nullptr;
    uint32_t leaf = 0;
    for (int depth = 0; node && depth < kMaxSwitchDepth; ++depth) {
        const auto* inner = dynamic_cast<const CSxMusicSwitchCntr*>(node);
        if (!inner) {
            leaf = node->ID();
            break;
        }
        if (inner->GroupID() == groupID) owner = inner;
        const uint32_t id = inner->NodeForSwitch(ValueOf(inner->GroupType(), inner->GroupID()));
        CSxMusicNode* next = SxFindMusicNode(id);
        if (held) held->Release();
        held = next;
        node = next;
    }
    if (held) held->Release();
    return leaf;
}

void CSxMusicCtx::OnGroupChange(uint32_t groupType, uint32_t groupID, uint32_t value, CSxRegisteredObj* gameObj) {
    if (!m_switch || m_stopping) return;
    if (groupType == SxGroupType_Switch && gameObj && gameObj != m_params.gameObj) return;
    auto known = std::find_if(m_groups.begin(), m_groups.end(),
                              [&](const GroupValue& g) { return g.type == groupType && g.group == groupID; });
    if (known == m_groups.end() || known->value == value) return;
    known->value = value;
    const CSxMusicSwitchCntr* owner = nullptr;
    const uint32_t target = Resolve(groupID, owner);
    // A switch not played now keeps its value for when it is.
    if (!owner) return;
    if (OuterChangePending(*owner)) {
        if (std::find(m_deferredGroups.begin(), m_deferredGroups.end(), groupID) == m_deferredGroups.end())
            m_deferredGroups.push_back(groupID);
        return;
    }
    ChangeTarget(target, *owner);
}

bool CSxMusicCtx::OuterChangePending(const CSxMusicSwitchCntr& owner) const {
    if (!m_pendingOwner || m_pendingSync < m_now || m_pendingSync == CSxSegmentBucket::kNever) return false;
    for (const CSxParameterNodeBase* above = owner.Parent(); above; above = above->Parent())
        if (above == m_pendingOwner) return true;
    return false;
}

void CSxMusicCtx::ApplyDeferredChanges() {
    std::vector<uint32_t> groups;
    groups.swap(m_deferredGroups);
    for (uint32_t groupID : groups) {
        const CSxMusicSwitchCntr* owner = nullptr;
        const uint32_t target = Resolve(groupID, owner);
        // The value may have come back, or a later change already took it in.
        if (owner && target != m_switchTarget) ChangeTarget(target, *owner);
    }
}

bool CSxMusicCtx::UndoValid() const {
    if (!m_undo.active) return false;
    const auto held = std::find_if(m_chain.begin(), m_chain.end(), [&](const std::unique_ptr<CSxSegmentBucket>& b) {
        return b.get() == m_undo.source;
    });
    return held != m_chain.end() && m_undo.source->stopTime > m_now;
}

void CSxMusicCtx::ChangeTarget(uint32_t targetID, const CSxMusicSwitchCntr& owner) {
    if (owner.ContinuePlayback() && targetID == m_switchTarget) return;
    if (!UndoValid()) m_undo = Undo{};
    // Back to the music still heard before a pending change took over: the change is cancelled.
    if (m_undo.active && targetID == m_undo.target) {
        CSxSegmentBucket& source = *m_undo.source;
        const int64_t cut = m_undo.sync;
        m_chain.erase(std::find_if(m_chain.begin(), m_chain.end(),
                                   [&](const std::unique_ptr<CSxSegmentBucket>& b) { return b.get() == &source; }) +
                          1,
                      m_chain.end());
        source.SetEnd(m_undo.end);
        source.hasFollower = false;
        m_feed = std::move(m_undo.feed);
        m_switchTarget = m_undo.target;
        m_undo = Undo{};
        m_pendingOwner = nullptr;
        m_pendingSync = CSxSegmentBucket::kNever;
        MoveActionsFrom(cut, false);
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
    bool jumped = false;

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
        const SxMusicTransitionRule* rule = owner.GetTransitionRule(source.segment, destination, lookups, toSequence);
        const SxMusicTransitionRule& used = rule ? *rule : CSxMusicTransAware::FallbackRule();
        // A rule that names the destination's playlist starts it at the rule's item.
        if (toSequence && !jumped) {
            jumped = true;
            Next at = NextAt(feed, used.jumpToItem);
            if (at.segment) {
                if (next.segment) next.segment->Release();
                next = at;
                destination = next.segment;
            }
        }
        undo.source = &source;
        undo.end = source.End();
        const size_t before = m_chain.size();
        if (!Schedule(source, base, static_cast<int32_t>(position), next, used, true, undo.sync)) continue;
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
        SD_WARNING(Debug::kLogSevere, "music switch %u: no sync point for the change to %u; the music goes on",
                   owner.ID(), targetID);
        return;
    }
    // The music heard now and its way on are kept until the change completes, so that a change
    // back to it cancels this one.
    int64_t cut = undo.sync;
    if (chosen && !(m_undo.active && m_undo.source == chosen)) {
        undo.active = true;
        undo.target = m_switchTarget;
        undo.feed = std::move(m_feed);
        m_undo = std::move(undo);
    } else if (chosen) {
        // The pending change replaced was heard from its own sync point: what was moved onto its
        // music from there moves again.
        cut = std::min(cut, m_undo.sync);
        m_undo.sync = undo.sync;
    }
    if (chosen) {
        m_pendingOwner = &owner;
        m_pendingSync = next.segment ? m_chain.back()->syncTime : chosen->syncTime;
    }
    feed.Keep(true);
    m_feed = std::move(feed);
    m_switchTarget = targetID;
    m_ended = false;
    // From silence the new music starts now.
    if (fromSilence && next.segment) ScheduleFirst(next);
    if (next.segment) next.segment->Release();
    if (chosen) MoveActionsFrom(cut, true);
}

}  // namespace SX
