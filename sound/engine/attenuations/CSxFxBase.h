#pragma once
// Effect settings that nodes and environments refer to by ID: the plug-in an effect runs, the
// parameter object made from its bank block, the media it uses and the game parameters that
// drive its properties. A share set is one setting shared by every user, and also holds the
// speaker volumes and bypass of an environment; a custom effect belongs to one node.
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/attenuations/SxRTPCList.h"
#include "sound/engine/bus/ISxBusObject.h"
#include "sound/engine/index/CSxIndexable.h"

namespace SX {

class ISxPluginParam;

// The mix nodes of buses, environments and voices make their plug-ins from it as an effect object.
class CSxFxBase : public CSxIndexable, public ISxEffectObject {
public:
    static constexpr uint32_t kNoPlugin = 0xFFFFFFFFu;

    CSxFxBase(SxUniqueID id, SxIndexTable table) : CSxIndexable(id, table) {}
    ~CSxFxBase() override;

    // u32 ID, u32 plug-in ID, u32 block size and the block, u8 media count with {u8 index, u32
    // media ID} each, the game-parameter list. With a plug-in, its parameter object is made
    // and initialised from the block (a previous one goes); its failure is returned.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);

    uint32_t PluginID() const { return m_pluginID; }
    ISxPluginParam* Params() const { return m_params; }
    const std::vector<std::pair<uint8_t, uint32_t>>& Media() const { return m_media; }

    uint32_t FxID() const override { return m_pluginID; }
    const void* ParamsBlock(uint32_t& size) const override;
    int32_t MediaID(uint32_t dataIndex) const override;
    void SubscribeRTPC(ISxPluginParam* params, CSxRegisteredObj* gameObject) override;

private:
    friend struct platform::TestProbe<CSxFxBase>;

    void TermParams();

    uint32_t m_pluginID = kNoPlugin;
    ISxPluginParam* m_params = nullptr;  // made with the lower engine's plug-in allocator
    // Kept for the parameter objects each user of the effect makes of its own.
    std::vector<uint8_t> m_block;
    std::vector<std::pair<uint8_t, uint32_t>> m_media;
    std::vector<SxRTPCEntry> m_rtpcs;
};

class CSxFxShareSet final : public CSxFxBase {
public:
    static constexpr uint32_t kSpeakers = 6;

    // Constructed and entered in the share-set table; null when memory fails.
    static CSxFxShareSet* Create(SxUniqueID id);
    explicit CSxFxShareSet(SxUniqueID id) : CSxFxBase(id, SxIndex_FxShareSet) {}

    // As an environment: its speaker volumes (1.0 each until set) and its bypass.
    const float* Volumes() const { return m_volumes; }
    void SetVolumes(const float volumes[kSpeakers]);
    bool IsBypassed() const { return m_bypass; }
    void SetBypass(bool bypass) { m_bypass = bypass; }

private:
    float m_volumes[kSpeakers] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    bool m_bypass = false;
};

class CSxFxCustom final : public CSxFxBase {
public:
    // Constructed and entered in the custom-effect table; null when memory fails.
    static CSxFxCustom* Create(SxUniqueID id);
    explicit CSxFxCustom(SxUniqueID id) : CSxFxBase(id, SxIndex_FxCustom) {}
};

}  // namespace SX
