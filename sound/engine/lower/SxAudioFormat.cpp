#include "sound/engine/lower/SxAudioFormat.h"

#include "sound/engine/lower/SxAudioBuffer.h"

namespace SX {

SxAudioFormat SxFloatFormat(uint32_t sampleRate, uint32_t channelMask) {
    SxAudioFormat format;
    format.sampleRate = sampleRate;
    format.channelMask = channelMask;
    format.bitsPerSample = 32;
    format.blockAlign = SxChannelCount(channelMask) * 4;
    format.sampleType = 1;
    format.interleaved = 1;
    return format;
}

}  // namespace SX
