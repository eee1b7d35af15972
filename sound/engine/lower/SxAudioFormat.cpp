#include "sound/engine/lower/SxAudioFormat.h"

#include <initializer_list>

#include "sound/engine/lower/SxAudioBuffer.h"

namespace SX {

bool SxIsPlayableChannelMask(uint32_t mask) {
    for (uint32_t playable : {0x3u, 0x4u, 0x7u, 0x8u, 0xBu, 0xCu, 0xFu, 0x33u, 0x37u, 0x3Bu, 0x3Fu})
        if (mask == playable) return true;
    return false;
}

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
