// Feeds arbitrary bytes to the hierarchy record reader as a HIRC chunk, and the first bytes as
// one record of each type, then unloads what was read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/sound/engine/EngineFuzzSupport.h"
#include "sound/engine/hierarchy/SxHircReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started = sxfuzz::StartEngine(8);
    if (!started) return 0;
    std::vector<SX::CSxIndexable*> loaded;
    SX::SxReadHircChunk(data, static_cast<uint32_t>(size), loaded);
    sxfuzz::Unload(loaded);
    for (uint8_t type = 1; type <= 19; ++type) {
        SX::CSxIndexable* object = nullptr;
        if (SX::SxReadHircObject(type, data, static_cast<uint32_t>(size), &object) == SX::SX_Success && object)
            loaded.push_back(object);
    }
    sxfuzz::Unload(loaded);
    return 0;
}
