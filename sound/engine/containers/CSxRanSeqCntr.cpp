#include "sound/engine/containers/CSxRanSeqCntr.h"

#include <algorithm>
#include <cstdint>

#include "platform/os/Random.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/containers/CSxActionPlayAndContinue.h"
#include "sound/engine/containers/CSxContinuousPBI.h"
#include "sound/engine/containers/CSxPlayList.h"
#include "sound/engine/containers/SxContainerBase.h"
#include "sound/engine/containers/SxContainerInfo.h"
#include "sound/engine/containers/SxContinueList.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"

namespace SX {

namespace {

CSxPlayList* NewPlayList(CSxRanSeqCntr::Mode mode) {
    if (mode == CSxRanSeqCntr::Mode_Sequence) return CSxPlayListSequence::Create();
    return CSxPlayListRandom::Create();
}

uint32_t Bucket(const CSxRegisteredObj* gameObj) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(gameObj) % CSxRanSeqCntr::kStateBuckets);
}

CSxParameterNodeBase* FindNode(SxUniqueID id) {
    CSxIndexable* found = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id) : nullptr;
    return static_cast<CSxParameterNodeBase*>(found);
}

void SubtractSaturated(uint64_t& value, uint64_t amount) { value = value > amount ? value - amount : 0; }

}  // namespace

CSxRanSeqCntr* CSxRanSeqCntr::Create(SxUniqueID id, Mode mode) {
    auto* node = SxNew<CSxRanSeqCntr>(g_DefaultPoolId, id, mode);
    if (!node) return nullptr;
    node->m_playList = NewPlayList(mode);
    if (!node->m_playList || node->m_playList->Init() != SX_Success) {
        node->Release();
        return nullptr;
    }
    if (g_pObjectIndex) g_pObjectIndex->AddToIndex(node);
    return node;
}

CSxRanSeqCntr::CSxRanSeqCntr(SxUniqueID id, Mode mode)
    : CSxParentNode(id), m_modeFlags(static_cast<uint8_t>(mode | kResetAtEachPlay | kGlobal)) {}

CSxRanSeqCntr::~CSxRanSeqCntr() {
    DestroyPlayStates();
    if (m_playList) m_playList->Destroy();
}

SXRESULT CSxRanSeqCntr::CanAddChild(CSxParameterNodeBase* child) {
    const SXRESULT accepted = SxContainerCanAddChild(*this, child);
    return accepted == SX_Success ? CSxParentNode::CanAddChild(child) : accepted;
}

// --- the bank block ---

template <typename T>
void CSxRanSeqCntr::SetAndClear(T& field, T value) {
    if (field == value) return;
    field = value;
    ClearPlayStates();
}

SXRESULT CSxRanSeqCntr::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id;
    if (!cursor.U32(id)) return SX_Fail;
    SXRESULT result = SetNodeBaseParams(cursor, false);
    if (result != SX_Success) return result;
    uint16_t loopCount, avoidRepeat;
    float time, min, max;
    uint8_t transitionMode, randomType, playMode, unused, reset, backward, continuous, global;
    if (!cursor.U16(loopCount) || !cursor.F32(time) || !cursor.F32(min) || !cursor.F32(max) ||
        !cursor.U16(avoidRepeat) || !cursor.U8(transitionMode) || !cursor.U8(randomType) || !cursor.U8(playMode) ||
        !cursor.U8(unused) || !cursor.U8(reset) || !cursor.U8(backward) || !cursor.U8(continuous) || !cursor.U8(global))
        return SX_Fail;
    result = SetMode(playMode == Mode_Sequence ? Mode_Sequence : Mode_Random);
    if (result != SX_Success) return result;
    m_loopCount = loopCount;
    m_transitionTime = time;
    m_transitionMin = min;
    m_transitionMax = max;
    SetAndClear(m_avoidRepeat, avoidRepeat);
    SetAndClear(m_transitionMode, static_cast<uint8_t>(transitionMode & 0xF));
    SetAndClear(m_randomType, static_cast<uint8_t>(randomType & 3));
    auto flag = [this](uint8_t bit, bool on) {
        SetAndClear(m_modeFlags, static_cast<uint8_t>(on ? (m_modeFlags | bit) : (m_modeFlags & ~bit)));
    };
    flag(kResetAtEachPlay, reset != 0);
    flag(kContinuous, continuous != 0);
    flag(kGlobal, global != 0);
    m_modeFlags = static_cast<uint8_t>(backward ? (m_modeFlags | kRestartBackward) : (m_modeFlags & ~kRestartBackward));
    result = SetChildren(cursor);
    if (result == SX_Success) result = SetPlaylist(cursor);
    // The children hold references to the container: a failed block lets them go so that the
    // reader's release destroys it.
    if (result != SX_Success) RemoveAllChildren();
    return result;
}

SXRESULT CSxRanSeqCntr::SetMode(Mode mode) {
    if (m_playList && PlayMode() == mode) return SX_Success;
    m_modeFlags = static_cast<uint8_t>((m_modeFlags & ~kPlayModeMask) | mode);
    if (m_playList) m_playList->Destroy();
    m_playList = NewPlayList(mode);
    SXRESULT result = m_playList ? m_playList->Init() : SX_Fail;
    if (m_playList && result != SX_Success) {
        m_playList->Destroy();
        m_playList = nullptr;
    }
    ClearPlayStates();
    return result;
}

SXRESULT CSxRanSeqCntr::SetPlaylist(SxReadCursor& cursor) {
    uint16_t count;
    if (!cursor.U16(count) || !cursor.HasRoomFor(count, 8)) return SX_Fail;
    if (!m_playList) return SX_Fail;
    for (uint16_t i = 0; i < count; ++i) {
        uint32_t childID = 0, weight = 0;
        cursor.U32(childID);
        cursor.U32(weight);
        if (weight != CSxPlayList::kDefaultWeight) m_modeFlags |= kWeighted;
        if (PlayMode() == Mode_Random && m_playList->Exists(childID)) return SX_DuplicateID;
        const SXRESULT result = m_playList->Add(childID, weight);
        if (result != SX_Success) return result;
        ClearPlayStates();
    }
    return SX_Success;
}

// --- play states ---

void CSxRanSeqCntr::DestroyPlayStates() {
    for (CSxContainerBaseInfo*& head : m_states) {
        while (head) {
            CSxContainerBaseInfo* next = head->next;
            head->Destroy();
            head = next;
        }
    }
    m_stateCount = 0;
    if (m_global) m_global->Destroy();
    m_global = nullptr;
}

void CSxRanSeqCntr::ClearPlayStates() {
    DestroyPlayStates();
    if (!m_played) return;
    if (g_pAudioMgr) {
        CSxAudioMgr::Selection selection;
        selection.targetID = ID();
        g_pAudioMgr->StopPending(selection);
    }
    SxActionParams stop;
    stop.kind = SxActionKind_Stop;
    stop.curve = static_cast<SxCurveInterpolation>(4);
    ExecuteAction(stop);
}

void CSxRanSeqCntr::UnregisterGameObject(CSxRegisteredObj* gameObj) {
    CSxParentNode::UnregisterGameObject(gameObj);
    for (CSxContainerBaseInfo** link = &m_states[Bucket(gameObj)]; *link; link = &(*link)->next) {
        if ((*link)->key != gameObj) continue;
        CSxContainerBaseInfo* found = *link;
        *link = found->next;
        found->Destroy();
        --m_stateCount;
        return;
    }
}

CSxContainerBaseInfo* CSxRanSeqCntr::ExistingStateFor(CSxRegisteredObj* gameObj) const {
    if (m_modeFlags & kGlobal) return m_global;
    for (CSxContainerBaseInfo* info = m_states[Bucket(gameObj)]; info; info = info->next)
        if (info->key == gameObj) return info;
    return nullptr;
}

CSxContainerBaseInfo* CSxRanSeqCntr::NewState() {
    if (PlayMode() == Mode_Sequence) return CSxSequenceInfo::Create();
    const auto count = static_cast<uint16_t>(m_playList->Length());
    CSxRandomInfo* info = CSxRandomInfo::Create(count, m_avoidRepeat);
    if (info && (m_modeFlags & kWeighted))
        info->totalWeight = info->remainingWeight = static_cast<CSxPlayListRandom*>(m_playList)->TotalWeight();
    return info;
}

CSxContainerBaseInfo* CSxRanSeqCntr::StateFor(CSxRegisteredObj* gameObj) {
    if (CSxContainerBaseInfo* existing = ExistingStateFor(gameObj)) return existing;
    CSxContainerBaseInfo* info = NewState();
    if (!info) return nullptr;
    if (m_modeFlags & kGlobal) return m_global = info;
    // The object's unregistration must reach the container to drop its state.
    if (gameObj && gameObj->SetNodeAsModified(ID()) != SX_Success) {
        info->Destroy();
        return nullptr;
    }
    info->key = gameObj;
    CSxContainerBaseInfo*& head = m_states[Bucket(gameObj)];
    info->next = head;
    head = info;
    ++m_stateCount;
    return info;
}

// --- choices ---

bool CSxRanSeqCntr::LoopAgain(SxLoopRecord* loop) {
    if (!loop) return true;
    if (!(loop->flags & 1)) return false;
    if (loop->flags & 2) return true;
    return --loop->counter > 0;
}

uint32_t CSxRanSeqCntr::Weight(uint16_t position) const { return m_playList->GetWeight(position); }

int32_t CSxRanSeqCntr::NextSequencePosition(CSxSequenceInfo& state, bool& cont, SxLoopRecord* loop) {
    cont = true;
    const auto n = static_cast<int32_t>(m_playList->Length());
    if (n == 0) return -1;
    if (state.position >= n) {  // the list shrank under the state: start again
        state.position = -1;
        state.forward = 1;
    }
    if (state.forward) {
        if (state.position + 1 < n) return ++state.position;
        if ((m_modeFlags & kRestartBackward) && n > 1) {
            state.forward = 0;
            return --state.position;
        }
        state.position = 0;
        if (!LoopAgain(loop)) cont = false;
        return 0;
    }
    if (state.position > 0) return --state.position;
    state.position = static_cast<int16_t>(n > 1 ? 1 : 0);
    state.forward = 1;
    if (!LoopAgain(loop)) {
        cont = false;
        return 0;
    }
    return state.position;
}

bool CSxRanSeqCntr::IsPositionEligible(const CSxRandomInfo& state, uint16_t position) const {
    if (m_randomType != 0) return !state.Played(position) && !state.Blocked(position);
    return m_avoidRepeat == 0 || !state.Blocked(position);
}

SXRESULT CSxRanSeqCntr::PushAvoidHistory(CSxRandomInfo& state, uint16_t position) {
    if (m_avoidRepeat == 0) return SX_Success;
    if (state.remainingCount) --state.remainingCount;
    if (!state.history.AddLast(position)) {
        state.leftInCycle = 0;
        return SX_Fail;
    }
    state.SetBlocked(position, true);
    SubtractSaturated(state.remainingWeight, Weight(position));
    const auto n = static_cast<uint16_t>(m_playList->Length());
    if (state.history.Length() > std::min<uint16_t>(m_avoidRepeat, static_cast<uint16_t>(n - 1))) {
        const uint16_t oldest = state.history[0];
        state.history.Erase(0);
        state.SetBlocked(oldest, false);
        state.remainingWeight += Weight(oldest);
        ++state.remainingCount;
    }
    return SX_Success;
}

int32_t CSxRanSeqCntr::NextRandomPosition(CSxRandomInfo& state, bool& cont, SxLoopRecord* loop) {
    cont = true;
    const auto n = static_cast<uint16_t>(m_playList->Length());
    if (n == 0) return -1;
    if (state.leftInCycle == 0) {
        if (loop) {
            if (!(loop->flags & 1) || (!(loop->flags & 2) && --loop->counter <= 0)) {
                cont = false;
                return 0;
            }
        }
        state.leftInCycle = n;
        state.ClearPlayed();
        state.remainingCount = n;
        if (m_randomType == 1) {
            state.remainingWeight = state.totalWeight;
            for (uint16_t p : state.history) SubtractSaturated(state.remainingWeight, Weight(p));
        }
        const uint32_t held = state.history.Length();
        state.remainingCount = static_cast<uint16_t>(state.remainingCount > held ? state.remainingCount - held : 0);
    }
    // Nothing left to draw from (every eligible child weighs 0, or none is eligible): no child.
    int32_t chosen = -1;
    const uint32_t r = static_cast<uint32_t>(platform::crt_rand());
    if (m_modeFlags & kWeighted) {
        if (state.remainingWeight == 0) return -1;
        const uint64_t target =
            ((uint64_t(r) << 15) + static_cast<uint32_t>(platform::crt_rand())) % state.remainingWeight;
        int64_t sum = -1;
        for (uint16_t i = 0; i < n; ++i) {
            if (!IsPositionEligible(state, i)) continue;
            sum += Weight(i);
            if (sum >= static_cast<int64_t>(target)) {
                chosen = i;
                break;
            }
        }
    } else {
        if (state.remainingCount == 0) return -1;
        uint32_t target = r % state.remainingCount;
        for (uint16_t i = 0; i < n; ++i) {
            if (!IsPositionEligible(state, i)) continue;
            if (target-- == 0) {
                chosen = i;
                break;
            }
        }
    }
    if (chosen < 0) return -1;
    const auto position = static_cast<uint16_t>(chosen);
    if (m_randomType == 0) {
        if (!state.Played(position)) {
            state.SetPlayed(position, true);
            --state.leftInCycle;
        }
        PushAvoidHistory(state, position);
        return position;
    }
    SubtractSaturated(state.remainingWeight, Weight(position));
    if (state.remainingCount) --state.remainingCount;
    if (state.leftInCycle) --state.leftInCycle;
    state.SetPlayed(position, true);
    if (!state.history.AddLast(position)) {
        state.leftInCycle = 0;
        return position;
    }
    state.SetBlocked(position, true);
    const uint16_t kept = std::min<uint16_t>(m_avoidRepeat ? m_avoidRepeat : 1, static_cast<uint16_t>(n - 1));
    if (state.history.Length() > kept) {
        const uint16_t oldest = state.history[0];
        state.history.Erase(0);
        state.SetBlocked(oldest, false);
        if (!state.Played(oldest)) {
            state.remainingWeight += Weight(oldest);
            ++state.remainingCount;
        }
    }
    return position;
}

CSxParameterNodeBase* CSxRanSeqCntr::SelectStepChild(CSxRegisteredObj* gameObj, uint16_t& position,
                                                     SxUniqueID& childID) {
    position = 0;
    childID = 0;
    const uint32_t n = m_playList ? m_playList->Length() : 0;
    if (n == 0) return nullptr;
    if (n == 1) {
        childID = m_playList->ID(0);
        return FindNode(childID);
    }
    CSxContainerBaseInfo* state = StateFor(gameObj);
    if (!state) return nullptr;
    const bool random = PlayMode() == Mode_Random;
    const bool linearAfterFirst = random && m_randomType != 1;
    int32_t at = -1;
    for (uint32_t attempt = 0; attempt < n; ++attempt) {
        bool cont;
        if (attempt == 0 || !linearAfterFirst) {
            at = random ? NextRandomPosition(*static_cast<CSxRandomInfo*>(state), cont, nullptr)
                        : NextSequencePosition(*static_cast<CSxSequenceInfo*>(state), cont, nullptr);
            if (at < 0) return nullptr;  // nothing may be drawn: no child
        } else {
            at = static_cast<int32_t>((static_cast<uint32_t>(at) + 1) % n);
            auto& info = *static_cast<CSxRandomInfo*>(state);
            if (!IsPositionEligible(info, static_cast<uint16_t>(at))) continue;
            PushAvoidHistory(info, static_cast<uint16_t>(at));
        }
        const SxUniqueID id = m_playList->ID(static_cast<uint16_t>(at));
        if (CSxParameterNodeBase* child = FindNode(id)) {
            position = static_cast<uint16_t>(at);
            childID = id;
            return child;
        }
    }
    return nullptr;
}

CSxParameterNodeBase* CSxRanSeqCntr::SelectContinuousChild(CSxRegisteredObj* gameObj, uint16_t& position,
                                                           SxUniqueID& childID, SxContinueListItem& item) {
    position = 0;
    childID = 0;
    const uint32_t n = m_playList ? m_playList->Length() : 0;
    if (n == 0) return nullptr;
    if (n == 1) {
        if (item.loop.counter <= 0) return nullptr;
        if (!(item.loop.flags & 2)) --item.loop.counter;
        childID = m_playList->ID(0);
        return FindNode(childID);
    }
    int32_t at;
    bool cont;
    if (PlayMode() == Mode_Sequence) {
        const bool reset = m_modeFlags & kResetAtEachPlay;
        bool store = !reset;
        if (!item.state) {
            CSxSequenceInfo* state = CSxSequenceInfo::Create();
            if (!state) return nullptr;
            if (!reset) {
                // The chain goes on from where the object's plays stand, on a copy of its own.
                CSxContainerBaseInfo* current = StateFor(gameObj);
                if (!current || current->InfoType() != CSxContainerBaseInfo::Sequence) {
                    state->Destroy();
                    return nullptr;
                }
                state->forward = static_cast<CSxSequenceInfo*>(current)->forward;
                state->position = static_cast<CSxSequenceInfo*>(current)->position;
                store = false;
            } else if (m_global && m_global->InfoType() == CSxContainerBaseInfo::Sequence) {
                auto* global = static_cast<CSxSequenceInfo*>(m_global);
                state->position = global->position;
                global->position = -1;
            }
            item.state = state;
        }
        auto& state = *static_cast<CSxSequenceInfo*>(item.state);
        at = NextSequencePosition(state, cont, &item.loop);
        if (store) StoreSequencePosition(state, gameObj);
    } else {
        // Every chain draws afresh.
        if (!item.state) item.state = NewState();
        if (!item.state) return nullptr;
        at = NextRandomPosition(*static_cast<CSxRandomInfo*>(item.state), cont, &item.loop);
    }
    if (!cont || at < 0) return nullptr;
    position = static_cast<uint16_t>(at);
    childID = m_playList->ID(position);
    return FindNode(childID);
}

void CSxRanSeqCntr::StoreSequencePosition(const CSxSequenceInfo& chain, CSxRegisteredObj* gameObj) {
    CSxContainerBaseInfo* existing = ExistingStateFor(gameObj);
    if (!existing || existing->InfoType() != CSxContainerBaseInfo::Sequence) return;
    auto& target = *static_cast<CSxSequenceInfo*>(existing);
    // One step behind the chain, so that the object's next play resumes at its current item.
    target.forward = chain.forward;
    target.position = static_cast<int16_t>(chain.forward ? chain.position - 1 : chain.position + 1);
    const auto n = static_cast<int32_t>(m_playList->Length());
    if (target.position + 1 == n && !(m_modeFlags & kRestartBackward)) target.position = -1;
    if (target.position == 0 && !target.forward) target.forward = 1;
}

float CSxRanSeqCntr::TransitionTime(CSxRegisteredObj* gameObj) const {
    float ms = m_transitionTime + m_transitionMin;
    const float span = m_transitionMax - m_transitionMin;
    if (span != 0.0f) ms += static_cast<float>(platform::crt_rand()) * (1.0f / 32767.0f) * span;
    if (IsRTPCSubscribed(kTransitionTimeParam)) ms += RTPCValue(kTransitionTimeParam, gameObj) * 1000.0f;
    return std::max(ms, 0.0f);
}

CSxPBI* CSxRanSeqCntr::CreatePBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                                 const SxPriorityParams& priority) {
    if (params.continuous != 1 || !params.continueList) return CSxParentNode::CreatePBI(node, source, params, priority);
    return SxNew<CSxContinuousPBI>(g_DefaultPoolId, node, source, params, priority);
}

namespace {
void AppendHistory(SxPlayHistory& history, uint16_t position, bool continuous) {
    if (history.count < 32) {
        history.positions[history.count] = position;
        if (continuous)
            history.continuousMask |= 1u << history.count;
        else
            history.continuousMask &= ~(1u << history.count);
    }
    if (history.count < UINT32_MAX) ++history.count;
}
}  // namespace

SXRESULT CSxRanSeqCntr::Play(SxPBIParams& params) {
    m_played = true;
    if (m_modeFlags & kContinuous) {
        if (params.continuous == 1 && params.continueList) return PlayContinuous(params);
        // The top of a chain: the list goes with the request, and the chain's instances are
        // made here.
        SxContinueList* list = SxContinueList::Create();
        if (!list) return SX_Fail;
        params.continuous = 1;
        params.continueList = list;
        params.instigator = this;
        const SXRESULT result = PlayContinuous(params);
        params.continueList = nullptr;
        list->Release();
        return result;
    }
    uint16_t position;
    SxUniqueID childID;
    CSxParameterNodeBase* child = SelectStepChild(params.gameObj, position, childID);
    // Within a chain, the chain goes on with its next item.
    if (!child) return params.continuous == 1 && params.continueList ? SxPlayNextAlternative(params) : SX_Fail;
    AppendHistory(params.history, position, false);
    const SXRESULT result = child->Play(params);
    child->Release();
    return result;
}

SXRESULT CSxRanSeqCntr::PlayContinuous(SxPBIParams& params) {
    SxContinueList& list = *params.continueList;
    SxContinueListItem* item = list.Append(this);
    if (!item) return SX_Fail;
    item->loop.flags = static_cast<uint8_t>((m_loopCount != 1 ? 1 : 0) | (m_loopCount == 0 ? 2 : 0));
    // Passes beyond what the counter holds saturate.
    item->loop.counter = m_loopCount > 1 ? static_cast<int16_t>(std::min<uint32_t>(m_loopCount, INT16_MAX)) : 1;
    uint16_t position;
    SxUniqueID childID;
    CSxParameterNodeBase* child = SelectContinuousChild(params.gameObj, position, childID, *item);
    if (!child) {
        list.RemoveLast();
        return SxPlayNextAlternative(params);
    }
    AppendHistory(params.history, position, true);
    const uint32_t made = list.InstancesMade();
    SXRESULT result = child->Play(params);
    child->Release();
    // The item could not play and left the chain to no instance: the next one.
    if (result != SX_Success && list.InstancesMade() == made) result = SxPlayNextAlternative(params);
    return result;
}

}  // namespace SX
