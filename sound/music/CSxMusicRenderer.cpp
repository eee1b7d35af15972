#include "sound/music/CSxMusicRenderer.h"

#include <atomic>

#include "core/Logger.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/music/CSxMusicContainers.h"
#include "sound/music/CSxMusicSegment.h"
#include "sound/music/CSxMusicTrack.h"

namespace SX {
namespace {

enum SxMusicHircType : uint8_t {
    SxHirc_MusicSegment = 10,
    SxHirc_MusicTrack = 11,
    SxHirc_MusicSwitch = 12,
    SxHirc_MusicRanSeq = 13,
};

std::atomic<bool> g_initialized{false};
std::atomic<float> g_lookAheadScale{1.0f};

template <typename Node>
SXRESULT ReadNew(Node* node, const uint8_t* body, uint32_t size, CSxIndexable** out) {
    if (!node) return SX_Fail;
    const SXRESULT result = node->SetInitialValues(body, size);
    if (result != SX_Success) {
        node->Release();
        return result;
    }
    *out = node;
    return SX_Success;
}

}  // namespace

SXRESULT CSxMusicRenderer::Init(float lookAheadScale) {
    g_lookAheadScale = lookAheadScale;
    g_initialized = true;
    SoundEngine::SetHircObjectHook(&CSxMusicRenderer::HircObjectHook);
    return SX_Success;
}

void CSxMusicRenderer::Term() {
    if (!g_initialized.exchange(false)) return;
    SoundEngine::SetHircObjectHook(nullptr);
    g_lookAheadScale = 1.0f;
}

bool CSxMusicRenderer::IsInitialized() { return g_initialized; }

float CSxMusicRenderer::LookAheadScale() { return g_lookAheadScale; }

SXRESULT CSxMusicRenderer::HircObjectHook(uint8_t type, const uint8_t* body, uint32_t size, SxBankID,
                                          CSxIndexable** object) {
    *object = nullptr;
    if (type < SxHirc_MusicSegment || type > SxHirc_MusicRanSeq) return SX_Refused;
    SxReadCursor cursor(body, size);
    uint32_t id;
    if (!g_pObjectIndex || !cursor.U32(id)) return SX_Fail;
    if (CSxIndexable* existing = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id)) {
        if (type == SxHirc_MusicTrack) {
            auto* track = dynamic_cast<CSxMusicTrack*>(existing);
            SXRESULT result = SX_Fail;
            if (track) {
                platform::Lock lock(g_csMain);
                result = track->SetInitialValues(body, size, true);
            }
            if (result != SX_Success) {
                SD_WARNING(1, "music track %u could not be read again: %d", id, result);
                existing->Release();
                return result;
            }
        }
        *object = existing;
        return SX_Success;
    }
    platform::Lock lock(g_csMain);
    switch (type) {
        case SxHirc_MusicSegment:
            return ReadNew(CSxMusicSegment::Create(id), body, size, object);
        case SxHirc_MusicTrack:
            return ReadNew(CSxMusicTrack::Create(id), body, size, object);
        case SxHirc_MusicSwitch:
            return ReadNew(CSxMusicSwitchCntr::Create(id), body, size, object);
        default:
            return ReadNew(CSxMusicRanSeqCntr::Create(id), body, size, object);
    }
}

}  // namespace SX
