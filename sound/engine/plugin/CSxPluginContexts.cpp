#include "sound/engine/plugin/CSxPluginContexts.h"

#include "sound/engine/attenuations/SxEffectLookup.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/voice/SxInsertFx.h"

namespace SX {

// Media records grow three at a time in the lower engine's pool.
CSxEffectContextBase::CSxEffectContextBase(uint32_t slot) : m_slot(slot), m_media(3, g_LEngineDefaultPoolId) {}

CSxEffectContextBase::~CSxEffectContextBase() {
    for (const Media& media : m_media) SxMediaProvider().ReleaseMedia(media.mediaID, media.held);
}

void CSxEffectContextBase::GetPluginMedia(uint32_t dataIndex, const uint8_t*& data, uint32_t& size) {
    data = nullptr;
    size = 0;
    for (const Media& media : m_media)
        if (media.dataIndex == dataIndex) {
            data = media.held.data;
            size = media.held.size;
            return;
        }
    const int32_t mediaID = MediaID(dataIndex);
    if (mediaID == -1) return;
    Media media{dataIndex, static_cast<uint32_t>(mediaID), {}};
    if (!SxMediaProvider().GetMedia(media.mediaID, media.held)) return;
    if (!m_media.AddLast(media)) {
        // Without a record the media could never be released later.
        SxMediaProvider().ReleaseMedia(media.mediaID, media.held);
        return;
    }
    data = media.held.data;
    size = media.held.size;
}

SxPlayingID CSxInsertFXContext::GetPlayingID() const { return m_instance ? m_instance->PlayingID() : 0; }

int32_t CSxInsertFXContext::MediaID(uint32_t dataIndex) const {
    return m_instance ? SxGetInsertFxMediaID(*m_instance, Slot(), dataIndex) : -1;
}

int32_t CSxBusFXContext::MediaID(uint32_t dataIndex) const {
    SxFxSlotInfo fx;
    if (m_environmentID != 0)
        fx = SxEnvironmentFx(m_environmentID, Slot());
    else
        fx = m_bus.GetFx(Slot());
    return fx.effect ? fx.effect->MediaID(dataIndex) : -1;
}

uint16_t CSxSourceFXContext::GetNumLoops() const { return m_instance ? m_instance->LoopCount() : 0; }

SxPlayingID CSxSourceFXContext::GetPlayingID() const { return m_instance ? m_instance->PlayingID() : 0; }

}  // namespace SX
