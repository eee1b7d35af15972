#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "sound/engine/voice/SxAdpcm.h"
#include "tools/mediawriter/MediaWriter.h"

using namespace SX;
namespace A = SX::SxAdpcm;

namespace {

// One mono block: first sample, step index, then the codes packed low nibble first; the
// 63rd code sits in the low nibble of byte 35.
std::vector<uint8_t> Block(int16_t first, uint8_t index, const std::vector<uint8_t>& codes, uint8_t lastByte = 0) {
    std::vector<uint8_t> block(36, 0);
    block[0] = static_cast<uint8_t>(first & 0xFF);
    block[1] = static_cast<uint8_t>((first >> 8) & 0xFF);
    block[2] = index;
    for (size_t i = 0; i < codes.size(); ++i)
        block[4 + i / 2] |= static_cast<uint8_t>((i & 1) ? codes[i] << 4 : codes[i]);
    block[35] = lastByte;
    return block;
}

TEST(Adpcm, StepTableIsTheStandardOneOf89Steps) {
    EXPECT_EQ(A::kStepTable[0], 7);
    EXPECT_EQ(A::kStepTable[1], 8);
    EXPECT_EQ(A::kStepTable[2], 9);
    EXPECT_EQ(A::kStepTable[10], 19);
    EXPECT_EQ(A::kStepTable[87], 29794);
    EXPECT_EQ(A::kStepTable[88], 32767);
    for (uint32_t i = 1; i <= A::kMaxStepIndex; ++i) ASSERT_GT(A::kStepTable[i], A::kStepTable[i - 1]) << i;
    const int8_t index[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
    for (int code = 0; code < 16; ++code) EXPECT_EQ(A::kIndexTable[code], index[code & 7]) << code;
}

TEST(Adpcm, BlockDecodesToTheHandComputedSamples) {
    // Index 10 (step 19): code 0 -> +19/8 = +2, index 9 (17); code 8 -> -17/8 = -2, index 8 (16);
    // code 7 -> +15*16/8 = +30, index 16 (34); code 15 -> -15*34/8 = -63, index 24 (73);
    // code 0 -> +73/8 = +9, index 23. Zeros take the index down to 0 by code 61; the 63rd code
    // (byte 35, low nibble 7; the high nibble F is unused) adds 15*7/8 = 13.
    std::vector<uint8_t> codes(62, 0);
    codes[0] = 0;
    codes[1] = 8;
    codes[2] = 7;
    codes[3] = 15;
    const std::vector<uint8_t> block = Block(1000, 10, codes, 0xF7);
    EXPECT_EQ(block[4], 0x80);
    EXPECT_EQ(block[5], 0xF7);
    int16_t out[64];
    ASSERT_TRUE(A::DecodeBlocks(block.data(), 36, 1, 1, out));
    const int16_t expected[6] = {1000, 1002, 1000, 1030, 967, 976};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], expected[i]) << i;
    EXPECT_EQ(out[63] - out[62], 13);
}

TEST(Adpcm, PredictorClampsAndTheIndexStaysInTheTable) {
    // Index 88 (step 32767): code 7 adds 15*32767/8 = 61438 and is clamped; the index cannot
    // pass 88, so code 15 takes 61438 off, code 7 brings it back, and the next 7 clamps again.
    int16_t out[64];
    const std::vector<uint8_t> block = Block(32760, 88, {7, 15, 7, 7, 15, 15});
    ASSERT_TRUE(A::DecodeBlocks(block.data(), 36, 1, 1, out));
    EXPECT_EQ(out[1], 32767);
    EXPECT_EQ(out[2], 32767 - 61438);
    EXPECT_EQ(out[3], 32767);
    EXPECT_EQ(out[4], 32767);
    EXPECT_EQ(out[5], 32767 - 61438);
    EXPECT_EQ(out[6], -32768);
    // Codes 0 and 8 at index 0 (step 7): +-7/8 rounds to 0 and the index stays at 0.
    const std::vector<uint8_t> low = Block(-5, 0, {0, 8, 0, 8});
    ASSERT_TRUE(A::DecodeBlocks(low.data(), 36, 1, 1, out));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(out[i], -5) << i;
}

TEST(Adpcm, StepIndexPastTheTableIsRefused) {
    int16_t out[128];
    std::vector<uint8_t> two = Block(0, 3, {});
    const std::vector<uint8_t> bad = Block(0, 89, {});
    two.insert(two.end(), bad.begin(), bad.end());
    EXPECT_TRUE(A::StepIndexesValid(two.data(), 36, 1));
    EXPECT_FALSE(A::StepIndexesValid(two.data(), 72, 1));
    EXPECT_FALSE(A::DecodeBlocks(two.data(), 36, 1, 2, out));
}

TEST(Adpcm, ChannelsOfABlockInterleaveOnOutput) {
    std::vector<uint8_t> block = Block(100, 0, {});
    const std::vector<uint8_t> right = Block(-200, 0, {});
    block.insert(block.end(), right.begin(), right.end());
    int16_t out[128];
    ASSERT_TRUE(A::DecodeBlocks(block.data(), 72, 2, 1, out));
    EXPECT_EQ(out[0], 100);
    EXPECT_EQ(out[1], -200);
    EXPECT_EQ(out[126], 100);
    EXPECT_EQ(out[127], -200);
}

TEST(Adpcm, EncodeThenDecodeStaysWithinTheCodecBound) {
    // 4 bits a sample: the step tracks the signal's slope, so the noise grows with frequency.
    struct Case {
        double frequency, amplitude;
        uint32_t channels;
        double minSnrDb;
    } cases[] = {{1000.0, 0.5, 1, 30.0}, {1000.0, 0.9, 2, 30.0}, {100.0, 0.25, 6, 30.0}, {5000.0, 0.3, 1, 20.0}};
    for (const Case& c : cases) {
        const uint32_t frames = 64 * 100;
        const QV::media::Signal signal =
            QV::media::Sine(c.frequency, c.amplitude, frames, 48000, QV::media::DefaultChannelMask(c.channels));
        std::vector<int16_t> input(signal.samples.size());
        for (size_t i = 0; i < input.size(); ++i)
            input[i] = static_cast<int16_t>(std::lround(signal.samples[i] * 32767.0f));
        std::vector<A::SxAdpcmEncoderState> states(c.channels);
        const uint32_t blockAlign = 36 * c.channels;
        std::vector<uint8_t> data(frames / 64 * blockAlign);
        for (uint32_t b = 0; b < frames / 64; ++b)
            A::EncodeBlock(&input[b * 64 * c.channels], c.channels, states.data(), &data[b * blockAlign]);
        std::vector<int16_t> output(input.size());
        ASSERT_TRUE(A::DecodeBlocks(data.data(), blockAlign, c.channels, frames / 64, output.data()));
        double noise = 0.0, power = 0.0;
        int32_t peak = 0;
        // The first block lets the step size find the signal.
        for (size_t i = 64 * c.channels; i < input.size(); ++i) {
            const int32_t error = output[i] - input[i];
            peak = std::max(peak, std::abs(error));
            noise += double(error) * error;
            power += double(input[i]) * input[i];
        }
        const double snr = 10.0 * std::log10(power / noise);
        EXPECT_GT(snr, c.minSnrDb) << c.frequency << " Hz x" << c.channels;
        // No code may miss by more than the largest step of the sine's slope.
        const double slope = 32768 * c.amplitude * 2 * 3.14159265358979 * c.frequency / 48000;
        EXPECT_LT(peak, slope) << c.frequency << " Hz x" << c.channels << " snr " << snr;
        // Every block starts on the input's own sample.
        for (uint32_t b = 0; b < frames / 64; ++b) ASSERT_EQ(output[b * 64 * c.channels], input[b * 64 * c.channels]);
    }
}

}  // namespace
