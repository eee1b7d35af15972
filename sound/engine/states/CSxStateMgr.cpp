#include "sound/engine/states/CSxStateMgr.h"

#include <algorithm>

#include "sound/engine/SxAudioThread.h"
#include "sound/engine/states/SxStateGroupChunk.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"

namespace SX {

CSxStateMgr* g_pStateMgr = nullptr;
platform::Seam<ISxStateHook> CSxStateMgr::s_stateHook{"SX::ISxStateHook"};

namespace {
// Volume and LFE level move in dB; pitch and low-pass in their own units.
constexpr bool kSlotIsDb[SxStateGroupChunk::kSlots] = {true, true, false, false};
}  // namespace

SXRESULT CSxStateMgr::Init() { return SX_Success; }

void CSxStateMgr::Term() {
    RemoveStateGroups(false);
    m_listeners.clear();
    m_triggers.clear();
    platform::Lock guard(m_prepareLock);
    m_stateRecords.clear();
    m_switchRecords.clear();
}

CSxStateMgr::Group* CSxStateMgr::FindGroup(uint32_t groupID) {
    for (Group& group : m_groups)
        if (group.id == groupID) return &group;
    return nullptr;
}

const CSxStateMgr::Group* CSxStateMgr::FindGroup(uint32_t groupID) const {
    for (const Group& group : m_groups)
        if (group.id == groupID) return &group;
    return nullptr;
}

SXRESULT CSxStateMgr::AddStateGroup(uint32_t groupID) {
    // Banks load on their own thread while audio frames read the groups.
    platform::Lock guard(g_csMain);
    if (FindGroup(groupID)) return SX_Success;
    Group group;
    group.id = groupID;
    m_groups.push_back(std::move(group));
    return SX_Success;
}

SXRESULT CSxStateMgr::SetStateGroupDefaultTime(uint32_t groupID, uint32_t ms) {
    platform::Lock guard(g_csMain);
    Group* group = FindGroup(groupID);
    if (!group) return SX_UnknownStateGroup;
    group->defaultTimeMs = ms;
    return SX_Success;
}

void CSxStateMgr::SetTransition(Group& group, uint32_t fromState, uint32_t toState, uint32_t ms) {
    for (Transition& t : group.transitions) {
        if (t.fromState == fromState && t.toState == toState) {
            t.ms = ms;
            return;
        }
    }
    group.transitions.push_back(Transition{fromState, toState, ms});
}

SXRESULT CSxStateMgr::AddStateTransition(uint32_t groupID, uint32_t fromState, uint32_t toState, uint32_t ms,
                                         bool bothWays) {
    platform::Lock guard(g_csMain);
    Group* group = FindGroup(groupID);
    if (!group) return SX_UnknownStateGroup;
    SetTransition(*group, fromState, toState, ms);
    if (bothWays) SetTransition(*group, toState, fromState, ms);
    return SX_Success;
}

SXRESULT CSxStateMgr::RemoveStateTransition(uint32_t groupID, uint32_t fromState, uint32_t toState) {
    platform::Lock guard(g_csMain);
    Group* group = FindGroup(groupID);
    if (!group) return SX_UnknownStateGroup;
    auto& list = group->transitions;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const Transition& t) { return t.fromState == fromState && t.toState == toState; }),
               list.end());
    return SX_Success;
}

void CSxStateMgr::RemoveStateGroups(bool onlyUnused) {
    m_groups.erase(std::remove_if(m_groups.begin(), m_groups.end(),
                                  [&](const Group& g) { return !onlyUnused || g.chunks.empty(); }),
                   m_groups.end());
}

bool CSxStateMgr::IsStateGroupRegistered(uint32_t groupID) const { return FindGroup(groupID) != nullptr; }

uint32_t CSxStateMgr::GetState(uint32_t groupID) const {
    const Group* group = FindGroup(groupID);
    return group ? group->currentState : 0;
}

SXRESULT CSxStateMgr::AddStateGroupChunk(uint32_t groupID, SxStateGroupChunk* chunk) {
    Group* group = FindGroup(groupID);
    if (!group) return SX_UnknownStateGroup;
    group->chunks.insert(group->chunks.begin(), chunk);
    return SX_Success;
}

void CSxStateMgr::RemoveStateGroupChunk(uint32_t groupID, SxStateGroupChunk* chunk) {
    if (Group* group = FindGroup(groupID)) {
        auto& chunks = group->chunks;
        chunks.erase(std::remove(chunks.begin(), chunks.end(), chunk), chunks.end());
    }
}

void CSxStateMgr::SetStateInternal(uint32_t groupID, uint32_t stateID, bool skipTransition, bool skipNotification) {
    Group* group = FindGroup(groupID);
    if (!group) return;
    if (!skipNotification) {
        if (stateID != group->currentState) {
            for (size_t i = 0; i < m_listeners.size(); ++i)
                if (m_listeners[i].groupID == groupID) m_listeners[i].listener->OnStateChanged(stateID);
        }
        if (!skipTransition) {
            ISxStateHook* hook = s_stateHook.Installed();
            if (hook && hook->TakeOverStateChange(groupID, stateID)) return;
        }
        group = FindGroup(groupID);
        if (!group) return;
    }

    uint32_t timeMs = 0;
    if (!skipTransition) {
        timeMs = group->defaultTimeMs;
        for (const Transition& t : group->transitions) {
            if (t.fromState == group->currentState && t.toState == stateID) {
                timeMs = t.ms;
                break;
            }
        }
    }

    for (SxStateGroupChunk* chunk : group->chunks) {
        chunk->stateID = stateID;
        float targets[SxStateGroupChunk::kSlots] = {};
        if (!chunk->node->GetStateValues(groupID, stateID, targets)) std::fill(targets, targets + 4, 0.0f);
        bool refresh = false;
        for (uint32_t slot = 0; slot < SxStateGroupChunk::kSlots; ++slot) {
            const float target = targets[slot];
            if (chunk->transitions[slot]) {
                g_pTransitionMgr->ChangeParameter(chunk->transitions[slot], int32_t(slot), target, timeMs,
                                                  SxCurve_Linear, SxValueMeaning_Independent);
                continue;
            }
            if (target == chunk->values[slot]) continue;
            CSxTransition* transition = nullptr;
            if (timeMs > 0 && g_pTransitionMgr) {
                SxTransitionParams params;
                params.user = chunk;
                params.targetID = int32_t(slot);
                params.startValue = chunk->values[slot];
                params.targetValue = target;
                params.durationMs = timeMs;
                params.shape = SxCurve_Linear;
                params.dB = kSlotIsDb[slot];
                transition = g_pTransitionMgr->AddTransitionToList(params, true, CSxTransitionMgr::kStateList);
            }
            if (transition) {
                chunk->transitions[slot] = transition;
                chunk->node->OnStateTransitionStarted();
            } else {
                chunk->values[slot] = target;
                refresh = true;
            }
        }
        if (refresh) chunk->node->RefreshStateParameters();
    }
    group->currentState = stateID;
}

SXRESULT CSxStateMgr::RegisterStateListener(ISxStateListener* listener, uint32_t groupID) {
    if (!listener) return SX_InvalidParameter;
    m_listeners.push_back(Listener{listener, groupID});
    return SX_Success;
}

void CSxStateMgr::UnregisterStateListener(ISxStateListener* listener) {
    m_listeners.erase(std::remove_if(m_listeners.begin(), m_listeners.end(),
                                     [&](const Listener& l) { return l.listener == listener; }),
                      m_listeners.end());
}

SXRESULT CSxStateMgr::RegisterTrigger(ISxTriggerAware* subscriber, CSxRegisteredObj* gameObj) {
    if (!subscriber) return SX_InvalidParameter;
    m_triggers.push_back(TriggerSubscriber{subscriber, 0, gameObj});
    return SX_Success;
}

void CSxStateMgr::UnregisterTrigger(ISxTriggerAware* subscriber) {
    m_triggers.erase(std::remove_if(m_triggers.begin(), m_triggers.end(),
                                    [&](const TriggerSubscriber& t) { return t.subscriber == subscriber; }),
                     m_triggers.end());
}

void CSxStateMgr::Trigger(uint32_t triggerID, CSxRegisteredObj* gameObj) {
    for (size_t i = 0; i < m_triggers.size(); ++i) {
        const TriggerSubscriber t = m_triggers[i];
        if (t.triggerID != 0 && t.triggerID != triggerID) continue;
        if (gameObj && t.gameObj != gameObj) continue;
        t.subscriber->Trigger(triggerID);
    }
}

CSxStateMgr::PreparationRecord* CSxStateMgr::FindRecord(uint32_t groupID, SxGroupType type) {
    for (PreparationRecord& record : Records(type))
        if (record.groupID == groupID) return &record;
    return nullptr;
}

SXRESULT CSxStateMgr::PrepareGameSync(SxGroupType type, uint32_t groupID, uint32_t gameSyncID, bool prepare) {
    platform::Lock guard(m_prepareLock);
    PreparationRecord* record = FindRecord(groupID, type);
    if (!record) {
        if (!prepare) return SX_Success;
        auto& records = Records(type);
        records.insert(records.begin(), PreparationRecord{groupID, {}, {}});
        record = &records.front();
    }
    auto& prepared = record->prepared;
    auto it = std::find(prepared.begin(), prepared.end(), gameSyncID);
    if ((it != prepared.end()) == prepare) return SX_Success;
    if (prepare) {
        prepared.push_back(gameSyncID);
    } else {
        *it = prepared.back();
        prepared.pop_back();
    }
    const std::vector<ISxPreparationAware*> subscribers = record->subscribers;
    for (size_t i = 0; i < subscribers.size(); ++i) {
        const SXRESULT result = subscribers[i]->ModifyActiveState(gameSyncID, prepare);
        if (result == SX_Success || !prepare) continue;
        for (size_t j = 0; j < i; ++j) subscribers[j]->ModifyActiveState(gameSyncID, false);
        prepared.erase(std::find(prepared.begin(), prepared.end(), gameSyncID));
        return result;
    }
    return SX_Success;
}

std::vector<uint32_t> CSxStateMgr::GetPreparedContent(uint32_t groupID, SxGroupType type) {
    platform::Lock guard(m_prepareLock);
    PreparationRecord* record = FindRecord(groupID, type);
    return record ? record->prepared : std::vector<uint32_t>();
}

SXRESULT CSxStateMgr::SubscribePrepare(ISxPreparationAware* aware, uint32_t groupID, SxGroupType type) {
    if (!aware) return SX_InvalidParameter;
    platform::Lock guard(m_prepareLock);
    PreparationRecord* record = FindRecord(groupID, type);
    if (!record) {
        auto& records = Records(type);
        records.insert(records.begin(), PreparationRecord{groupID, {}, {}});
        record = &records.front();
    }
    record->subscribers.push_back(aware);
    return SX_Success;
}

void CSxStateMgr::UnsubscribePrepare(ISxPreparationAware* aware, uint32_t groupID, SxGroupType type) {
    platform::Lock guard(m_prepareLock);
    if (PreparationRecord* record = FindRecord(groupID, type)) {
        auto& subs = record->subscribers;
        subs.erase(std::remove(subs.begin(), subs.end(), aware), subs.end());
    }
}

}  // namespace SX
