#pragma once
// The sound engine as the fuzz targets run it: no audio device and no audio thread, and the
// records a read made released under the engine's lock.
#include <cstdint>
#include <vector>

#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "tests/platform/AudioDeviceControl.h"

namespace sxfuzz {

// The memory manager with that many pools and the engine with the settings (null: the
// defaults); false when either does not start.
inline bool StartEngine(uint32_t maxPools, SX::SxInitSettings* settings = nullptr) {
    platform::audio::control::SetOpenFails(true);
    SX::SxMemoryMgrSettings memory;
    memory.maxPools = maxPools;
    if (SX::MemoryMgr::Init(&memory) != SX::SX_Success) return false;
    if (SX::SoundEngine::Init(settings, nullptr) != SX::SX_Success) return false;
    SX::g_pAudioMgr->StopThread();
    return true;
}

inline void Unload(std::vector<SX::CSxIndexable*>& loaded) {
    platform::Lock lock(SX::g_csMain);
    for (SX::CSxIndexable* object : loaded) object->Release();
    loaded.clear();
}

}  // namespace sxfuzz
