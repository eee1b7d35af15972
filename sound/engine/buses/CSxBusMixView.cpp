#include "sound/engine/buses/CSxBusMixView.h"

#include "sound/engine/attenuations/SxEffectLookup.h"
#include "sound/engine/buses/CSxBus.h"

namespace SX {

namespace {

// The first mix bus from bus up, as a node below the master; null for the master or none.
ISxBusObject* MixNodeBus(CSxBus* bus) {
    for (; bus; bus = bus->ParentBus())
        if (bus->HasEffect()) return bus->IsMasterBus() ? nullptr : &bus->MixView();
    return nullptr;
}

}  // namespace

SxUniqueID CSxBusMixView::BusID() const { return m_bus.ID(); }

ISxBusObject* CSxBusMixView::ParentBus() const { return MixNodeBus(m_bus.ParentBus()); }

float CSxBusMixView::VolumeDb() const { return m_bus.HasEffect() ? m_bus.MixVolumeDb() : 0.0f; }
float CSxBusMixView::LfeDb() const { return m_bus.HasEffect() ? m_bus.MixLfeDb() : 0.0f; }

uint32_t CSxBusMixView::ChannelMask() const { return m_bus.Channels(); }

bool CSxBusMixView::FeedsEnvironmental() const { return m_bus.IsEnvironmental(); }

bool CSxBusMixView::HasEffects() const {
    for (uint32_t slot = 0; slot < 4; ++slot)
        if (m_bus.EffectID(slot)) return true;
    return false;
}

bool CSxBusMixView::BypassAllFx() const { return m_bus.IsBusFxBypassed(4); }

SxFxSlotInfo CSxBusMixView::GetFx(uint32_t slot) const {
    SxFxSlotInfo info;
    const SxUniqueID id = slot < 4 ? m_bus.EffectID(slot) : 0;
    if (id == 0) return info;
    info.effect = SxFindEffectObject(id, m_bus.EffectIsShareSet(slot));
    info.bypass = m_bus.IsBusFxBypassed(slot);
    return info;
}

void CSxBusMixView::AddRef() { m_bus.AddRef(); }
void CSxBusMixView::Release() { m_bus.Release(); }

// A bus's parent is the bus above it: the node's count walks the whole chain.
SXRESULT CSxBusMixView::IncrementActivityCount(uint32_t) {
    m_bus.IncrementActivityCount();
    return SX_Success;
}

void CSxBusMixView::DecrementActivityCount(uint32_t) { m_bus.DecrementActivityCount(); }

ISxBusObject* SxOutputMixBus(const CSxParameterNodeBase* node) {
    CSxBus* routing = CSxBus::RoutingBusAndAddRef(node);
    ISxBusObject* found = MixNodeBus(routing);
    // The bus stays alive while its node holds it; the index holds it until then.
    if (routing) routing->Release();
    return found;
}

ISxBusObject* SxMasterMixBus() {
    CSxBus* master = CSxBus::GetMasterBusAndAddRef();
    if (!master) return nullptr;
    // The object index holds the master bus while it is loaded.
    master->Release();
    return &master->MixView();
}

}  // namespace SX
