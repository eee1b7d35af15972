// Feeds arbitrary parameter blocks and game-parameter values to every effect plug-in: the
// first byte picks the effect and the layout, the rest is the block; each effect that accepts
// its block then processes a few buffers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sound/engine/SxBehavioralExtensions.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/CSxDelayFX.h"
#include "sound/plugins/effects/CSxDynamicsFX.h"
#include "sound/plugins/effects/CSxFDNReverbFX.h"
#include "sound/plugins/effects/CSxMeterFX.h"
#include "sound/plugins/effects/CSxModalSynth.h"
#include "sound/plugins/effects/CSxParametricEQFX.h"
#include "sound/plugins/effects/CSxPeakLimiterFX.h"
#include "sound/plugins/effects/CSxRoomReverbFX.h"
#include "fuzz/sound/plugins/PluginFuzzSupport.h"

namespace {

using namespace SX;

using pluginfuzz::HeapAllocator;

class Context final : public ISxEffectPluginContext {
public:
    bool send = false;
    bool IsSendModeEffect() const override { return send; }
    ISxStreamMgr* GetStreamMgr() const override { return nullptr; }
    SxPlayingID GetPlayingID() const override { return 0; }
    uint16_t GetMaxBufferLength() const override { return 1024; }
    SXRESULT PostMonitorData(void*, uint32_t) override { return SX_Fail; }
    bool CanPostMonitorData() override { return false; }
    void GetPluginMedia(uint32_t, const uint8_t*& data, uint32_t& size) override {
        data = nullptr;
        size = 0;
    }
};

struct Effect {
    SxCreatePluginCallback create;
    SxCreateParamCallback createParams;
};
const Effect kEffects[] = {
    {CreateDelayFX, CreateDelayFXParams},
    {CreateCompressorFX, CreateCompressorFXParams},
    {CreateExpanderFX, CreateExpanderFXParams},
    {CreatePeakLimiterFX, CreatePeakLimiterFXParams},
    {CreateParametricEQFX, CreateParametricEQFXParams},
    {CreateMeterFX, CreateMeterFXParams},
    {CreateFDNReverbFX, CreateFDNReverbFXParams},
    {CreateModalSynth, CreateModalSynthParams},
    {CreateRoomReverbFX, CreateRoomReverbFXParams},
};
const uint32_t kMasks[] = {0x4, 0x3, 0x3F, 0x33, 0x37, 0x8};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pluginfuzz::InitDefaultPool(1 << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const Effect& kind = kEffects[data[0] % (sizeof kEffects / sizeof kEffects[0])];
    const uint32_t mask = kMasks[(data[0] >> 3) % (sizeof kMasks / sizeof kMasks[0])];
    const uint8_t flags = data[1];
    const uint8_t* block = data + 2;
    const uint32_t blockSize = static_cast<uint32_t>(size - 2);

    HeapAllocator allocator;
    Context context;
    context.send = flags & 1;
    ISxPluginParam* params = kind.createParams(&allocator);
    auto* effect = static_cast<ISxInPlaceEffectPlugin*>(kind.create(&allocator));
    params->Init(&allocator, block, blockSize);
    // Game-parameter values taken from the block's bytes.
    for (uint32_t i = 0; i + 4 <= blockSize && i < 64; i += 4)
        params->SetParam(static_cast<int16_t>(block[i] % 112), block + i, 4);
    SxAudioFormat format;
    format.sampleRate = (flags & 2) ? 44100 : 48000;
    format.channelMask = mask;
    format.sampleType = 1;
    if (effect->Init(&allocator, &context, params, format) == SX_Success) {
        static float samples[6 * 1024];
        SxAudioBuffer buffer;
        buffer.data = samples;
        buffer.channelMask = mask;
        buffer.maxFrames = 1024;
        for (int round = 0; round < 3; ++round) {
            for (uint32_t i = 0; i < 6 * 1024; ++i) samples[i] = std::sin(0.01f * i) * (round + 1) * 0.5f;
            buffer.validFrames = static_cast<uint16_t>(round == 2 ? (flags >> 2) * 16 : 1024);
            buffer.state = round == 2 ? SX_NoMoreData : SX_DataReady;
            effect->Execute(&buffer);
            if (!SxBufferIsFinite(buffer)) std::abort();
        }
        effect->Reset();
    }
    effect->Term(&allocator);
    params->Term(&allocator);
    SxMeterWriterFrame(false);
    return 0;
}
