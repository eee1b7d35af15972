#pragma once
// The engine's side of the plug-in contexts: an effect on a voice (insert), an effect on a
// mix node (bus) and a source plug-in of a voice. Effect contexts find and hold the plug-in's
// media through the media provider and release it when they go.
#include <cstdint>

#include "sound/engine/SxArray.h"
#include "sound/engine/bank/ISxMediaProvider.h"
#include "sound/engine/bus/BusHandle.h"
#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/engine/stream/ISxStreams.h"

namespace SX {

class CSxPBI;

class CSxEffectContextBase : public ISxEffectPluginContext {
public:
    static constexpr uint16_t kMaxBufferLength = 1024;

    explicit CSxEffectContextBase(uint32_t slot);
    ~CSxEffectContextBase() override;
    CSxEffectContextBase(const CSxEffectContextBase&) = delete;
    CSxEffectContextBase& operator=(const CSxEffectContextBase&) = delete;

    ISxStreamMgr* GetStreamMgr() const override { return ISxStreamMgr::m_pStreamMgr; }
    uint16_t GetMaxBufferLength() const override { return kMaxBufferLength; }
    SXRESULT PostMonitorData(void*, uint32_t) override { return SX_Fail; }
    bool CanPostMonitorData() override { return false; }
    void GetPluginMedia(uint32_t dataIndex, const uint8_t*& data, uint32_t& size) override;
    uint32_t Slot() const { return m_slot; }

protected:
    // The media ID of the slot's effect for a data index, -1 for none.
    virtual int32_t MediaID(uint32_t dataIndex) const = 0;

private:
    struct Media {
        uint32_t dataIndex;
        uint32_t mediaID;
        SxHeldMedia held;
    };
    uint32_t m_slot;
    SxArray<Media> m_media;
};

class CSxInsertFXContext final : public CSxEffectContextBase {
public:
    CSxInsertFXContext(CSxPBI* instance, uint32_t slot) : CSxEffectContextBase(slot), m_instance(instance) {}
    bool IsSendModeEffect() const override { return false; }
    SxPlayingID GetPlayingID() const override;
    void SetInstance(CSxPBI* instance) { m_instance = instance; }

private:
    int32_t MediaID(uint32_t dataIndex) const override;
    CSxPBI* m_instance;
};

class CSxMixBusNode;

class CSxBusFXContext final : public CSxEffectContextBase {
public:
    CSxBusFXContext(CSxMixBusNode* node, uint32_t slot, BusHandle bus, SxUniqueID environmentID)
        : CSxEffectContextBase(slot), m_node(node), m_bus(bus), m_environmentID(environmentID) {}
    bool IsSendModeEffect() const override { return m_environmentID != 0; }
    SxPlayingID GetPlayingID() const override { return 0; }
    CSxMixBusNode* Node() const { return m_node; }

private:
    int32_t MediaID(uint32_t dataIndex) const override;
    CSxMixBusNode* m_node;
    BusHandle m_bus;
    SxUniqueID m_environmentID;
};

class CSxSourceFXContext final : public ISxSourcePluginContext {
public:
    explicit CSxSourceFXContext(CSxPBI* instance) : m_instance(instance) {}
    uint16_t GetNumLoops() const override;
    ISxStreamMgr* GetStreamMgr() const override { return ISxStreamMgr::m_pStreamMgr; }
    SxPlayingID GetPlayingID() const override;
    uint16_t GetMaxBufferLength() const override { return CSxEffectContextBase::kMaxBufferLength; }

private:
    CSxPBI* m_instance;
};

}  // namespace SX
