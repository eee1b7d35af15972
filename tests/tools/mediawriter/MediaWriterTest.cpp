#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "support/TempTree.h"
#include "core/FileUtil.h"
#include "sound/engine/voice/SxAdpcm.h"
#include "sound/engine/voice/SxMediaParser.h"
#include "tools/mediawriter/MediaWriter.h"

using namespace QV::media;

namespace {

std::vector<uint8_t> WavBytes(uint16_t tag, uint16_t channels, uint16_t bits, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    auto u16 = [&](uint32_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    auto tagOf = [&](const char* t) { out.insert(out.end(), t, t + 4); };
    tagOf("RIFF");
    u32(static_cast<uint32_t>(36 + data.size()));
    tagOf("WAVE");
    tagOf("fmt ");
    u32(16);
    u16(tag);
    u16(channels);
    u32(44100);
    u32(44100u * channels * bits / 8);
    u16(channels * bits / 8);
    u16(bits);
    tagOf("data");
    u32(static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

TEST(MediaWriter, WrittenMediaReadBackWithEveryChunkInOrder) {
    qvtest::TempTree tree;
    struct Case {
        Encoding encoding;
        uint32_t channels;
        uint16_t tag, blockAlign;
    } cases[] = {{Encoding::Pcm16, 1, 0xFFFE, 2}, {Encoding::Float32, 6, 0xFFFE, 24}, {Encoding::Adpcm, 2, 2, 72}};
    for (const Case& c : cases) {
        Signal signal = Sine(440.0, 0.5, 640, 48000, DefaultChannelMask(c.channels));
        signal.cues = {{4, 128, "go"}};
        signal.loop = true;
        signal.loopStart = 64;
        signal.loopEnd = 575;
        const std::string path = tree.Path("tone.med");
        ASSERT_TRUE(Write(path, signal, c.encoding));
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(SD::ReadWholeFile(path, bytes));
        EXPECT_EQ(std::memcmp(&bytes[12], "fmt ", 4), 0) << "the format comes first";
        SX::SxMediaInfo info;
        ASSERT_EQ(SX::SxParseMedia(bytes.data(), static_cast<uint32_t>(bytes.size()), true, info), SX::SX_Success);
        SX::SxMediaFormat format;
        ASSERT_EQ(SX::SxReadMediaFormat(info, format), SX::SX_Success);
        EXPECT_EQ(format.tag, c.tag);
        EXPECT_EQ(format.channels, c.channels);
        EXPECT_EQ(format.blockAlign, c.blockAlign);
        EXPECT_EQ(info.dataOffset + info.dataSize, bytes.size()) << "the data comes last";
        ASSERT_EQ(info.markers.size(), 1u);
        EXPECT_EQ(info.markers[0].label, "go");
        EXPECT_EQ(info.loopStart, 64u);
        EXPECT_EQ(info.loopEnd, 575u);
        if (c.encoding == Encoding::Float32) {
            float first;
            std::memcpy(&first, &bytes[info.dataOffset + 4 * 6 * 10], 4);
            EXPECT_FLOAT_EQ(first, signal.samples[6 * 10]);
        }
    }
    EXPECT_EQ(DefaultChannelMask(7), 0u);
}

TEST(MediaWriter, WavFilesAreReadAsFullScaleSamplesOrRefused) {
    qvtest::TempTree tree;
    const std::vector<uint8_t> pcm16 = {0x00, 0x40, 0x00, 0xC0};  // +0.5, -0.5
    const std::vector<uint8_t> pcm8 = {192, 64};                  // +0.5, -0.5
    std::vector<uint8_t> cut = WavBytes(1, 1, 16, pcm16);
    cut.resize(cut.size() - 2);
    float floats[2] = {0.25f, -0.75f};
    std::vector<uint8_t> float32(8);
    std::memcpy(float32.data(), floats, 8);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool ok;
        std::vector<float> samples;
    } cases[] = {
        {"16-bit", WavBytes(1, 1, 16, pcm16), true, {0.5f, -0.5f}},
        {"8-bit", WavBytes(1, 2, 8, pcm8), true, {0.5f, -0.5f}},
        {"float", WavBytes(3, 1, 32, float32), true, {0.25f, -0.75f}},
        {"seven channels", WavBytes(1, 7, 16, std::vector<uint8_t>(14)), false, {}},
        {"compressed", WavBytes(2, 1, 4, pcm16), false, {}},
        {"cut short", cut, false, {}},
        {"not a WAV", std::vector<uint8_t>(40, 'x'), false, {}},
    };
    for (const Case& c : cases) {
        tree.Write("in.wav", std::string(c.bytes.begin(), c.bytes.end()));
        Signal signal;
        std::string error;
        ASSERT_EQ(ReadWav(tree.Path("in.wav"), signal, error), c.ok) << c.what << ": " << error;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << c.what;
            continue;
        }
        EXPECT_EQ(signal.sampleRate, 44100u) << c.what;
        ASSERT_EQ(signal.samples.size(), c.samples.size()) << c.what;
        for (size_t i = 0; i < c.samples.size(); ++i) EXPECT_FLOAT_EQ(signal.samples[i], c.samples[i]) << c.what;
    }
}

TEST(MediaWriter, AdpcmPadsTheLastBlockWithSilence) {
    Signal signal = Sine(440.0, 0.5, 100, 48000, 0x4);
    const std::vector<uint8_t> bytes = Build(signal, Encoding::Adpcm);
    SX::SxMediaInfo info;
    ASSERT_EQ(SX::SxParseMedia(bytes.data(), static_cast<uint32_t>(bytes.size()), false, info), SX::SX_Success);
    ASSERT_EQ(info.dataSize, 72u) << "two blocks for 100 frames";
    int16_t out[128];
    ASSERT_TRUE(SX::SxAdpcm::DecodeBlocks(bytes.data() + info.dataOffset, 36, 1, 2, out));
    EXPECT_EQ(out[64], static_cast<int16_t>(std::lround(signal.samples[64] * 32767.0f)));
    EXPECT_LT(std::abs(out[127]), 600);
}

}  // namespace
