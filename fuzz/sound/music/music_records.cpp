// Feeds arbitrary bytes to the music engine's record hook as one record of each music type,
// and as a whole hierarchy chunk read with the hook installed, then unloads what was read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/sound/engine/EngineFuzzSupport.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/music/CSxMusicRenderer.h"
#include "sound/music/SxMusicEngine.h"

namespace {
bool StartEngine() { return sxfuzz::StartEngine(8) && SX::MusicEngine::Init(nullptr) == SX::SX_Success; }
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
    sxfuzz::Unload(loaded);
    SX::SxReadHircChunk(data, static_cast<uint32_t>(size), loaded);
    sxfuzz::Unload(loaded);
    return 0;
}
