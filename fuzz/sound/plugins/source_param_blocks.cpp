// Feeds arbitrary parameter blocks and game-parameter values to the tone generator, the wind
// and whoosh synths and the motion generator: the first byte picks the source, the loop count and the rate, the rest is
// the block; each source that accepts its block then makes a few buffers, which a motion
// device mixes into its frame.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/plugins/motion/CSxMotionGenerator.h"
#include "sound/plugins/motion/RumbleMixBus.h"
#include "sound/plugins/synth/CSxToneGen.h"
#include "sound/plugins/synth/CSxWhooshSynth.h"
#include "sound/plugins/synth/CSxWindSynth.h"
#include "fuzz/sound/plugins/PluginFuzzSupport.h"

namespace {

using namespace SX;

using pluginfuzz::HeapAllocator;

class Context final : public ISxSourcePluginContext {
public:
    uint16_t loops = 1;
    uint16_t GetNumLoops() const override { return loops; }
    ISxStreamMgr* GetStreamMgr() const override { return nullptr; }
    SxPlayingID GetPlayingID() const override { return 0; }
    uint16_t GetMaxBufferLength() const override { return 1024; }
};

struct Source {
    SxCreatePluginCallback create;
    SxCreateParamCallback createParams;
    int16_t maxParamID;
};
const Source kSources[] = {
    {CreateToneGen, CreateToneGenParams, 18},
    {CreateMotionGenerator, CreateMotionGeneratorParams, 17},
    {CreateWindSynth, CreateWindSynthParams, 50},
    {CreateWhooshSynth, CreateWhooshSynthParams, 54},
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pluginfuzz::InitDefaultPool(16 << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const Source& kind = kSources[data[0] % (sizeof kSources / sizeof kSources[0])];
    const uint8_t* block = data + 1;
    const uint32_t blockSize = static_cast<uint32_t>(size - 1);

    HeapAllocator allocator;
    Context context;
    context.loops = (data[0] >> 4) & 3;
    ISxPluginParam* params = kind.createParams(&allocator);
    auto* source = static_cast<ISxSourcePlugin*>(kind.create(&allocator));
    if (!params || !source) std::abort();
    params->Init(&allocator, block, blockSize);
    for (uint32_t i = 0; i + 4 <= blockSize && i < 64; i += 4)
        params->SetParam(static_cast<int16_t>(block[i] % kind.maxParamID), block + i, 4);
    params->SetParam(0x7FFF, block, blockSize);  // a curve list from the same bytes
    SxAudioFormat format;
    format.sampleRate = (data[0] & 0x40) ? 44100 : 375;
    format.channelMask = (data[0] & 0x8) ? 0x33 : 0x4;
    if (source->Init(&allocator, &context, params, format) == SX_Success) {
        source->Reset();
        static float samples[4 * 1024];
        SxAudioBuffer buffer;
        buffer.data = samples;
        buffer.channelMask = format.channelMask;
        buffer.maxFrames = (data[0] & 0x80) ? 8 : 1024;
        auto* bus = static_cast<RumbleMixBus*>(CreateRumbleMixBus(&allocator));
        bus->Init(&allocator, nullptr, 0, nullptr);
        for (int round = 0; round < 4; ++round) {
            source->Execute(&buffer);
            if (buffer.validFrames > buffer.maxFrames) std::abort();
            if (round == 2) source->StopLooping();
            bus->MixMotion(&buffer);
            bus->EndFrame();
            bus->SendNextPair();
        }
        source->GetDuration();
        bus->Term(&allocator);
    }
    source->Term(&allocator);
    params->Term(&allocator);
    return 0;
}
