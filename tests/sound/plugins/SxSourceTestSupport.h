#pragma once
// What the source plug-in tests share: a source context with a loop count, a rig that
// creates, initialises and terminates a source with its parameters, the synths' silent start
// and their curve list.
#include <vector>

#include "sound/engine/SxTestMemory.h"
#include "sound/engine/curves/CSxConversionTable.h"
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
    // The first channel's RMS over that many buffers of 1024 frames.
    double RunRms(uint32_t buffers) {
        std::vector<float> out;
        Run(out, buffers * 1024);
        return Rms(out.data(), out.size());
    }
    sxtest::TestMemory memory;
    CountingAllocator allocator;
    TestSourceContext context;
    SxAudioFormat format;
    uint32_t lastState = 0;
    Source* source = nullptr;
    Params* params = nullptr;
};

// A synth started without deflectors at 48 kHz with one loop: a cycle of ten seconds, silent.
template <typename Rig>
void ExpectSilentForTenSecondsACycle(Rig& rig) {
    ASSERT_EQ(rig.Start(48000, 1, nullptr, 0x3), SX_Success);
    EXPECT_NEAR(rig.source->GetDuration(), 10000.0f, 1e-2f);
    std::vector<float> out;
    EXPECT_EQ(rig.Run(out, 10000000), 469u);
    EXPECT_EQ(rig.lastState, uint32_t(SX_NoMoreData));
    EXPECT_EQ(Peak(out.data(), out.size()), 0.0);
}

// One curve of a synth's block: the ID of the value it drives and its points.
struct SynthCurve {
    uint32_t id;
    std::vector<SxCurvePoint> points;
};

inline void AppendSynthCurves(Block& b, const std::vector<SynthCurve>& curves) {
    b.U16(uint16_t(curves.size()));
    for (const SynthCurve& c : curves) {
        b.U32(c.id).U16(uint16_t(c.points.size()));
        for (const SxCurvePoint& p : c.points) b.F32(p.x).F32(p.y).U32(p.shape);
    }
}

}  // namespace fxtest
