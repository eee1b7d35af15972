#include "sound/plugins/effects/SxCaptureAudioInput.h"

#include <cstring>

#include "platform/audio/CaptureDevice.h"
#include "sound/plugins/effects/CSxFXSrcAudioInput.h"

namespace SX {

namespace {

platform::audio::CaptureDevice* g_pCapture = nullptr;

// Stereo and mono devices map onto their own layouts; others are read as their first channel.
uint32_t MaskOf(uint32_t channels) { return channels >= 2 ? SxChannelMaskStereo : 0x4; }

void CaptureFormat(uint32_t, SxAudioFormat& format) {
    const platform::audio::PcmFormat& pcm = g_pCapture->Format();
    format = SxFloatFormat(pcm.sampleRate, MaskOf(pcm.channels));
}

void CaptureExecute(uint32_t, SxAudioBuffer* buffer) {
    constexpr uint32_t kMaxFrames = 1024, kMaxChannels = 8;
    const uint32_t deviceChannels = g_pCapture->Format().channels;
    const uint32_t channels = buffer->Channels();
    int16_t samples[kMaxFrames * kMaxChannels];
    uint32_t frames = 0;
    if (deviceChannels <= kMaxChannels)
        frames = g_pCapture->Take(samples, buffer->maxFrames < kMaxFrames ? buffer->maxFrames : kMaxFrames);
    for (uint32_t c = 0; c < channels; ++c) {
        const uint32_t from = c < deviceChannels ? c : 0;
        float* out = buffer->Channel(c);
        for (uint32_t k = 0; k < frames; ++k)
            out[k] = static_cast<float>(samples[k * deviceChannels + from]) / 32768.0f;
    }
    buffer->validFrames = static_cast<uint16_t>(frames);
    buffer->ZeroFillToMaxFrames();
    buffer->state = SX_DataReady;
}

}  // namespace

void SxFeedAudioInputFromCapture(platform::audio::CaptureDevice* device) {
    if (!device) {
        RemoveAudioInputCallbacks(CaptureExecute);
        return;
    }
    g_pCapture = device;
    SetAudioInputCallbacks(CaptureExecute, CaptureFormat, nullptr);
}

}  // namespace SX
