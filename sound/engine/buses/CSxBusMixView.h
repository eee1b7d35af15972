#pragma once
// A mix bus of the hierarchy (one with effects, or one that feeds environments) as the lower
// engine sees it: its node applies the bus's effects, then its volume and LFE level (with its
// ducking, mute, state values and global game-parameter values, and those of the plain buses
// above it), on the bus's channels. The master bus's view is the master node's.
#include "sound/engine/bus/ISxBusObject.h"

namespace SX {

class CSxBus;
class CSxParameterNodeBase;

class CSxBusMixView final : public ISxBusObject {
public:
    explicit CSxBusMixView(CSxBus& bus) : m_bus(bus) {}

    SxUniqueID BusID() const override;
    // The nearest mix bus above that is not the master; null: the master node.
    ISxBusObject* ParentBus() const override;
    // A plain bus gives 0 dB: its levels are folded into what plays through it.
    float VolumeDb() const override;
    float LfeDb() const override;
    uint32_t ChannelMask() const override;
    bool FeedsEnvironmental() const override;
    bool HasEffects() const override;
    bool BypassAllFx() const override;
    SxFxSlotInfo GetFx(uint32_t slot) const override;
    void AddRef() override;
    void Release() override;
    // A mix node made for the bus counts as activity on it and on every bus above it.
    SXRESULT IncrementActivityCount(uint32_t type) override;
    void DecrementActivityCount(uint32_t type) override;

private:
    CSxBus& m_bus;
};

// The mix bus below the master an instance is mixed through: the nearest mix bus from its
// routing bus up; null when that is the master bus or there is none (the master node then
// takes the instance).
ISxBusObject* SxOutputMixBus(const CSxParameterNodeBase* node);

// The master bus's view for the lower engine; null while no bus is loaded.
ISxBusObject* SxMasterMixBus();

}  // namespace SX
