#pragma once
// A mix bus of the hierarchy (one with effects, or one that feeds environments) as the lower
// engine sees it: its effects, their bypass and its environmental feed run in the bus's mix
// node. Its volume and LFE stay with the hierarchy, which folds them (with ducking and game
// parameters, per game object) into every instance below, so the node mixes at unity.
#include "sound/engine/bus/ISxBusObject.h"

namespace SX {

class CSxBus;
class CSxParameterNodeBase;

class CSxBusMixView final : public ISxBusObject {
public:
    explicit CSxBusMixView(CSxBus& bus) : m_bus(bus) {}

    SxUniqueID BusID() const override;
    // The nearest mix bus above; null: the master node.
    ISxBusObject* ParentBus() const override;
    float VolumeDb() const override { return 0.0f; }
    float LfeDb() const override { return 0.0f; }
    uint32_t ChannelMask() const override { return 0; }
    bool FeedsEnvironmental() const override;
    bool HasEffects() const override;
    bool BypassAllFx() const override;
    SxFxSlotInfo GetFx(uint32_t slot) const override;
    void AddRef() override;
    void Release() override;
    SXRESULT IncrementActivityCount(uint32_t) override { return SX_Success; }
    void DecrementActivityCount(uint32_t) override {}

private:
    CSxBus& m_bus;
};

// The mix bus an instance is mixed through: the nearest mix bus from its routing bus up; null
// for none.
ISxBusObject* SxOutputMixBus(const CSxParameterNodeBase* node);

}  // namespace SX
