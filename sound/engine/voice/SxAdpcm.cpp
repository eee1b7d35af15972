#include "sound/engine/voice/SxAdpcm.h"

#include <algorithm>
#include <cstdlib>

namespace SX {
namespace SxAdpcm {

const int16_t kStepTable[kMaxStepIndex + 1] = {
    7,    8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,   28,
    31,   34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,  118,
    130,  143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,  494,
    544,  598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878, 2066,
    2272, 2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int8_t kIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

namespace {

int32_t Clamp16(int32_t v) { return std::min(32767, std::max(-32768, v)); }

int32_t NextIndex(int32_t index, uint32_t code) {
    return std::min<int32_t>(kMaxStepIndex, std::max<int32_t>(0, index + kIndexTable[code & 15]));
}

int32_t Difference(uint32_t code, int32_t step) {
    const int32_t diff = static_cast<int32_t>((code & 7) * 2 + 1) * step / 8;
    return (code & 8) ? -diff : diff;
}

uint32_t CodeAt(const uint8_t* channelBlock, uint32_t i) {
    const uint8_t byte = channelBlock[4 + i / 2];
    return (i & 1) ? (byte >> 4) : (byte & 15);
}

}  // namespace

bool DecodeBlocks(const uint8_t* blocks, uint32_t blockAlign, uint32_t channels, uint32_t count, int16_t* out) {
    for (uint32_t b = 0; b < count; ++b) {
        const uint8_t* block = blocks + static_cast<size_t>(b) * blockAlign;
        int16_t* blockOut = out + static_cast<size_t>(b) * kFramesPerBlock * channels;
        for (uint32_t c = 0; c < channels; ++c) {
            const uint8_t* part = block + kBytesPerChannel * c;
            int32_t predictor = static_cast<int16_t>(part[0] | (part[1] << 8));
            int32_t index = part[2];
            if (index > static_cast<int32_t>(kMaxStepIndex)) return false;
            int16_t* o = blockOut + c;
            *o = static_cast<int16_t>(predictor);
            for (uint32_t i = 0; i < kCodesPerBlock; ++i) {
                const uint32_t code = CodeAt(part, i);
                predictor = Clamp16(predictor + Difference(code, kStepTable[index]));
                o += channels;
                *o = static_cast<int16_t>(predictor);
                index = NextIndex(index, code);
            }
        }
    }
    return true;
}

bool StepIndexesValid(const uint8_t* data, uint32_t size, uint32_t channels) {
    const uint32_t blockAlign = kBytesPerChannel * channels;
    for (uint32_t at = 0; blockAlign && at + blockAlign <= size; at += blockAlign)
        for (uint32_t c = 0; c < channels; ++c)
            if (data[at + kBytesPerChannel * c + 2] > kMaxStepIndex) return false;
    return true;
}

void EncodeBlock(const int16_t* frames, uint32_t channels, SxAdpcmEncoderState* states, uint8_t* block) {
    for (uint32_t c = 0; c < channels; ++c) {
        uint8_t* part = block + kBytesPerChannel * c;
        std::fill(part, part + kBytesPerChannel, 0);
        int32_t predictor = frames[c];
        int32_t index = states[c].stepIndex;
        part[0] = static_cast<uint8_t>(predictor & 0xFF);
        part[1] = static_cast<uint8_t>((predictor >> 8) & 0xFF);
        part[2] = static_cast<uint8_t>(index);
        for (uint32_t i = 0; i < kCodesPerBlock; ++i) {
            const int32_t target = frames[(i + 1) * channels + c];
            const int32_t step = kStepTable[index];
            uint32_t best = 0;
            int32_t bestError = -1;
            for (uint32_t code = 0; code < 16; ++code) {
                const int32_t error = std::abs(Clamp16(predictor + Difference(code, step)) - target);
                if (bestError < 0 || error < bestError) {
                    bestError = error;
                    best = code;
                }
            }
            predictor = Clamp16(predictor + Difference(best, step));
            index = NextIndex(index, best);
            part[4 + i / 2] |= static_cast<uint8_t>((i & 1) ? best << 4 : best);
        }
        states[c].stepIndex = static_cast<uint8_t>(index);
    }
}

}  // namespace SxAdpcm
}  // namespace SX
