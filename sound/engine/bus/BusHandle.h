#pragma once
// The lower engine's accessor to a bus of the hierarchy: every query answers a neutral value
// when there is no bus.
#include "sound/engine/buses/CSxBusMixView.h"
#include "sound/engine/lower/SxAudioBuffer.h"

namespace SX {

class BusHandle {
public:
    BusHandle() = default;
    explicit BusHandle(ISxBusObject* bus) : m_bus(bus) {}

    ISxBusObject* Get() const { return m_bus; }
    explicit operator bool() const { return m_bus != nullptr; }
    SxUniqueID BusID() const { return m_bus ? m_bus->BusID() : 0; }
    float VolumeDb() const { return m_bus ? m_bus->VolumeDb() : 0.0f; }
    float LfeDb() const { return m_bus ? m_bus->LfeDb() : 0.0f; }
    uint32_t ChannelMask() const {
        const uint32_t mask = m_bus ? m_bus->ChannelMask() : 0;
        return mask ? mask : SxChannelMask51;
    }
    bool FeedsEnvironmental() const { return m_bus && m_bus->FeedsEnvironmental(); }
    bool HasEffects() const { return m_bus && m_bus->HasEffects(); }
    bool BypassAllFx() const { return m_bus && m_bus->BypassAllFx(); }
    SxFxSlotInfo GetFx(uint32_t slot) const { return m_bus ? m_bus->GetFx(slot) : SxFxSlotInfo(); }

private:
    ISxBusObject* m_bus = nullptr;
};

// The master bus of the loaded hierarchy; empty when none is loaded.
inline BusHandle MasterBusHandle() { return BusHandle(SxMasterMixBus()); }

}  // namespace SX
