#include "sound/engine/buses/CSxBusMixView.h"

#include "sound/engine/buses/CSxBus.h"

namespace SX {

SxUniqueID CSxBusMixView::BusID() const { return m_bus.ID(); }

ISxBusObject* CSxBusMixView::ParentBus() const {
    for (CSxBus* bus = m_bus.ParentBus(); bus; bus = bus->ParentBus())
        if (bus->HasEffect()) return &bus->MixView();
    return nullptr;
}

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
    if (id == 0 || !g_BusHooks.effectObject) return info;
    info.effect = g_BusHooks.effectObject(id, m_bus.EffectIsShareSet(slot));
    info.bypass = m_bus.IsBusFxBypassed(slot);
    return info;
}

void CSxBusMixView::AddRef() { m_bus.AddRef(); }
void CSxBusMixView::Release() { m_bus.Release(); }

ISxBusObject* SxOutputMixBus(const CSxParameterNodeBase* node) {
    CSxBus* routing = CSxBus::RoutingBusAndAddRef(node);
    ISxBusObject* found = nullptr;
    for (CSxBus* bus = routing; bus && !found; bus = bus->ParentBus())
        if (bus->HasEffect()) found = &bus->MixView();
    // The bus stays alive while its node holds it; the index holds it until then.
    if (routing) routing->Release();
    return found;
}

}  // namespace SX
