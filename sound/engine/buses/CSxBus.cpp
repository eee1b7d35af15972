#include "sound/engine/buses/CSxBus.h"

#include <algorithm>

#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/buses/CSxActionDuck.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/hierarchy/CSxSIS.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/transitions/CSxTransition.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

namespace {

CSxBus* g_masterBus = nullptr;

// Audio buses and motion buses each stay in their own tree.
CSxBus* FindBus(SxUniqueID id, SxNodeCategory category = SxNodeCategory_Bus) {
    CSxIndexable* found = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id) : nullptr;
    if (!found) return nullptr;
    if (static_cast<CSxParameterNodeBase*>(found)->NodeCategory() != category) {
        found->Release();
        return nullptr;
    }
    return static_cast<CSxBus*>(found);
}

// True when the bus is the one given or lies above it.
bool RoutesThrough(const CSxBus* routing, const CSxBus* bus) {
    for (const CSxBus* b = routing; b; b = b->ParentBus())
        if (b == bus) return true;
    return false;
}

}  // namespace

CSxBus* CSxBus::Create(SxUniqueID id) {
    auto* bus = SxNew<CSxBus>(g_DefaultPoolId, id);
    if (!bus) return nullptr;
    if (g_pObjectIndex) g_pObjectIndex->AddToIndex(bus);
    SxUnderTableLock(SxIndex_Node, [bus] {
        if (!g_masterBus) g_masterBus = bus;
    });
    return bus;
}

CSxBus::CSxBus(SxUniqueID id) : CSxParentNode(id) {}

CSxBus::~CSxBus() {
    for (DuckItem* item : m_duckItems) SxDelete(g_DefaultPoolId, item);
    SxUnderTableLock(SxIndex_Node, [this] {
        if (g_masterBus == this) g_masterBus = nullptr;
    });
}

// The master pointer is kept under the node table's lock.
bool CSxBus::IsMasterBus() const {
    return SxUnderTableLock(SxIndex_Node, [this] { return g_masterBus == this; });
}

CSxBus* CSxBus::GetMasterBusAndAddRef() {
    return SxUnderTableLock(SxIndex_Node, [] {
        if (g_masterBus) g_masterBus->AddRef();
        return g_masterBus;
    });
}

void CSxBus::ClearMasterBus() {
    SxUnderTableLock(SxIndex_Node, [] { g_masterBus = nullptr; });
}

SXRESULT CSxBus::AddChild(SxUniqueID childID) {
    if (childID == 0) return SX_InvalidID;
    CSxIndexable* found = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, childID) : nullptr;
    if (!found) return SX_IDNotFound;
    const bool isBus = static_cast<CSxParameterNodeBase*>(found)->NodeCategory() == NodeCategory();
    found->Release();
    return isBus ? CSxParentNode::AddChild(childID) : SX_Success;
}

// --- the bank block ---

SXRESULT CSxBus::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id, parentID;
    if (!cursor.U32(id) || !cursor.U32(parentID)) return SX_Fail;
    if (parentID) {
        CSxBus* parent = FindBus(parentID, NodeCategory());
        if (!parent) return SX_Fail;
        const SXRESULT linked = parent->AddChild(ID());
        parent->Release();
        if (linked != SX_Success) return linked;
    }
    uint8_t killNewest, useVirtual, ownLimit, environmental;
    uint16_t unused;
    if (m_busProps.Read(cursor) != SX_Success || !cursor.U8(killNewest) || !cursor.U8(useVirtual) ||
        !cursor.U16(m_maxInstances) || !cursor.U8(ownLimit) || !cursor.U16(m_channels) || !cursor.U16(unused) ||
        !cursor.U8(environmental))
        return SX_Fail;
    m_killNewest = killNewest != 0;
    m_useVirtual = useVirtual != 0;
    m_ownInstanceLimit = (ownLimit & 1) != 0;
    m_environmental = environmental != 0;
    uint32_t recoveryMs, targetCount;
    if (!cursor.U32(recoveryMs) || !cursor.F32(m_maxDuckVolume) || !cursor.U32(targetCount) ||
        !cursor.HasRoomFor(targetCount, 17))
        return SX_Fail;
    m_recoverySamples = recoveryMs * (CSxLEngine::OutputSampleRate() / 1000);
    for (uint32_t i = 0; i < targetCount; ++i) {
        uint32_t busID = 0, fadeOut = 0, fadeIn = 0;
        float volume = 0.0f;
        uint8_t curve = 0;
        cursor.U32(busID);
        cursor.F32(volume);
        cursor.U32(fadeOut);
        cursor.U32(fadeIn);
        cursor.U8(curve);
        const SXRESULT added = AddDuckTarget(busID, volume, fadeOut, fadeIn, static_cast<SxCurveInterpolation>(curve));
        if (added != SX_Success) return added;
    }
    uint8_t effectCount, bypassBits;
    if (!cursor.U8(effectCount) || !cursor.U8(bypassBits) || !cursor.HasRoomFor(effectCount, 7)) return SX_Fail;
    SetBankBypassBits(bypassBits);
    for (uint8_t i = 0; i < effectCount; ++i) {
        uint8_t slot = 0, shareSet = 0, pad = 0;
        uint32_t effectID = 0;
        cursor.U8(slot);
        cursor.U32(effectID);
        cursor.U8(shareSet);
        cursor.U8(pad);
        if (slot >= 4) return SX_Fail;
        if (effectID) SetEffectSlot(slot, effectID, shareSet != 0);
    }
    // Unlike the other nodes, a bus lists its game-parameter curves before its state groups.
    SXRESULT result = ReadRTPCCurves(cursor);
    if (result == SX_Success) result = ReadStateGroups(cursor);
    return result == SX_Success ? ReadFeedbackBus(cursor) : result;
}

SXRESULT CSxBus::AddDuckTarget(SxUniqueID busID, float volume, uint32_t fadeOutMs, uint32_t fadeInMs,
                               SxCurveInterpolation curve) {
    const DuckTarget target{busID, volume, fadeOutMs, fadeInMs, curve};
    for (DuckTarget& existing : m_targets) {
        if (existing.busID != busID) continue;
        existing = target;
        return SX_Success;
    }
    if (m_targets.size() >= kMaxDuckEntries) return SX_Fail;
    m_targets.push_back(target);
    return SX_Success;
}

// --- routing and counting ---

CSxBus* CSxBus::RoutingBusAndAddRef(const CSxParameterNodeBase* node) {
    for (const CSxParameterNodeBase* n = node; n; n = n->Parent())
        if (n->OverrideBusID()) return FindBus(n->OverrideBusID());
    return GetMasterBusAndAddRef();
}

SXRESULT CSxBus::CountPlay(const CSxParameterNodeBase* node, bool started, SxPlayCountRecord& record, bool makeRoom) {
    SXRESULT result = SX_Success;
    CSxBus* routing = RoutingBusAndAddRef(node);
    bool limitReleased = false;
    for (CSxBus* bus = routing; bus; bus = bus->ParentBus()) {
        if (started) {
            if (bus->LimitsItsOwn() && !record.busLimitApplied) {
                record.busLimitApplied = true;
                result = bus->ApplyInstanceLimit(record, makeRoom);
            }
            if (++bus->m_playCount == 1) bus->ChangeDuckState(Duck_Ducking);
            continue;
        }
        if (bus->LimitsItsOwn() && !limitReleased) {
            limitReleased = true;
            if (bus->m_limiterCount) --bus->m_limiterCount;
        }
        if (bus->m_playCount && --bus->m_playCount == 0) {
            const bool recover = bus->m_recoverySamples && !bus->m_targets.empty() && bus->ScheduleRelease();
            bus->ChangeDuckState(recover ? Duck_Recovering : Duck_Idle);
        }
    }
    if (routing) routing->Release();
    return result;
}

CSxBus* CSxBus::LimitingBusAndAddRef(const CSxParameterNodeBase* node) {
    CSxBus* bus = RoutingBusAndAddRef(node);
    CSxBus* limiting = bus;
    while (limiting && !limiting->LimitsItsOwn()) limiting = limiting->ParentBus();
    if (limiting != bus) {
        if (limiting) limiting->AddRef();
        if (bus) bus->Release();
    }
    return limiting;
}

uint16_t CSxBus::MaxInstances() const {
    if (m_maxInstances != 0 && IsRTPCSubscribed(SxRTPC_MaxInstances))
        return static_cast<uint16_t>(RTPCValue(SxRTPC_MaxInstances, nullptr));
    return m_maxInstances;
}

SXRESULT CSxBus::ApplyInstanceLimit(SxPlayCountRecord& record, bool makeRoom) {
    const uint32_t count = ++m_limiterCount;
    const uint16_t limit = MaxInstances();
    if (!makeRoom || limit == 0 || count - record.busKickCount <= limit) return SX_Success;
    // Too many: the weakest instance through this bus makes room, or the new one is refused.
    const SXRESULT result = CSxURenderer::KickOut(record.priority, nullptr, ID(), m_killNewest, m_useVirtual, true);
    if (result == SX_Success) ++record.busKickCount;
    return result;
}

bool CSxBus::IsInLimitChain(const CSxParameterNodeBase* node, SxUniqueID busID) {
    CSxBus* routing = RoutingBusAndAddRef(node);
    bool found = false;
    for (const CSxBus* bus = routing; bus && !found; bus = bus->ParentBus()) {
        found = bus->ID() == busID;
        if (bus->m_ownInstanceLimit) break;
    }
    if (routing) routing->Release();
    return found;
}

bool CSxBus::HasEffect() const {
    if (m_environmental) return true;
    for (uint32_t slot = 0; slot < 4; ++slot)
        if (EffectID(slot)) return true;
    return false;
}

bool CSxBus::IsBusFxBypassed(uint32_t slot) const {
    if (slot > 4) return false;
    const uint32_t param = SxRTPC_BypassFX0 + slot;
    if ((slot == 4 || EffectID(slot)) && IsRTPCSubscribed(param)) return RTPCValue(param, nullptr) != 0.0f;
    const CSxSIS* sis = AllObjectsSIS();
    return ((sis ? sis->BypassBits() : EffectBypassBits()) >> slot) & 1;
}

void CSxBus::NotifyEffectChanged(uint32_t slot, bool effect) const {
    const bool master = IsMasterBus();
    if (effect) {
        if (master)
            CSxLEngine::SetMasterBusFx(slot);
        else
            CSxLEngine::SetBusFx(ID(), slot);
        // The bus may have become a mix bus, or stopped being one: its levels move with it.
        const_cast<CSxBus*>(this)->RecalcNotification();
    } else if (slot <= 4) {
        const uint32_t bits = IsBusFxBypassed(slot) ? 1u << slot : 0u;
        if (master)
            CSxLEngine::BypassMasterBusFx(bits, 1u << slot);
        else
            CSxLEngine::BypassBusFx(ID(), bits, 1u << slot);
    }
}

void CSxBus::AddOwnLevels(SxAudioSums& sums, uint32_t mask, float& factor) const {
    SxAudioSums unusedOffsets;
    GetOwnAudioParameters(sums, mask, nullptr, false, unusedOffsets, factor);
    const float duck = TotalDuck();
    if (mask & SxParamMask_Volume) sums.volume += duck + m_busProps.GetFloat(SxProp_Volume);
    if (mask & SxParamMask_LFE) sums.lfe += duck + m_busProps.GetFloat(SxProp_LFE);
    if (mask & SxParamMask_Pitch) sums.pitch += m_busProps.GetFloat(SxProp_Pitch);
    if (mask & SxParamMask_LPF) sums.lpf += m_busProps.GetFloat(SxProp_LPF);
}

void CSxBus::AddBusParameters(const CSxParameterNodeBase* node, SxAudioSums& sums, uint32_t mask, float& volumeFactor) {
    CSxBus* routing = RoutingBusAndAddRef(node);
    for (const CSxBus* bus = routing; bus; bus = bus->ParentBus()) {
        // From the first mix bus up, volume and LFE are applied by the lower engine's nodes.
        if (bus->HasEffect()) mask &= ~(SxParamMask_Volume | SxParamMask_LFE);
        float factor = 1.0f;
        bus->AddOwnLevels(sums, mask, factor);
        if (mask & SxParamMask_Volume) volumeFactor *= factor;
    }
    if (routing) routing->Release();
}

float CSxBus::MixLevelDb(uint32_t mask) const {
    SxAudioSums sums;
    float factor = 1.0f;
    for (const CSxBus* bus = this; bus && (bus == this || !bus->HasEffect()); bus = bus->ParentBus())
        bus->AddOwnLevels(sums, mask, factor);
    const float db = mask == SxParamMask_Volume ? sums.volume : sums.lfe;
    return factor == 1.0f ? db : (db + 96.3f) * std::max(factor, 0.0f) - 96.3f;
}

void CSxBus::RecalcNotification() {
    if (HasEffect()) {
        if (IsMasterBus()) {
            CSxLEngine::SetMasterBusVolume(MixVolumeDb());
            CSxLEngine::SetMasterBusLFE(MixLfeDb());
        } else {
            CSxLEngine::SetBusVolume(ID(), MixVolumeDb());
            CSxLEngine::SetBusLFE(ID(), MixLfeDb());
        }
    }
    for (CSxPBI* instance = CSxURenderer::FirstActive(); instance; instance = CSxURenderer::NextActive(instance)) {
        CSxBus* routing = RoutingBusAndAddRef(instance->Node());
        if (RoutesThrough(routing, this)) instance->InvalidateParameters();
        if (routing) routing->Release();
    }
    CSxParentNode::RecalcNotification();
}

// --- ducking ---

float CSxBus::OwnVolumeDb() const {
    SxAudioSums sums;
    float factor = 1.0f;
    AddOwnLevels(sums, SxParamMask_Volume, factor);
    return sums.volume;
}

float CSxBus::OwnPitch() const {
    SxAudioSums sums;
    float factor = 1.0f;
    AddOwnLevels(sums, SxParamMask_Pitch, factor);
    return sums.pitch;
}

float CSxBus::TotalDuck() const {
    float sum = 0.0f;
    for (const DuckItem* item : m_duckItems) sum += item->Volume();
    return std::max(m_maxDuckVolume, sum);
}

void CSxBus::ChangeDuckState(DuckState state) {
    m_duckState = state;
    ApplyDuckTargets();
}

void CSxBus::EndRecovery() {
    if (m_duckState == Duck_Recovering) ChangeDuckState(Duck_Idle);
}

bool CSxBus::ScheduleRelease() {
    if (!g_pAudioMgr) return false;
    CSxActionDuck* release = CSxActionDuck::Create(ID(), m_recoverySamples);
    if (!release) return false;
    auto* pending = SxNew<SxPendingAction>(g_DefaultPoolId);
    if (pending) {
        pending->action = release;
        g_pAudioMgr->EnqueueOrExecuteAction(pending);
    }
    release->Release();
    return pending != nullptr;
}

CSxBus::DuckItem* CSxBus::FindDuckItem(SxUniqueID from) {
    for (DuckItem* item : m_duckItems)
        if (item->From() == from) return item;
    return nullptr;
}

SXRESULT CSxBus::ApplyDuckTargets() {
    SXRESULT result = SX_Success;
    for (const DuckTarget& target : m_targets) {
        CSxBus* bus = FindBus(target.busID);
        if (!bus) continue;
        DuckItem* item = bus->FindDuckItem(ID());
        switch (m_duckState) {
            case Duck_Idle:
                if (item) item->Move(0.0f, target.fadeInMs, target.curve);
                break;
            case Duck_Ducking:
                if (!item && bus->m_duckItems.size() < kMaxDuckEntries) {
                    item = SxNew<DuckItem>(g_DefaultPoolId, *bus, ID());
                    if (item) bus->m_duckItems.push_back(item);
                }
                if (item)
                    item->Move(target.volume, target.fadeOutMs, target.curve);
                else
                    result = SX_Fail;
                break;
            case Duck_Recovering:
                if (item) item->Hold();
                break;
        }
        bus->Release();
    }
    return result;
}

CSxBus::DuckItem::~DuckItem() {
    if (m_transition) m_transition->RemoveTransitionUser(this);
}

void CSxBus::DuckItem::TransUpdateValue(int32_t, float value, bool done) {
    const float before = m_owner.TotalDuck();
    m_volume = value;
    if (done) m_transition = nullptr;
    const float after = m_owner.TotalDuck();
    if (after != before) m_owner.RecalcNotification();
}

void CSxBus::DuckItem::Move(float target, uint32_t timeMs, SxCurveInterpolation curve) {
    if (m_transition) {
        g_pTransitionMgr->ChangeParameter(m_transition, 0, target, timeMs, curve, SxValueMeaning_Default);
        return;
    }
    if (target != m_volume && timeMs != 0 && g_pTransitionMgr) {
        SxTransitionParams params;
        params.user = this;
        params.startValue = m_volume;
        params.targetValue = target;
        params.durationMs = timeMs;
        params.shape = curve;
        m_transition = g_pTransitionMgr->AddTransitionToList(params, true, CSxTransitionMgr::kFadeList);
        if (m_transition) return;
    }
    TransUpdateValue(0, target, true);
}

void CSxBus::DuckItem::Hold() {
    if (!m_transition) return;
    m_transition->RemoveTransitionUser(this);
    m_transition = nullptr;
}

}  // namespace SX
