// The lower engine's bus and environmental mix nodes and the bus commands.
#include <algorithm>

#include "sound/engine/SxArray.h"
#include "sound/engine/attenuations/SxEffectLookup.h"
#include "sound/engine/bus/CSxMixBusNode.h"
#include "sound/engine/lower/CSxLEngine.h"

namespace SX {

namespace {

struct BusNodeEntry {
    CSxMixBusNode* node;
    CSxMixBusNode* parent;  // null: the master
    uint8_t flags;          // bit 0 motion bus
};

struct EnvNodeEntry {
    SxUniqueID environmentID;
    CSxMixBusNode* node;
};

constexpr uint8_t kMotionBus = 1;
// Motion buses carry no audio: one frame of the centre channel.
constexpr uint32_t kMotionMask = 4;

SxArray<BusNodeEntry>& BusNodes() {
    static SxArray<BusNodeEntry> nodes(8, SxInvalidPoolId);
    return nodes;
}
SxArray<EnvNodeEntry>& EnvNodes() {
    static SxArray<EnvNodeEntry> nodes(4, SxInvalidPoolId);
    return nodes;
}
CSxBusFxSlot* MasterFx() {
    static CSxBusFxSlot slots[MasterMixNode::kEffectSlots];
    return slots;
}

void DestroyNode(CSxMixBusNode* node) {
    if (!node) return;
    node->Term();
    SxDelete(g_LEngineDefaultPoolId, node);
}

// The arrays live in the lower engine's pool; an empty array follows the pool of the day.
template <typename T>
bool Append(SxArray<T>& array, const T& item) {
    if (array.Capacity() == 0) array.SetPool(g_LEngineDefaultPoolId);
    return array.AddLast(item);
}

void MixOut(CSxMixBusNode& node, CSxMixBusNode* parent) {
    node.ProcessEffects();
    if (parent)
        parent->MixNode(node.GetOutput(), node.PreviousGains(), node.CurrentGains());
    else
        CSxLEngine::MixIntoMaster(node.GetOutput(), node.PreviousGains(), node.CurrentGains());
    node.Clear();
}

// The effect sits in a slot of the bus (or of the environment's share set) as the hierarchy
// names it now.
bool NamesFx(BusHandle bus, SxUniqueID environmentID, const ISxEffectObject* effect) {
    for (uint32_t slot = 0; slot < CSxMixBusNode::kEffectSlots; ++slot) {
        SxFxSlotInfo fx;
        if (environmentID == 0)
            fx = bus.GetFx(slot);
        else
            fx = SxEnvironmentFx(environmentID, slot);
        if (fx.effect == effect) return true;
    }
    return false;
}

template <typename Fn>
void ForBusNodes(SxUniqueID busID, Fn fn) {
    bool feedsEnv = false;
    for (const BusNodeEntry& entry : BusNodes()) {
        if (entry.node->Bus().BusID() != busID) continue;
        feedsEnv = feedsEnv || entry.node->Bus().FeedsEnvironmental();
        fn(*entry.node);
    }
    if (feedsEnv)
        for (const EnvNodeEntry& entry : EnvNodes()) fn(*entry.node);
}

}  // namespace

CSxMixBusNode* CSxLEngine::FindBusNode(SxUniqueID busID) {
    for (const BusNodeEntry& entry : BusNodes())
        if (entry.node->Bus().BusID() == busID && entry.node->GetState() != CSxMixBusNode::kDestroying)
            return entry.node;
    return nullptr;
}

CSxMixBusNode* CSxLEngine::FindEnvNode(SxUniqueID environmentID) {
    for (const EnvNodeEntry& entry : EnvNodes())
        if (entry.environmentID == environmentID) return entry.node;
    return nullptr;
}

uint32_t CSxLEngine::BusNodeCount() { return BusNodes().Length(); }
uint32_t CSxLEngine::EnvNodeCount() { return EnvNodes().Length(); }

CSxMixBusNode* CSxLEngine::GetVPLMixBus(ISxBusObject* bus, bool motion) {
    if (!bus) return nullptr;
    if (CSxMixBusNode* existing = FindBusNode(bus->BusID())) return existing;
    CSxMixBusNode* parent = nullptr;
    if (ISxBusObject* parentBus = bus->ParentBus()) {
        parent = GetVPLMixBus(parentBus, motion);
        if (!parent) return nullptr;
    }
    const BusHandle handle(bus);
    const uint32_t mask =
        motion ? kMotionMask : s_channelMask & handle.ChannelMask() & (parent ? parent->ChannelMask() : ~0u);
    CSxMixBusNode* node = SxNew<CSxMixBusNode>(g_LEngineDefaultPoolId);
    if (!node) return nullptr;
    if (node->Init(mask, static_cast<uint16_t>(motion ? 1 : SxFrameLength), handle) != SX_Success ||
        !Append(BusNodes(), BusNodeEntry{node, parent, static_cast<uint8_t>(motion ? kMotionBus : 0)})) {
        DestroyNode(node);
        return nullptr;
    }
    if (!motion && parent) parent->Connect();
    if (bus == MasterBusHandle().Get())
        node->SetPassThrough();
    else if (!handle.FeedsEnvironmental() && handle.HasEffects())
        node->SetupFx(0);
    // Loads the bus's levels, which the environmental nodes it feeds take too.
    node->Connect();
    node->Release();
    return node;
}

CSxMixBusNode* CSxLEngine::GetEnvMixBus(SxUniqueID environmentID) {
    if (CSxMixBusNode* existing = FindEnvNode(environmentID)) return existing;
    CSxMixBusNode* node = SxNew<CSxMixBusNode>(g_LEngineDefaultPoolId);
    if (!node) return nullptr;
    if (node->Init(s_channelMask, SxFrameLength, BusHandle()) != SX_Success ||
        node->SetupFx(environmentID) != SX_Success || !Append(EnvNodes(), EnvNodeEntry{environmentID, node})) {
        DestroyNode(node);
        return nullptr;
    }
    // Loads the environment's volumes; the levels are those of the bus that feeds it.
    node->Connect();
    node->Release();
    for (const BusNodeEntry& entry : BusNodes())
        if (entry.node->Bus().FeedsEnvironmental()) {
            node->SetLevels(entry.node->VolumeDb(), entry.node->LfeDb());
            break;
        }
    return node;
}

void CSxLEngine::MixEnvironmentSends(SxAudioBuffer& voice, const SxSpeakerGains* wetGains,
                                     const SxEnvironmentSend* sends, uint32_t count) {
    const uint32_t channels = std::min<uint32_t>(voice.Channels(), 8);
    SxSpeakerGains scaled[8];
    for (uint32_t i = 0; i < count && i < SxMaxEnvironmentSends && sends[i].environmentID != 0; ++i) {
        CSxMixBusNode* node = GetEnvMixBus(sends[i].environmentID);
        if (!node) continue;
        for (uint32_t c = 0; c < channels; ++c)
            for (uint32_t s = 0; s < 8; ++s) {
                scaled[c].current[s] = wetGains[c].current[s] * sends[i].current;
                scaled[c].previous[s] = wetGains[c].previous[s] * sends[i].previous;
            }
        node->MixVoice(voice, scaled, s_panningRule);
    }
}

void CSxLEngine::ProcessBusNodes() {
    SxArray<BusNodeEntry>& buses = BusNodes();
    for (uint32_t i = buses.Length(); i-- > 0;) {
        const BusNodeEntry entry = buses[i];
        if (entry.flags & kMotionBus) continue;
        MixOut(*entry.node, entry.parent);
        if (!entry.node->Bus().FeedsEnvironmental()) continue;
        SxArray<EnvNodeEntry>& envs = EnvNodes();
        for (uint32_t e = 0; e < envs.Length();) {
            CSxMixBusNode* env = envs[e].node;
            MixOut(*env, entry.parent);
            if (env->GetState() == CSxMixBusNode::kActive) {
                ++e;
                continue;
            }
            DestroyNode(env);
            envs.Erase(e);
        }
    }
}

void CSxLEngine::RemoveIdleBusNodes() {
    SxArray<BusNodeEntry>& buses = BusNodes();
    for (uint32_t i = buses.Length(); i-- > 0;) {
        CSxMixBusNode* node = buses[i].node;
        if (node->GetState() == CSxMixBusNode::kActive || node->RefCount() != 0) continue;
        if (node->Bus().FeedsEnvironmental() && EnvNodes().Length() != 0) continue;
        if (buses[i].parent) buses[i].parent->Release();
        DestroyNode(node);
        buses.Erase(i);
    }
}

void CSxLEngine::DestroyBusNodes() {
    SxArray<BusNodeEntry>& buses = BusNodes();
    for (uint32_t i = buses.Length(); i-- > 0;) DestroyNode(buses[i].node);
    buses.Term();
    for (const EnvNodeEntry& entry : EnvNodes()) DestroyNode(entry.node);
    EnvNodes().Term();
    for (uint32_t slot = 0; slot < MasterMixNode::kEffectSlots; ++slot) {
        s_master.SetEffect(slot, nullptr);
        MasterFx()[slot].Drop();
    }
}

void CSxLEngine::IncrMasterBusVolume(float db) { s_master.SetVolumeDb(s_master.VolumeDb() + db); }
void CSxLEngine::IncrMasterBusLFE(float db) { s_master.SetLfeDb(s_master.LfeDb() + db); }

void CSxLEngine::BypassMasterBusFx(uint32_t bits, uint32_t mask) {
    for (uint32_t slot = 0; slot < MasterMixNode::kEffectSlots; ++slot)
        if (mask & (1u << slot)) s_master.SetBypass(slot, (bits >> slot) & 1);
    if (mask & 0x10) s_master.SetBypassAll((bits >> 4) & 1);
}

SXRESULT CSxLEngine::SetMasterBusFx(uint32_t slot) {
    if (slot >= MasterMixNode::kEffectSlots) return SX_InvalidParameter;
    const BusHandle master = MasterBusHandle();
    const SxFxSlotInfo fx = master.GetFx(slot);
    CSxBusFxSlot& fxSlot = MasterFx()[slot];
    s_master.SetEffect(slot, nullptr);
    const SXRESULT result = fxSlot.Create(fx, nullptr, slot, master, 0, SxFloatFormat(s_sampleRate, s_channelMask));
    if (fxSlot.HasPlugin()) {
        s_master.SetEffect(slot, &fxSlot);
        s_master.SetBypass(slot, fx.bypass);
    }
    return result;
}

void CSxLEngine::SetBusVolume(SxUniqueID busID, float db) {
    ForBusNodes(busID, [db](CSxMixBusNode& node) { node.SetVolumeDb(db); });
}
void CSxLEngine::IncrBusVolume(SxUniqueID busID, float db) {
    ForBusNodes(busID, [db](CSxMixBusNode& node) { node.IncrVolumeDb(db); });
}
void CSxLEngine::SetBusLFE(SxUniqueID busID, float db) {
    ForBusNodes(busID, [db](CSxMixBusNode& node) { node.SetLfeDb(db); });
}
void CSxLEngine::IncrBusLFE(SxUniqueID busID, float db) {
    ForBusNodes(busID, [db](CSxMixBusNode& node) { node.IncrLfeDb(db); });
}
void CSxLEngine::BypassBusFx(SxUniqueID busID, uint32_t bits, uint32_t mask) {
    ForBusNodes(busID, [bits, mask](CSxMixBusNode& node) { node.BypassFx(bits, mask); });
}

void CSxLEngine::SetBusFx(SxUniqueID busID, uint32_t slot) {
    for (const BusNodeEntry& entry : BusNodes())
        if (entry.node->Bus().BusID() == busID && entry.node->GetState() != CSxMixBusNode::kDestroying)
            entry.node->SetInsertFx(slot, 0);
}

void CSxLEngine::BypassEnvFx(SxUniqueID environmentID, bool bypass) {
    for (const EnvNodeEntry& entry : EnvNodes())
        if (entry.environmentID == environmentID) entry.node->BypassFx(0, bypass ? 1u : 0u);
}

void CSxLEngine::StopMixBussesUsingFx(const ISxEffectObject* effect) {
    for (const BusNodeEntry& entry : BusNodes())
        if (entry.node->HoldsFx(effect)) entry.node->DropFx();
    for (const EnvNodeEntry& entry : EnvNodes())
        if (entry.node->HoldsFx(effect)) entry.node->DropFx();
    bool master = false;
    for (uint32_t slot = 0; slot < MasterMixNode::kEffectSlots; ++slot)
        master = master || MasterFx()[slot].Holds(effect);
    if (!master) return;
    for (uint32_t slot = 0; slot < MasterMixNode::kEffectSlots; ++slot) {
        s_master.SetEffect(slot, nullptr);
        MasterFx()[slot].Drop();
    }
}

void CSxLEngine::ResetMixBussesUsingFx(const ISxEffectObject* effect) {
    if (!effect) return;
    // Besides the nodes that run the effect, those whose bus names it: an effect loaded again
    // after its unload emptied their slots comes back in them.
    for (const BusNodeEntry& entry : BusNodes()) {
        CSxMixBusNode& node = *entry.node;
        if (node.GetState() == CSxMixBusNode::kDestroying) continue;
        const bool runsBusFx = !node.IsPassThrough() && !node.Bus().FeedsEnvironmental();
        if (node.HoldsFx(effect) || (runsBusFx && NamesFx(node.Bus(), 0, effect))) node.SetupFx(0);
    }
    for (const EnvNodeEntry& entry : EnvNodes())
        if (entry.node->HoldsFx(effect) || NamesFx(BusHandle(), entry.environmentID, effect))
            entry.node->SetupFx(entry.environmentID);
    bool master = NamesFx(MasterBusHandle(), 0, effect);
    for (uint32_t slot = 0; slot < MasterMixNode::kEffectSlots; ++slot)
        master = master || MasterFx()[slot].Holds(effect);
    if (!master) return;
    for (uint32_t slot = 0; slot < MasterMixNode::kEffectSlots; ++slot) SetMasterBusFx(slot);
}

void CSxLEngine::ForEachFxInstance(const ISxEffectObject* effect, SxFxInstanceCallback callback, void* cookie) {
    if (!callback) return;
    for (uint32_t slot = 0; slot < MasterMixNode::kEffectSlots; ++slot)
        if (MasterFx()[slot].Holds(effect)) callback(MasterFx()[slot].Plugin(), 0, cookie);
    for (const BusNodeEntry& entry : BusNodes())
        for (uint32_t slot = 0; slot < CSxMixBusNode::kEffectSlots; ++slot)
            if (entry.node->FxSlot(slot).Holds(effect)) callback(entry.node->FxSlot(slot).Plugin(), 0, cookie);
    if (s_voiceFxVisitor) s_voiceFxVisitor(effect, callback, cookie);
}

}  // namespace SX
