#include "sound/engine/hierarchy/CSxParameterNodeBase.h"

#include <algorithm>

#include "sound/engine/buses/CSxBus.h"
#include "sound/engine/buses/CSxFeedbackBus.h"
#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/hierarchy/CSxSIS.h"
#include "sound/engine/hierarchy/CSxState.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

namespace {
// Reads a u8 flag into a bit of a flag byte.
bool ReadFlag(SxReadCursor& cursor, uint8_t& flags, uint8_t bit) {
    uint8_t value;
    if (!cursor.U8(value)) return false;
    flags = value ? (flags | bit) : (flags & ~bit);
    return true;
}
}  // namespace

CSxParameterNodeBase::CSxParameterNodeBase(SxUniqueID id) : CSxPBIAware(id, SxIndex_Node) {}

CSxParameterNodeBase::~CSxParameterNodeBase() {
    if (m_rtpcBits && g_pRTPCMgr) g_pRTPCMgr->UnSubscribeAll(this);
    ReleaseStateGroups();
}

void CSxParameterNodeBase::Destroy() {
    for (StateGroup& group : m_stateGroups) group.chunk->FlushStateTransitions();
    if (m_parent) m_parent->RemoveChild(this);
    CSxIndexable::Destroy();
}

SXRESULT CSxParameterNodeBase::AddChild(SxUniqueID) { return static_cast<SXRESULT>(0); }

void CSxParameterNodeBase::RemoveChild(CSxParameterNodeBase*) {}

bool CSxParameterNodeBase::IsSelfOrAncestor(const CSxParameterNodeBase* node) const {
    for (const CSxParameterNodeBase* n = this; n; n = n->m_parent)
        if (n == node) return true;
    return false;
}

// --- the common node block ---

SXRESULT CSxParameterNodeBase::SetNodeBaseParams(SxReadCursor& cursor, bool partial) {
    SXRESULT result = ReadEffects(cursor, partial);
    if (result != SX_Success || partial) return result;

    uint32_t busID, parentID;
    if (!cursor.U32(busID)) return SX_Fail;
    if (busID != 0) {
        CSxIndexable* bus = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, busID) : nullptr;
        if (!bus) return SX_Fail;
        result = static_cast<CSxParameterNodeBase*>(bus)->AddChild(ID());
        bus->Release();
        if (result != SX_Success) return result;
        m_busID = busID;
    }
    if (!cursor.U32(parentID)) return SX_Fail;
    if (parentID != 0 && g_pObjectIndex) {
        // A parent that is not loaded yet adopts its children when it loads.
        if (CSxIndexable* parent = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, parentID)) {
            result = static_cast<CSxParameterNodeBase*>(parent)->AddChild(ID());
            parent->Release();
            if (result != SX_Success) return result;
        }
    }
    if (!ReadFlag(cursor, m_flagsA, kOverridePriority) || !ReadFlag(cursor, m_flagsA, kDistanceOffset)) return SX_Fail;
    if (m_props.Read(cursor) != SX_Success || m_ranges.Read(cursor) != SX_Success) return SX_Fail;
    m_flagsA |= kUseStates;
    if ((result = ReadPositioning(cursor)) != SX_Success) return result;
    if ((result = ReadAdvancedSettings(cursor)) != SX_Success) return result;
    if ((result = ReadStateGroups(cursor)) != SX_Success) return result;
    if ((result = ReadRTPCCurves(cursor)) != SX_Success) return result;
    return ReadFeedbackBus(cursor);
}

SXRESULT CSxParameterNodeBase::ReadFeedbackBus(SxReadCursor& cursor) {
    if (!SxNodesCarryFeedbackBus()) return SX_Success;
    uint32_t busID;
    if (!cursor.U32(busID)) return SX_Fail;
    if (busID == 0) return SX_Success;
    CSxIndexable* bus = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, busID) : nullptr;
    if (!bus) return SX_Fail;
    auto* node = static_cast<CSxParameterNodeBase*>(bus);
    const SXRESULT result = node->NodeCategory() == SxNodeCategory_FeedbackBus ? node->AddChild(ID()) : SX_Fail;
    bus->Release();
    if (result == SX_Success) m_feedbackBusID = busID;
    return result;
}

SXRESULT CSxParameterNodeBase::ReadEffects(SxReadCursor& cursor, bool partial) {
    uint8_t overrideFlag, count, bypass;
    if (!cursor.U8(overrideFlag) || !cursor.U8(count)) return SX_Fail;
    if (!partial) m_flagsB = overrideFlag ? (m_flagsB | kOverrideEffects) : (m_flagsB & ~kOverrideEffects);
    if (count == 0) return SX_Success;
    if (!cursor.U8(bypass) || !cursor.HasRoomFor(count, 7)) return SX_Fail;
    SXRESULT result = SX_Success;
    for (uint8_t i = 0; i < count && result == SX_Success; ++i) {
        uint8_t slot = 0, shareSet = 0, rendered = 0;
        uint32_t effectID = 0;
        cursor.U8(slot);
        cursor.U32(effectID);
        cursor.U8(shareSet);
        cursor.U8(rendered);
        if (slot >= 4) {
            result = SX_InvalidParameter;
            break;
        }
        m_effects[slot].rendered = rendered;
        if (rendered) {
            m_effects[slot].id = 0;
        } else if (effectID != 0 && !partial) {
            m_effects[slot].id = effectID;
            m_effects[slot].shareSet = shareSet;
        }
    }
    if (!partial || result != SX_Success) m_bypassBits = bypass & 0x1F;
    return result;
}

SXRESULT CSxParameterNodeBase::ReadPositioning(SxReadCursor& cursor) {
    uint8_t is3D;
    if (!ReadFlag(cursor, m_flagsB, kOverridePositioning)) return SX_Fail;
    if (!(m_flagsB & kOverridePositioning)) return SX_Success;
    if (!cursor.U8(is3D)) return SX_Fail;
    if (!is3D) {
        m_positioning.reset();
        return ReadFlag(cursor, m_flagsB, kPositioning2D) ? SX_Success : SX_Fail;
    }
    if (!m_positioning) m_positioning = std::make_unique<SxPositioning>();
    SxPositioning& p = *m_positioning;
    if (!cursor.U32(p.type) || !cursor.U32(p.attenuationID) || !ReadFlag(cursor, p.flags3D, 1 << 0)) return SX_Fail;
    if (p.type == 3) return ReadFlag(cursor, p.flags3D, 1 << 3) ? SX_Success : SX_Fail;
    if (p.type != 2) return SX_Success;
    uint32_t vertexCount, itemCount;
    if (!cursor.U32(p.pathMode) || !ReadFlag(cursor, p.flags3D, 1 << 5) || !cursor.U32(p.pathTransitionMs) ||
        !ReadFlag(cursor, p.flags3D, 1 << 4) || !cursor.U32(vertexCount) || !cursor.HasRoomFor(vertexCount, 16))
        return SX_Fail;
    std::vector<SxPositioning::Vertex> vertices(vertexCount);
    for (auto& v : vertices) {
        cursor.F32(v.x);
        cursor.F32(v.y);
        cursor.F32(v.z);
        cursor.U32(v.durationMs);
    }
    if (!cursor.U32(itemCount) || !cursor.HasRoomFor(itemCount, 16)) return SX_Fail;
    std::vector<SxPositioning::Item> items(itemCount);
    for (auto& item : items) {
        cursor.U32(item.firstVertex);
        cursor.U32(item.vertexCount);
    }
    for (auto& item : items) {
        cursor.F32(item.rangeX);
        cursor.F32(item.rangeZ);
    }
    if (vertexCount == 0 || itemCount == 0) return SX_Success;
    for (const auto& item : items)
        if (item.firstVertex >= vertexCount) return SX_Fail;
    p.vertices = std::move(vertices);
    p.items = std::move(items);
    return SX_Success;
}

SXRESULT CSxParameterNodeBase::ReadAdvancedSettings(SxReadCursor& cursor) {
    if (!cursor.U8(m_virtualQueueBehavior) || !ReadFlag(cursor, m_flagsA, kKillNewest) ||
        !ReadFlag(cursor, m_flagsA, kUseVirtualBehavior) || !cursor.U16(m_maxInstances) ||
        !ReadFlag(cursor, m_flagsA, kGlobalLimit) || !cursor.U8(m_belowThresholdBehavior) ||
        !ReadFlag(cursor, m_flagsA, kOverrideLimit) || !ReadFlag(cursor, m_flagsA, kOverrideVirtual))
        return SX_Fail;
    return SX_Success;
}

// --- states ---

CSxParameterNodeBase::StateGroup* CSxParameterNodeBase::FindStateGroup(uint32_t groupID) {
    for (StateGroup& group : m_stateGroups)
        if (group.chunk->groupID == groupID) return &group;
    return nullptr;
}

SXRESULT CSxParameterNodeBase::AddStateGroup(uint32_t groupID, uint8_t syncType, StateGroup*& out) {
    out = FindStateGroup(groupID);
    if (out) {
        out->syncType = syncType;
        return SX_Success;
    }
    if (!g_pStateMgr) return SX_Fail;
    auto* chunk = SxNew<SxStateGroupChunk>(g_DefaultPoolId, this, groupID);
    if (!chunk) return SX_Fail;
    if (!g_pStateMgr->IsStateGroupRegistered(groupID)) g_pStateMgr->AddStateGroup(groupID);
    if (g_pStateMgr->AddStateGroupChunk(groupID, chunk) != SX_Success) {
        SxDelete(g_DefaultPoolId, chunk);
        return SX_Fail;
    }
    chunk->stateID = g_pStateMgr->GetState(groupID);
    m_stateGroups.insert(m_stateGroups.begin(), StateGroup{chunk, syncType, {}});
    out = &m_stateGroups.front();
    return SX_Success;
}

SXRESULT CSxParameterNodeBase::ReadStateGroups(SxReadCursor& cursor) {
    uint32_t groupCount;
    if (!cursor.U32(groupCount) || !cursor.HasRoomFor(groupCount, 7)) return SX_Fail;
    for (uint32_t g = 0; g < groupCount; ++g) {
        uint32_t groupID;
        uint8_t syncType;
        uint16_t stateCount;
        if (!cursor.U32(groupID) || !cursor.U8(syncType) || !cursor.U16(stateCount) ||
            !cursor.HasRoomFor(stateCount, 8))
            return SX_Fail;
        StateGroup* group;
        if (AddStateGroup(groupID, syncType, group) != SX_Success) return SX_Fail;
        for (uint16_t s = 0; s < stateCount; ++s) {
            uint32_t stateID = 0, stateObjectID = 0;
            cursor.U32(stateID);
            cursor.U32(stateObjectID);
            if (stateID == 0) return SX_InvalidID;
            auto* state = static_cast<CSxState*>(
                g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_State, stateObjectID) : nullptr);
            if (!state) return SX_AssociationNotFound;
            bool replaced = false;
            for (StateEntry& entry : group->states) {
                if (entry.stateID != stateID) continue;
                entry.state->Release();
                entry.state = state;
                replaced = true;
            }
            if (!replaced) group->states.push_back(StateEntry{stateID, state});
            float values[SxStateGroupChunk::kSlots];
            if (GetStateValues(groupID, group->chunk->stateID, values))
                for (uint32_t slot = 0; slot < SxStateGroupChunk::kSlots; ++slot)
                    group->chunk->values[slot] = values[slot];
        }
    }
    if (groupCount) RecalcNotification();
    return SX_Success;
}

void CSxParameterNodeBase::PauseTransitions(bool pause) {
    for (StateGroup& group : m_stateGroups)
        for (CSxTransition* transition : group.chunk->transitions) {
            if (!transition) continue;
            if (pause)
                transition->Pause();
            else
                transition->Resume();
        }
}

bool CSxParameterNodeBase::GetStateSyncType(uint32_t groupID, uint32_t& syncType) const {
    for (const StateGroup& group : m_stateGroups) {
        if (group.chunk->groupID != groupID) continue;
        syncType = group.syncType;
        return true;
    }
    return false;
}

bool CSxParameterNodeBase::GetStateValues(uint32_t groupID, uint32_t stateID, float values[4]) {
    StateGroup* group = FindStateGroup(groupID);
    if (!group) return false;
    for (const StateEntry& entry : group->states) {
        if (entry.stateID != stateID) continue;
        const SxPropBundle& props = entry.state->Props();
        values[0] = props.Find(SxProp_Volume) ? props.GetFloat(SxProp_Volume) : 0.0f;
        values[1] = props.Find(SxProp_LFE) ? props.GetFloat(SxProp_LFE) : 0.0f;
        values[2] = props.Find(SxProp_Pitch) ? props.GetFloat(SxProp_Pitch) : 0.0f;
        values[3] = props.Find(SxProp_LPF) ? props.GetFloat(SxProp_LPF) : 0.0f;
        return true;
    }
    return false;
}

void CSxParameterNodeBase::ReleaseStateGroups() {
    for (StateGroup& group : m_stateGroups) {
        if (g_pStateMgr) g_pStateMgr->RemoveStateGroupChunk(group.chunk->groupID, group.chunk);
        SxDelete(g_DefaultPoolId, group.chunk);
        for (StateEntry& entry : group.states) entry.state->Release();
    }
    m_stateGroups.clear();
}

// --- game parameters ---

SXRESULT CSxParameterNodeBase::ReadRTPCCurves(SxReadCursor& cursor) {
    uint16_t curveCount;
    if (!cursor.U16(curveCount) || !cursor.HasRoomFor(curveCount, 15)) return SX_Fail;
    std::vector<SxCurvePoint> points;
    for (uint16_t c = 0; c < curveCount; ++c) {
        uint32_t gameParameter, param, curveID;
        uint8_t scaling;
        uint16_t pointCount;
        if (!cursor.U32(gameParameter) || !cursor.U32(param) || !cursor.U32(curveID) || !cursor.U8(scaling) ||
            !cursor.U16(pointCount) || !cursor.HasRoomFor(pointCount, 12))
            return SX_Fail;
        points.resize(pointCount);
        for (SxCurvePoint& point : points) {
            cursor.F32(point.x);
            cursor.F32(point.y);
            cursor.U32(point.shape);
        }
        m_rtpcBits |= 1u << (param % 32);
        if (g_pRTPCMgr && pointCount) {
            // Buses take global values only, and their levels and bypass even while silent.
            const bool bus = NodeCategory() == SxNodeCategory_Bus || NodeCategory() == SxNodeCategory_FeedbackBus;
            const SXRESULT result =
                g_pRTPCMgr->SubscribeRTPC(this, param, nullptr, bus ? SxRTPCSubscriber_Bus : SxRTPCSubscriber_Node,
                                          gameParameter, points.data(), pointCount, scaling);
            if (result != SX_Success) return result;
        }
    }
    return SX_Success;
}

float CSxParameterNodeBase::RTPCValue(uint32_t param, CSxRegisteredObj* gameObj) const {
    if (!IsRTPCSubscribed(param) || !g_pRTPCMgr) return 0.0f;
    auto* self = const_cast<CSxParameterNodeBase*>(this);
    return g_pRTPCMgr->GetRTPCConvertedValueForSubscriber(self, param, gameObj);
}

void CSxParameterNodeBase::SetRTPCValue(uint32_t propertyID, float, CSxRegisteredObj*) {
    switch (propertyID) {
        case SxRTPC_Volume:
        case SxRTPC_LFE:
        case SxRTPC_Pitch:
        case SxRTPC_LPF:
        case SxRTPC_Priority:
        case SxRTPC_PositioningValue1:
        case SxRTPC_PositioningValue2:
        case SxRTPC_PositioningValue3:
        case SxRTPC_ConeOutsideVolume:
        case SxRTPC_ConeOutsideLowPass:
            // The instances below read the new value when they next refresh their parameters.
            RecalcNotification();
            break;
        case SxRTPC_BypassFX0:
        case SxRTPC_BypassFX0 + 1:
        case SxRTPC_BypassFX0 + 2:
        case SxRTPC_BypassFX0 + 3:
        case SxRTPC_BypassFX0 + 4:
            NotifyEffectChanged(propertyID - SxRTPC_BypassFX0, false);
            break;
        default:
            break;
    }
}

void CSxParameterNodeBase::SetUseState(bool use) {
    m_flagsA = static_cast<uint8_t>(use ? (m_flagsA | kUseStates) : (m_flagsA & ~kUseStates));
    RecalcNotification();
}

// --- values along the tree ---

void CSxParameterNodeBase::GetAudioParameters(SxAudioSums& sums, uint32_t mask, CSxRegisteredObj* gameObj,
                                              bool drawRandom, SxAudioSums& offsets, float& volumeFactor) {
    GetOwnAudioParameters(sums, mask, gameObj, drawRandom, offsets, volumeFactor);
    if (m_parent) m_parent->GetAudioParameters(sums, mask, gameObj, drawRandom, offsets, volumeFactor);
}

void CSxParameterNodeBase::GetOwnAudioParameters(SxAudioSums& sums, uint32_t mask, CSxRegisteredObj* gameObj,
                                                 bool drawRandom, SxAudioSums& offsets, float& volumeFactor) const {
    if (m_flagsA & kUseStates) {
        for (const StateGroup& group : m_stateGroups) {
            const float* v = group.chunk->values;
            if (mask & SxParamMask_Volume) sums.volume += v[0];
            if (mask & SxParamMask_LFE) sums.lfe += v[1];
            if (mask & SxParamMask_Pitch) sums.pitch += v[2];
            if (mask & SxParamMask_LPF) sums.lpf += v[3];
        }
    }
    auto own = [&](uint32_t prop) { return m_props.GetFloat(prop) + RTPCValue(prop, gameObj); };
    if (mask & SxParamMask_Volume) sums.volume += own(SxProp_Volume);
    if (mask & SxParamMask_LFE) sums.lfe += own(SxProp_LFE);
    if (mask & SxParamMask_Pitch) sums.pitch += own(SxProp_Pitch);
    if (mask & SxParamMask_LPF) sums.lpf += own(SxProp_LPF);
    for (const CSxSIS* sis : {m_allObjectsSIS.get(), gameObj ? FindSIS(gameObj) : nullptr}) {
        if (!sis) continue;
        if (mask & SxParamMask_Volume) sums.volume += sis->Value(SxProp_Volume);
        if (mask & SxParamMask_LFE) sums.lfe += sis->Value(SxProp_LFE);
        if (mask & SxParamMask_Pitch) sums.pitch += sis->Value(SxProp_Pitch);
        if (mask & SxParamMask_LPF) sums.lpf += sis->Value(SxProp_LPF);
        volumeFactor *= sis->Value(SxProp_MuteRatio);
    }
    if (drawRandom) {
        auto draw = [&](uint32_t prop, float& offset) {
            if (const SxRangeBundle::Entry* e = m_ranges.Find(prop)) offset += SxRandomInRange(e->min.f, e->max.f);
        };
        draw(SxProp_Volume, offsets.volume);
        draw(SxProp_LFE, offsets.lfe);
        draw(SxProp_Pitch, offsets.pitch);
        draw(SxProp_LPF, offsets.lpf);
    }
}

void CSxParameterNodeBase::GetPriority(CSxRegisteredObj* gameObj, float& priority, float& distanceOffset) {
    if (m_parent && !(m_flagsA & kOverridePriority)) return m_parent->GetPriority(gameObj, priority, distanceOffset);
    priority =
        IsRTPCSubscribed(SxRTPC_Priority) ? RTPCValue(SxRTPC_Priority, gameObj) : m_props.GetFloat(SxProp_Priority);
    distanceOffset = (m_flagsA & kDistanceOffset) ? m_props.GetFloat(SxProp_PriorityDistanceOffset) : 0.0f;
}

CSxParameterNodeBase* CSxParameterNodeBase::PositioningNode() {
    CSxParameterNodeBase* node = this;
    while (node->m_parent && !(node->m_flagsB & kOverridePositioning)) node = node->m_parent;
    return node;
}

// --- values per game object ---

CSxSIS* CSxParameterNodeBase::FindSIS(CSxRegisteredObj* gameObj) const {
    if (!gameObj) return m_allObjectsSIS.get();
    for (const auto& sis : m_objectSIS)
        if (sis->GameObj() == gameObj) return sis.get();
    return nullptr;
}

CSxSIS* CSxParameterNodeBase::GetSIS(CSxRegisteredObj* gameObj) {
    if (CSxSIS* sis = FindSIS(gameObj)) return sis;
    // A new set starts from the bypass state the object has now.
    const uint8_t bypass = gameObj && m_allObjectsSIS ? m_allObjectsSIS->BypassBits() : m_bypassBits;
    if (!gameObj) {
        if (g_pRegistryMgr) g_pRegistryMgr->AddModifiedNode(ID());
        m_allObjectsSIS = std::make_unique<CSxSIS>(this, nullptr);
        m_allObjectsSIS->SetBypassBits(bypass, 0x1F);
        return m_allObjectsSIS.get();
    }
    if (gameObj->SetNodeAsModified(ID()) != SX_Success) return nullptr;
    m_objectSIS.push_back(std::make_unique<CSxSIS>(this, gameObj));
    m_objectSIS.back()->SetBypassBits(bypass, 0x1F);
    return m_objectSIS.back().get();
}

void CSxParameterNodeBase::SetBypass(uint8_t bits, uint8_t mask, CSxRegisteredObj* gameObj) {
    mask &= 0x1F;
    CSxSIS* sis = GetSIS(gameObj);
    if (!sis) return;
    sis->SetBypassBits(bits, mask);
    // For all objects, every object's own set takes the bits too.
    if (!gameObj)
        for (const auto& objectSIS : m_objectSIS) objectSIS->SetBypassBits(bits, mask);
    RecalcNotification();
    for (uint32_t slot = 0; slot <= 4; ++slot)
        if ((mask >> slot) & 1) NotifyEffectChanged(slot, false);
}

void CSxParameterNodeBase::SetEffect(uint32_t slot, SxUniqueID effectID, bool shareSet) {
    if (slot >= 4) return;
    SetEffectSlot(slot, effectID, shareSet);
    NotifyEffectChanged(slot, true);
}

void CSxParameterNodeBase::SetEffectSlot(uint32_t slot, SxUniqueID effectID, bool shareSet) {
    if (slot >= 4) return;
    m_effects[slot].id = effectID;
    m_effects[slot].shareSet = shareSet ? 1 : 0;
}

void CSxParameterNodeBase::NotifyEffectChanged(uint32_t slot, bool effect) const {
    if (ISxVoiceLayer* voices = CSxLEngineCmds::VoiceLayer()) voices->EffectChanged(*this, slot, effect);
}

bool CSxParameterNodeBase::IsFXBypassed(uint32_t slot, CSxRegisteredObj* gameObj) const {
    if (!(m_flagsB & kOverrideEffects) && m_parent) return m_parent->IsFXBypassed(slot, gameObj);
    // Slot 4 stands for all effects. Without any effect nothing is bypassed.
    const bool anyEffect =
        std::any_of(std::begin(m_effects), std::end(m_effects), [](const Effect& e) { return e.id != 0; });
    if (slot > 4 || !anyEffect) return false;
    const uint32_t param = SxRTPC_BypassFX0 + slot;
    if ((slot == 4 || m_effects[slot].id) && IsRTPCSubscribed(param)) return RTPCValue(param, gameObj) != 0.0f;
    const CSxSIS* sis = gameObj ? FindSIS(gameObj) : nullptr;
    if (!sis) sis = m_allObjectsSIS.get();
    const uint8_t bits = sis ? sis->BypassBits() : m_bypassBits;
    return (bits >> slot) & 1;
}

void CSxParameterNodeBase::UnregisterGameObject(CSxRegisteredObj* gameObj) {
    for (auto it = m_objectSIS.begin(); it != m_objectSIS.end(); ++it) {
        if ((*it)->GameObj() != gameObj) continue;
        m_objectSIS.erase(it);
        return;
    }
}

void CSxParameterNodeBase::MoveValue(CSxSIS& sis, uint32_t prop, float target, SxCurveInterpolation curve,
                                     uint32_t timeMs) {
    const bool dB =
        prop == SxProp_Volume || prop == SxProp_LFE || prop == SxProp_FeedbackVolume || prop == SxProp_MuteRatio;
    const float current = prop == SxProp_MuteRatio ? sis.Value(prop) * 96.3f - 96.3f : sis.Value(prop);
    if (target != current && timeMs != 0 && g_pTransitionMgr) {
        SxTransitionParams params;
        params.user = &sis;
        params.targetID = static_cast<int32_t>(prop);
        params.startValue = current;
        params.targetValue = target;
        params.durationMs = timeMs;
        params.shape = curve;
        params.dB = dB;
        if (CSxTransition* transition =
                g_pTransitionMgr->AddTransitionToList(params, true, CSxTransitionMgr::kFadeList)) {
            sis.SetTransition(prop, transition);
            return;
        }
    }
    sis.TransUpdateValue(static_cast<int32_t>(prop), target, true);
}

void CSxParameterNodeBase::SetSxPropOnObject(uint32_t prop, CSxRegisteredObj* gameObj, SxValueMeaning meaning,
                                             float value, SxCurveInterpolation curve, uint32_t timeMs) {
    CSxSIS* sis = GetSIS(gameObj);
    if (!sis) return;
    const float own = m_props.GetFloat(prop);
    if (CSxTransition* running = sis->Transition(prop)) {
        const bool independent = meaning == SxValueMeaning_Independent;
        g_pTransitionMgr->ChangeParameter(running, static_cast<int32_t>(prop), independent ? value - own : value,
                                          timeMs, curve, independent ? SxValueMeaning_Default : meaning);
        return;
    }
    const float target = meaning == SxValueMeaning_Offset        ? value + sis->Value(prop)
                         : meaning == SxValueMeaning_Independent ? value - own
                                                                 : 0.0f;
    MoveValue(*sis, prop, target, curve, timeMs);
}

void CSxParameterNodeBase::ResetSxProp(uint32_t prop, SxCurveInterpolation curve, uint32_t timeMs) {
    for (const auto& sis : m_objectSIS)
        if (sis->Value(prop) != 0.0f)
            SetSxPropOnObject(prop, sis->GameObj(), SxValueMeaning_Default, 0.0f, SxCurve_Linear, 0);
    if (m_allObjectsSIS && m_allObjectsSIS->Value(prop) != 0.0f)
        SetSxPropOnObject(prop, nullptr, SxValueMeaning_Default, 0.0f, curve, timeMs);
}

void CSxParameterNodeBase::UnmuteAll(SxCurveInterpolation curve, uint32_t timeMs) {
    Unmute(nullptr, curve, timeMs);
    for (const auto& sis : m_objectSIS)
        if (sis->Value(SxProp_MuteRatio) != 1.0f) Unmute(sis->GameObj(), curve, timeMs);
}

void CSxParameterNodeBase::Mute(CSxRegisteredObj* gameObj, SxCurveInterpolation curve, uint32_t timeMs) {
    if (CSxSIS* sis = GetSIS(gameObj)) MoveValue(*sis, SxProp_MuteRatio, -96.3f, curve, timeMs);
}

void CSxParameterNodeBase::Unmute(CSxRegisteredObj* gameObj, SxCurveInterpolation curve, uint32_t timeMs) {
    CSxSIS* sis = FindSIS(gameObj);
    if (!sis || (sis->Value(SxProp_MuteRatio) == 1.0f && !sis->Transition(SxProp_MuteRatio))) return;
    if (CSxTransition* running = sis->Transition(SxProp_MuteRatio))
        g_pTransitionMgr->ChangeParameter(running, SxProp_MuteRatio, 0.0f, timeMs, curve, SxValueMeaning_Default);
    else
        MoveValue(*sis, SxProp_MuteRatio, 0.0f, curve, timeMs);
}

CSxParameterNodeBase* CSxParameterNodeBase::LimitingNode() {
    CSxParameterNodeBase* node = this;
    while (node->m_parent && !(node->m_flagsA & kOverrideLimit)) node = node->m_parent;
    return node;
}

uint16_t CSxParameterNodeBase::InstanceLimit(CSxRegisteredObj* gameObj) const {
    if (m_maxInstances != 0 && IsRTPCSubscribed(SxRTPC_MaxInstances))
        return static_cast<uint16_t>(RTPCValue(SxRTPC_MaxInstances, gameObj));
    return m_maxInstances;
}

SXRESULT CSxParameterNodeBase::ApplyInstanceLimit(SxPlayCountRecord& record) {
    const bool global = m_flagsA & kGlobalLimit;
    uint32_t count;
    if (global) {
        count = ++m_limiterPlayCount;
    } else {
        auto entry = std::find_if(m_objectCounts.begin(), m_objectCounts.end(),
                                  [&](const ObjectCount& c) { return c.gameObj == record.gameObj; });
        if (entry == m_objectCounts.end()) {
            m_objectCounts.push_back(ObjectCount{record.gameObj, 0});
            entry = m_objectCounts.end() - 1;
        }
        count = ++entry->playCount;
    }
    const uint16_t limit = InstanceLimit(global ? nullptr : record.gameObj);
    if (limit == 0 || count - record.kickCount <= limit) return SX_Success;
    // Too many: the weakest instance below this node makes room, or the new one is refused.
    const SXRESULT result = CSxURenderer::KickOut(record.priority, global ? nullptr : record.gameObj, ID(),
                                                  m_flagsA & kKillNewest, m_flagsA & kUseVirtualBehavior);
    if (result == SX_Success) ++record.kickCount;
    return result;
}

SXRESULT CSxParameterNodeBase::IncrementPlayCount(SxPlayCountRecord& record) {
    SXRESULT result = SX_Success;
    for (CSxParameterNodeBase* node = this; node; node = node->m_parent) {
        ++node->m_playCount;
        if ((node->m_flagsA & kOverrideLimit || !node->m_parent) && !record.limitApplied) {
            record.limitApplied = true;
            const SXRESULT limited = node->ApplyInstanceLimit(record);
            if (limited == SX_MustBeVirtual && result == SX_Success)
                result = SX_MustBeVirtual;
            else if (limited != SX_Success && limited != SX_MustBeVirtual)
                result = limited;
        }
    }
    // A request the node refused is counted on its buses but makes no room there.
    const bool refused = result != SX_Success && result != SX_MustBeVirtual;
    const SXRESULT bus = CSxBus::CountPlay(this, true, record, !refused);
    if (bus == SX_MustBeVirtual && result == SX_Success)
        result = SX_MustBeVirtual;
    else if (bus != SX_Success && bus != SX_MustBeVirtual)
        result = bus;
    return result;
}

void CSxParameterNodeBase::DecrementPlayCount(SxPlayCountRecord& record) {
    bool limitReleased = false;
    for (CSxParameterNodeBase* node = this; node; node = node->m_parent) {
        if (node->m_playCount) --node->m_playCount;
        if ((node->m_flagsA & kOverrideLimit || !node->m_parent) && !limitReleased) {
            limitReleased = true;
            if (node->m_flagsA & kGlobalLimit) {
                if (node->m_limiterPlayCount) --node->m_limiterPlayCount;
                continue;
            }
            auto& counts = node->m_objectCounts;
            auto entry = std::find_if(counts.begin(), counts.end(),
                                      [&](const ObjectCount& c) { return c.gameObj == record.gameObj; });
            if (entry != counts.end() && --entry->playCount == 0) counts.erase(entry);
        }
    }
    CSxBus::CountPlay(this, false, record);
}

void CSxParameterNodeBase::IncrementActivityCount(uint32_t buses) {
    for (CSxParameterNodeBase* node = this; node; node = node->m_parent) ++node->m_activityCount;
    CountActivityOnBuses(buses, true);
}

void CSxParameterNodeBase::DecrementActivityCount(uint32_t buses) {
    for (CSxParameterNodeBase* node = this; node; node = node->m_parent)
        if (node->m_activityCount) --node->m_activityCount;
    CountActivityOnBuses(buses, false);
}

void CSxParameterNodeBase::CountActivityOnBuses(uint32_t buses, bool increment) {
    // A bus's parents are the buses above it: the walk over the parents has counted them.
    if (NodeCategory() == SxNodeCategory_Bus || NodeCategory() == SxNodeCategory_FeedbackBus) return;
    CSxBus* reached[] = {(buses & SxActivity_Bus) ? CSxBus::RoutingBusAndAddRef(this) : nullptr,
                         (buses & SxActivity_FeedbackBus) ? CSxFeedbackBus::NamedOfNodeAndAddRef(this) : nullptr};
    for (CSxBus* bus : reached) {
        if (!bus) continue;
        if (increment)
            bus->IncrementActivityCount();
        else
            bus->DecrementActivityCount();
        bus->Release();
    }
}

SXRESULT CSxParameterNodeBase::PrepareNodeData(SxUniqueID id) {
    CSxIndexable* object = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id) : nullptr;
    if (!object) return SX_Fail;
    // The lookup's reference stays with the preparation.
    const SXRESULT result = static_cast<CSxParameterNodeBase*>(object)->PrepareData();
    if (result != SX_Success) object->Release();
    return result;
}

void CSxParameterNodeBase::UnPrepareNodeData(SxUniqueID id) {
    CSxIndexable* object = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id) : nullptr;
    if (!object) return;
    static_cast<CSxParameterNodeBase*>(object)->UnPrepareData();
    object->Release();
    object->Release();
}

}  // namespace SX
