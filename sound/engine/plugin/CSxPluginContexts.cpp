#include "sound/engine/plugin/CSxPluginContexts.h"

#include "sound/engine/lower/CSxLEngine.h"

namespace SX {

SxMediaHooks g_MediaHooks;

// Media records grow three at a time in the lower engine's pool.
CSxEffectContextBase::CSxEffectContextBase(uint32_t slot) : m_slot(slot), m_media(3, g_LEngineDefaultPoolId) {}

CSxEffectContextBase::~CSxEffectContextBase() {
    for (const Media& media : m_media)
        if (g_MediaHooks.releaseMedia) g_MediaHooks.releaseMedia(media.mediaID, media.holder);
}

void CSxEffectContextBase::GetPluginMedia(uint32_t dataIndex, const uint8_t*& data, uint32_t& size) {
    data = nullptr;
    size = 0;
    for (const Media& media : m_media)
        if (media.dataIndex == dataIndex) {
            data = media.data;
            size = media.size;
            return;
        }
    const int32_t mediaID = MediaID(dataIndex);
    if (mediaID == -1 || !g_MediaHooks.getMedia) return;
    Media media{dataIndex, nullptr, 0, static_cast<uint32_t>(mediaID), nullptr};
    if (!g_MediaHooks.getMedia(media.mediaID, media.data, media.size, media.holder) || !media.data) return;
    if (!m_media.AddLast(media)) {
        // Without a record the media could never be released later.
        if (g_MediaHooks.releaseMedia) g_MediaHooks.releaseMedia(media.mediaID, media.holder);
        return;
    }
    data = media.data;
    size = media.size;
}

SxPlayingID CSxInsertFXContext::GetPlayingID() const {
    return m_instance && g_InstanceHooks.playingID ? g_InstanceHooks.playingID(m_instance) : 0;
}

int32_t CSxInsertFXContext::MediaID(uint32_t dataIndex) const {
    return m_instance && g_InstanceHooks.fxMediaID ? g_InstanceHooks.fxMediaID(m_instance, Slot(), dataIndex) : -1;
}

int32_t CSxBusFXContext::MediaID(uint32_t dataIndex) const {
    SxFxSlotInfo fx;
    if (m_environmentID != 0) {
        if (g_BusHooks.environmentFx) fx = g_BusHooks.environmentFx(m_environmentID, Slot());
    } else {
        fx = m_bus.GetFx(Slot());
    }
    return fx.effect ? fx.effect->MediaID(dataIndex) : -1;
}

uint16_t CSxSourceFXContext::GetNumLoops() const {
    return m_instance && g_InstanceHooks.loopCount ? g_InstanceHooks.loopCount(m_instance) : 0;
}

SxPlayingID CSxSourceFXContext::GetPlayingID() const {
    return m_instance && g_InstanceHooks.playingID ? g_InstanceHooks.playingID(m_instance) : 0;
}

}  // namespace SX
