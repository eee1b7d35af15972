#pragma once
// Frame timing: an audio frame is 1024 samples at the output rate; milliseconds become
// frames by ceiling division by the whole-millisecond frame length.
#include <cstdint>

namespace SX {

constexpr uint32_t SxFrameSamples = 1024;

struct SxTimingSettings {
    static uint32_t sampleRate;   // 48000 by default
    static uint32_t frameMs;      // whole ms per frame: 21 at 48000
    static uint32_t halfFrameMs;  // the audio thread's wait: 10 at 48000
    static uint32_t scaled128;    // 128 samples at 48000 scaled to the rate

    static void SetSampleRate(uint32_t rate);
    // Whole frames covering ms (ceiling).
    static uint32_t MillisecondsToFrames(uint32_t ms);
};

namespace SxTimeConv {
// Samples at the output rate, rounded half away from zero.
int32_t MillisecondsToSamples(double ms);
}  // namespace SxTimeConv

// The audio frame counter: the audio thread advances it once per frame; transitions
// stamp their start with it.
extern uint32_t g_uSxAudioFrameCounter;

}  // namespace SX
