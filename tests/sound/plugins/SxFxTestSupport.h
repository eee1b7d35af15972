#pragma once
// What the effect tests share: a counting allocator that can be made to fail, an effect
// context, planar buffers, packed parameter blocks and signal measurements.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/engine/plugin/SxPluginDsp.h"

namespace fxtest {

using namespace SX;

constexpr double kPi = 3.14159265358979323846;

class CountingAllocator final : public ISxPluginMemAlloc {
public:
    void* Malloc(size_t size) override {
        ++mallocs;
        if (failAfter >= 0 && mallocs > failAfter) return nullptr;
        ++live;
        return std::malloc(size);
    }
    void Free(void* pointer) override {
        if (!pointer) return;
        --live;
        std::free(pointer);
    }
    int mallocs = 0;
    int live = 0;
    int failAfter = -1;  // -1: never fail; n: the calls after the n-th fail
};

class TestEffectContext final : public ISxEffectPluginContext {
public:
    explicit TestEffectContext(bool sendMode = false) : m_send(sendMode) {}
    bool IsSendModeEffect() const override { return m_send; }
    ISxStreamMgr* GetStreamMgr() const override { return nullptr; }
    SxPlayingID GetPlayingID() const override { return 0; }
    uint16_t GetMaxBufferLength() const override { return 1024; }
    SXRESULT PostMonitorData(void*, uint32_t) override { return SX_Fail; }
    bool CanPostMonitorData() override { return false; }
    void GetPluginMedia(uint32_t, const uint8_t*& data, uint32_t& size) override {
        data = nullptr;
        size = 0;
    }

private:
    bool m_send;
};

inline SxAudioFormat Format(uint32_t rate, uint32_t mask) {
    SxAudioFormat format;
    format.sampleRate = rate;
    format.channelMask = mask;
    format.bitsPerSample = 32;
    format.sampleType = 1;
    return format;
}

// Planar samples with an SxAudioBuffer over them.
struct Buffer {
    Buffer(uint32_t mask, uint16_t frames = 1024) : samples(SxChannelCount(mask) * frames, 0.0f) {
        buffer.data = samples.data();
        buffer.channelMask = mask;
        buffer.maxFrames = frames;
        buffer.validFrames = frames;
        buffer.state = SX_DataReady;
    }
    float* Channel(uint32_t c) { return buffer.Channel(c); }
    void Fill(float value) { std::fill(samples.begin(), samples.end(), value); }
    std::vector<float> samples;
    SxAudioBuffer buffer;
};

// Little-endian packed parameter block.
struct Block {
    Block& F32(float v) { return Raw(&v, 4); }
    Block& U32(uint32_t v) { return Raw(&v, 4); }
    Block& U16(uint16_t v) { return Raw(&v, 2); }
    Block& U8(uint8_t v) { return Raw(&v, 1); }
    Block& Raw(const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
        return *this;
    }
    const void* Data() const { return bytes.data(); }
    uint32_t Size() const { return static_cast<uint32_t>(bytes.size()); }
    std::vector<uint8_t> bytes;
};

inline double Rms(const float* x, size_t n) {
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) sum += double(x[i]) * x[i];
    return n ? std::sqrt(sum / double(n)) : 0.0;
}
inline double Peak(const float* x, size_t n) {
    double peak = 0.0;
    for (size_t i = 0; i < n; ++i) peak = std::max(peak, std::fabs(double(x[i])));
    return peak;
}
inline double ToDb(double linear) { return 20.0 * std::log10(linear); }

// Sine of frequency f at amplitude a, continuous across calls through phase (in samples).
inline void Sine(float* out, uint32_t n, double f, double a, uint32_t rate, uint64_t& phase) {
    for (uint32_t i = 0; i < n; ++i, ++phase) out[i] = float(a * std::sin(2.0 * kPi * f * double(phase) / rate));
}

// Creates, initialises and terminates a parameter object and an effect of one kind.
template <typename Effect, typename Params>
struct Rig {
    Rig(ISxPlugin* (*create)(ISxPluginMemAlloc*), ISxPluginParam* (*createParams)(ISxPluginMemAlloc*)) {
        params = static_cast<Params*>(createParams(&allocator));
        effect = static_cast<Effect*>(create(&allocator));
    }
    ~Rig() {
        if (effect) effect->Term(&allocator);
        if (params) params->Term(&allocator);
        EXPECT_EQ(allocator.live, 0);
    }
    SXRESULT Start(uint32_t rate, uint32_t mask, const Block* block = nullptr, bool sendMode = false) {
        context = TestEffectContext(sendMode);
        const SXRESULT p =
            block ? params->Init(&allocator, block->Data(), block->Size()) : params->Init(&allocator, nullptr, 0);
        if (p != SX_Success) return p;
        SxAudioFormat format = Format(rate, mask);
        return effect->Init(&allocator, &context, params, format);
    }
    // Once the input has ended: empty buffers until the effect ends its output too. The
    // buffers that took, or limit when it had not ended by then.
    int RunTail(uint32_t mask, int limit) {
        for (int buffers = 1; buffers < limit; ++buffers) {
            Buffer b(mask);
            b.buffer.validFrames = 0;
            b.buffer.state = SX_NoMoreData;
            effect->Execute(&b.buffer);
            if (b.buffer.state == SX_NoMoreData) return buffers;
        }
        return limit;
    }
    CountingAllocator allocator;
    TestEffectContext context;
    Effect* effect = nullptr;
    Params* params = nullptr;
};

}  // namespace fxtest
