// Feeds arbitrary bytes to the music engine's record hook as one record of each music type,
// and as a whole hierarchy chunk read with the hook installed, then unloads what was read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/audio/AudioTestControl.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/music/CSxMusicRenderer.h"
#include "sound/music/SxMusicEngine.h"

namespace {
bool StartEngine() {
    platform::audio::control::SetOpenFails(true);
    SX::SxMemoryMgrSettings settings;
    settings.maxPools = 8;
    if (SX::MemoryMgr::Init(&settings) != SX::SX_Success) return false;
    if (SX::SoundEngine::Init(nullptr, nullptr) != SX::SX_Success) return false;
    SX::g_pAudioMgr->StopThread();
    return SX::MusicEngine::Init(nullptr) == SX::SX_Success;
}

void Unload(std::vector<SX::CSxIndexable*>& loaded) {
    platform::Lock lock(SX::g_csMain);
    for (SX::CSxIndexable* object : loaded) object->Release();
    loaded.clear();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started = StartEngine();
    if (!started) return 0;
    std::vector<SX::CSxIndexable*> loaded;
    for (uint8_t type = 10; type <= 13; ++type) {
        SX::CSxIndexable* object = nullptr;
        if (SX::CSxMusicRenderer::HircObjectHook(type, data, static_cast<uint32_t>(size), 1, &object) ==
                SX::SX_Success &&
            object)
            loaded.push_back(object);
    }
    Unload(loaded);
    SX::SxReadHircChunk(data, static_cast<uint32_t>(size), loaded);
    Unload(loaded);
    return 0;
}
