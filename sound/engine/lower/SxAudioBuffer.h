#pragma once
// The buffer the lower engine passes between its nodes: planar f32 samples, each channel
// maxFrames long, channels in the order of their mask bits except that the LFE channel
// (bit 3) comes last.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

constexpr uint32_t SxFrameLength = 1024;
constexpr uint32_t SxChannelMaskStereo = 0x3;
constexpr uint32_t SxChannelMask51 = 0x3F;
constexpr uint32_t SxChannelMask40 = 0x33;
constexpr uint32_t SxChannelBitLFE = 0x8;
// The buffers the mixes write into start on a cache line, and so does each channel of a frame
// (1024 floats): the vector kernels' loads and stores then never cross a line.
constexpr uint32_t SxMixBufferAlignment = 64;

inline uint32_t SxChannelCount(uint32_t mask) {
    uint32_t n = 0;
    for (; mask; mask &= mask - 1) ++n;
    return n;
}

// The planar index of a channel bit in a mask: bit order, with the LFE (bit 3) last.
inline uint32_t SxPlanarIndex(uint32_t mask, uint32_t bit) {
    if (bit == 3) return SxChannelCount(mask) - 1;
    return SxChannelCount(mask & ((1u << bit) - 1) & ~SxChannelBitLFE);
}

struct SxAudioBuffer {
    float* data = nullptr;
    uint32_t channelMask = 0;
    uint32_t state = SX_NoMoreData;  // 17 empty, 43 data needed, 45 data ready
    uint16_t maxFrames = 0;
    uint16_t validFrames = 0;

    uint32_t Channels() const { return SxChannelCount(channelMask); }
    float* Channel(uint32_t index) const { return data + index * maxFrames; }
    void Clear() { *this = SxAudioBuffer(); }
    // Zeroes every channel from the valid frames to the maximum, which become valid.
    void ZeroFillToMaxFrames();
};

}  // namespace SX
