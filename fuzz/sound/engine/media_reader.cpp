// Feeds arbitrary bytes to the media reader as a media file, then to the PCM and ADPCM sources
// held in memory, whose buffers are resampled at a pitch until the media ends.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/voice/CSxSrcBankADPCM.h"
#include "sound/engine/voice/CSxSrcBankPCM.h"
#include "sound/engine/voice/VoiceResampler.h"
#include "tests/platform/AudioDeviceControl.h"

namespace {

bool StartLowerEngine() {
    platform::audio::control::SetOpenFails(true);
    SX::SxMemoryMgrSettings settings;
    settings.maxPools = 8;
    if (SX::MemoryMgr::Init(&settings) != SX::SX_Success) return false;
    SX::g_DefaultPoolId = SX::MemoryMgr::CreatePool(nullptr, 4 << 20, 16, SX::SxMemPool_Heap);
    SX::SxPlatformInitSettings platformSettings;
    return SX::CSxLEngine::Init(platformSettings) == SX::SX_Success;
}

void Play(SX::CSxSrcBaseEx& source, const uint8_t* data, size_t size, uint16_t loops) {
    source.UseMedia(data, static_cast<uint32_t>(size));
    source.SetLoopCount(loops);
    if (source.StartSource() != SX::SX_Success) return;
    SX::VoiceResampler resampler;
    const SX::SxAudioFormat& format = source.Format();
    if (!resampler.Init(format.bitsPerSample, format.channelMask, format.sampleRate, 48000)) return;
    std::vector<float> out(6 * 1024);
    resampler.SetPitch(size % 2 ? 700.0f : -300.0f);
    for (int i = 0; i < 64; ++i) {
        SX::SxNodeBuffer buffer;
        buffer.maxFrames = 1024;
        source.GetBuffer(buffer);
        if (buffer.validFrames) {
            resampler.SetOutputOffset(0);
            resampler.Process(buffer.frames, buffer.validFrames, out.data(), 1024);
        }
        source.ReleaseBuffer();
        if (buffer.state != SX::SX_DataReady) break;
    }
    uint32_t skip = 100000;
    source.TimeSkip(skip);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started = StartLowerEngine();
    if (!started || size > (1u << 20)) return 0;
    SX::SxMediaInfo info;
    SX::SxMediaFormat format;
    if (SX::SxParseMedia(data, static_cast<uint32_t>(size), true, info) == SX::SX_Success)
        SX::SxReadMediaFormat(info, format);
    for (uint16_t loops : {1, 3}) {
        SX::CSxSrcBankPCM pcm(nullptr);
        Play(pcm, data, size, loops);
        SX::CSxSrcBankADPCM adpcm(nullptr);
        Play(adpcm, data, size, loops);
    }
    return 0;
}
