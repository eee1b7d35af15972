#include "sound/engine/transitions/SxTimingSettings.h"

#include <cmath>

namespace SX {

uint32_t SxTimingSettings::sampleRate = 48000;
uint32_t SxTimingSettings::frameMs = 21;
uint32_t SxTimingSettings::halfFrameMs = 10;
uint32_t SxTimingSettings::scaled128 = 128;
uint32_t g_uSxAudioFrameCounter = 0;

void SxTimingSettings::SetSampleRate(uint32_t rate) {
    if (rate == 0) return;
    sampleRate = rate;
    frameMs = static_cast<uint32_t>(SxFrameSamples / (0.001 * rate));
    halfFrameMs = static_cast<uint32_t>(SxFrameSamples * 1000.0 / rate * 0.5);
    scaled128 = static_cast<uint32_t>(rate * (1.0 / 48000.0) * 128.0);
}

uint32_t SxTimingSettings::MillisecondsToFrames(uint32_t ms) {
    // Rates above 1024 kHz would give 0 ms frames; one frame then counts as one ms.
    uint32_t frame = frameMs ? frameMs : 1;
    return static_cast<uint32_t>((uint64_t(ms) + frame - 1) / frame);
}

int32_t SxTimeConv::MillisecondsToSamples(double ms) {
    return static_cast<int32_t>(std::round(SxTimingSettings::sampleRate * ms * 0.001));
}

}  // namespace SX
