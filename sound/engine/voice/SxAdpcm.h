#pragma once
// The engine's 4-bit ADPCM: blocks of 64 frames, 36 bytes per channel. A channel's part of a
// block is its first sample (i16), its step index (0..88), a reserved byte, then 63 codes two
// per byte, low nibble first; the high nibble of the last byte is unused.
#include <cstdint>

namespace SX {
namespace SxAdpcm {

constexpr uint32_t kFramesPerBlock = 64;
constexpr uint32_t kBytesPerChannel = 36;
constexpr uint32_t kCodesPerBlock = 63;
constexpr uint32_t kMaxStepIndex = 88;

extern const int16_t kStepTable[kMaxStepIndex + 1];
extern const int8_t kIndexTable[16];

// Decodes n consecutive blocks, each blockAlign bytes; channel c of a block starts 36c bytes
// in. Output is interleaved 16-bit with a stride of the channel count (64 x n frames). False,
// with nothing promised about the output, when a block's step index lies past the table.
bool DecodeBlocks(const uint8_t* blocks, uint32_t blockAlign, uint32_t channels, uint32_t count, int16_t* out);

// True when every block header of the data holds a step index inside the table.
bool StepIndexesValid(const uint8_t* data, uint32_t size, uint32_t channels);

// Encoder state of one channel, carried from block to block so the step size keeps tracking.
struct SxAdpcmEncoderState {
    uint8_t stepIndex = 0;
};

// Encodes 64 frames of interleaved 16-bit input (stride = channels) into one block of
// 36 x channels bytes. Each code is the one whose decoded value lies nearest the input, so
// the decoder of this file reproduces exactly what the encoder predicted.
void EncodeBlock(const int16_t* frames, uint32_t channels, SxAdpcmEncoderState* states, uint8_t* block);

}  // namespace SxAdpcm
}  // namespace SX
