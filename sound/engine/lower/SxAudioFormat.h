#pragma once
// The format a plug-in or a node is told about: the sample rate and one word of bit fields.
#include <cstdint>

namespace SX {

struct SxAudioFormat {
    uint32_t sampleRate = 0;
    uint32_t channelMask : 18;
    uint32_t bitsPerSample : 6;
    uint32_t blockAlign : 5;
    uint32_t sampleType : 2;   // 1 float
    uint32_t interleaved : 1;  // the layout flag: set for the lower engine's planar buffers

    SxAudioFormat() : channelMask(0), bitsPerSample(0), blockAlign(0), sampleType(0), interleaved(0) {}
};
static_assert(sizeof(SxAudioFormat) == 8, "rate and one word of fields");

// The channel layouts a voice plays: stereo, the centre, or both; the LFE alone or with either;
// four channels (front and surround pairs) with or without the centre and the LFE.
bool SxIsPlayableChannelMask(uint32_t mask);

// The format of a node of the mix: planar 32-bit floats at the given rate.
SxAudioFormat SxFloatFormat(uint32_t sampleRate, uint32_t channelMask);

}  // namespace SX
