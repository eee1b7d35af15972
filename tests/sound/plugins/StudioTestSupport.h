#pragma once
// What the Studio effect tests share: an allocator that counts its blocks and can be told to
// fail, planar buffers, and block builders.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sound/engine/lower/SxAudioBuffer.h"
#include "sound/engine/lower/SxAudioFormat.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace studiotest {

class CountingAllocator final : public SX::ISxPluginMemAlloc {
public:
    void* Malloc(size_t size) override {
        ++calls;
        if ((failAfter >= 0 && calls > failAfter) || calls == failOnly) return nullptr;
        ++live;
        return std::malloc(size ? size : 1);
    }
    void Free(void* pointer) override {
        if (!pointer) return;
        --live;
        ++frees;
        std::free(pointer);
    }
    int calls = 0;
    int frees = 0;
    int live = 0;
    int failAfter = -1;  // the calls past this number fail; -1 never
    int failOnly = -1;   // the call of this number fails
};

// A planar buffer of channels x maxFrames samples.
struct PlanarBuffer {
    PlanarBuffer(uint32_t mask, uint16_t maxFrames) : samples(SX::SxChannelCount(mask) * maxFrames, 0.0f) {
        buffer.data = samples.data();
        buffer.channelMask = mask;
        buffer.maxFrames = maxFrames;
        buffer.validFrames = maxFrames;
        buffer.state = SX::SX_DataReady;
    }
    float* Channel(uint32_t c) { return buffer.Channel(c); }
    std::vector<float> samples;
    SX::SxAudioBuffer buffer;
};

// Little-endian packed fields, as a bank stores a parameter block.
class BlockWriter {
public:
    template <typename T>
    BlockWriter& Put(T value) {
        const size_t at = bytes.size();
        bytes.resize(at + sizeof(T));
        std::memcpy(bytes.data() + at, &value, sizeof(T));
        return *this;
    }
    uint32_t Size() const { return uint32_t(bytes.size()); }
    const void* Data() const { return bytes.data(); }
    std::vector<uint8_t> bytes;
};

}  // namespace studiotest
