#pragma once
// What the source plug-in tests share: a source context with a loop count, and a rig that
// creates, initialises and terminates a source with its parameters.
#include "sound/engine/SxTestMemory.h"
#include "SxFxTestSupport.h"

namespace fxtest {

class TestSourceContext final : public ISxSourcePluginContext {
public:
    explicit TestSourceContext(uint16_t loops = 1) : loops(loops) {}
    uint16_t GetNumLoops() const override { return loops; }
    ISxStreamMgr* GetStreamMgr() const override { return nullptr; }
    SxPlayingID GetPlayingID() const override { return 7; }
    uint16_t GetMaxBufferLength() const override { return 1024; }
    uint16_t loops;
};

template <typename Source, typename Params>
struct SourceRig {
    SourceRig(ISxPlugin* (*create)(ISxPluginMemAlloc*), ISxPluginParam* (*createParams)(ISxPluginMemAlloc*)) {
        params = static_cast<Params*>(createParams(&allocator));
        source = static_cast<Source*>(create(&allocator));
    }
    ~SourceRig() {
        if (source) source->Term(&allocator);
        if (params) params->Term(&allocator);
        EXPECT_EQ(allocator.live, 0);
    }
    SXRESULT Start(uint32_t rate, uint16_t loops, const Block* block = nullptr, uint32_t mask = 0x4) {
        context.loops = loops;
        const SXRESULT p =
            block ? params->Init(&allocator, block->Data(), block->Size()) : params->Init(&allocator, nullptr, 0);
        if (p != SX_Success) return p;
        format = Format(rate, mask);
        const SXRESULT r = source->Init(&allocator, &context, params, format);
        if (r == SX_Success) source->Reset();
        return r;
    }
    // Runs buffers of the given size until the source ends or limit frames were made; the
    // first channel's valid frames are appended to out.
    uint32_t Run(std::vector<float>& out, uint32_t limit, uint16_t frames = 1024, uint32_t channel = 0) {
        Buffer b(format.channelMask, frames);
        uint32_t buffers = 0;
        while (out.size() < limit) {
            b.buffer.validFrames = 0;
            source->Execute(&b.buffer);
            ++buffers;
            out.insert(out.end(), b.Channel(channel), b.Channel(channel) + b.buffer.validFrames);
            if (b.buffer.state != SX_DataReady) break;
        }
        lastState = b.buffer.state;
        return buffers;
    }
    sxtest::TestMemory memory;
    CountingAllocator allocator;
    TestSourceContext context;
    SxAudioFormat format;
    uint32_t lastState = 0;
    Source* source = nullptr;
    Params* params = nullptr;
};

}  // namespace fxtest
