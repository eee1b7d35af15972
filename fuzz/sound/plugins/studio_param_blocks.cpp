// Feeds arbitrary bytes to the Studio effects as parameter blocks and as single parameter
// changes, then runs each effect on a buffer: nothing may crash or read out of bounds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sound/engine/lower/SxAudioFormat.h"
#include "sound/plugins/studio/CStudioDeviceSimFX.h"
#include "sound/plugins/studio/CStudioLimiterFX.h"

namespace {

using namespace SX;

class HeapAllocator final : public ISxPluginMemAlloc {
public:
    void* Malloc(size_t size) override { return std::malloc(size ? size : 1); }
    void Free(void* pointer) override { std::free(pointer); }
};

void RunEffect(ISxInPlaceEffectPlugin* fx, ISxPluginParam* params, uint32_t mask, const uint8_t* data, size_t size,
               HeapAllocator& allocator) {
    SxAudioFormat format = SxFloatFormat(size > 0 && (data[0] & 1) ? 96000 : 48000, mask);
    if (fx->Init(&allocator, nullptr, params, format) == SX_Success) {
        const uint32_t channels = SxChannelCount(mask);
        std::vector<float> samples(channels * 256);
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = size ? (data[i % size] - 128) / 64.0f : 0.0f;
        SxAudioBuffer buffer;
        buffer.data = samples.data();
        buffer.channelMask = mask;
        buffer.maxFrames = 256;
        buffer.validFrames = 200;
        buffer.state = SX_DataReady;
        fx->Execute(&buffer);
        // Then every parameter change the input spells out, with a buffer after each.
        for (size_t at = 0; at + 6 <= size; at += 6) {
            int16_t id;
            std::memcpy(&id, data + at, 2);
            params->SetParam(int16_t(id % 128), data + at + 2, 4);
            buffer.validFrames = 200;
            fx->Execute(&buffer);
        }
    }
    fx->Term(&allocator);
    params->Term(&allocator);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HeapAllocator allocator;
    ISxPluginParam* deviceSimParams = CreateStudioDeviceSimFXParams(&allocator);
    const uint32_t deviceSimBlock = size >= kStudioDeviceSimBlockSize ? kStudioDeviceSimBlockSize : uint32_t(size);
    deviceSimParams->Init(&allocator, data, deviceSimBlock);
    RunEffect(static_cast<ISxInPlaceEffectPlugin*>(CreateStudioDeviceSimFX(&allocator)), deviceSimParams,
              SxChannelMaskStereo, data, size, allocator);

    ISxPluginParam* limiterParams = CreateStudioLimiterFXParams(&allocator);
    const uint32_t limiterBlock = size >= kStudioLimiterBlockSize ? kStudioLimiterBlockSize : uint32_t(size);
    limiterParams->Init(&allocator, data, limiterBlock);
    RunEffect(static_cast<ISxInPlaceEffectPlugin*>(CreateStudioLimiterFX(&allocator)), limiterParams,
              size > 1 && (data[1] & 1) ? SxChannelMask51 : SxChannelMaskStereo, data, size, allocator);
    return 0;
}
