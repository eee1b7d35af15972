#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "VorbisFixture.h"

namespace {

using namespace vorbistest;

// The standard decoder's output for the Ogg file, as 16-bit frames in the media file's
// channel order.
std::vector<int16_t> Reference(const std::vector<uint8_t>& ogg, uint32_t channels) {
    OggVorbis_File file;
    ov_callbacks callbacks = OV_CALLBACKS_NOCLOSE;
    FILE* memory = fmemopen(const_cast<uint8_t*>(ogg.data()), ogg.size(), "rb");
    EXPECT_NE(memory, nullptr);
    EXPECT_EQ(ov_open_callbacks(memory, &file, nullptr, 0, callbacks), 0);
    static const uint8_t orders[7][6] = {{}, {0}, {0, 1}, {0, 2, 1}, {0, 1, 2, 3}, {0, 2, 1, 3, 4}, {0, 2, 1, 5, 3, 4}};
    std::vector<int16_t> out;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long frames = ov_read_float(&file, &pcm, 1024, &section);
        if (frames <= 0) break;
        for (long i = 0; i < frames; ++i)
            for (uint32_t o = 0; o < channels; ++o) {
                const float v = std::nearbyint(pcm[orders[channels][o]][i] * 32768.0f);
                out.push_back(static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f)));
            }
    }
    ov_clear(&file);
    std::fclose(memory);
    return out;
}

::testing::AssertionResult WithinOne(const std::vector<int16_t>& got, const std::vector<int16_t>& expected,
                                     size_t from = 0) {
    if (got.size() != expected.size() - from)
        return ::testing::AssertionFailure() << "samples " << got.size() << " against " << expected.size() - from;
    for (size_t i = 0; i < got.size(); ++i)
        if (std::abs(int(got[i]) - int(expected[from + i])) > 1)
            return ::testing::AssertionFailure() << "sample " << i << ": " << got[i] << " against " << expected[from + i];
    return ::testing::AssertionSuccess();
}

struct Case {
    const char* what;
    Kind kind;
    uint32_t channels;
    uint32_t rate;
    int quality;
};

class VorbisDecode : public ::testing::Test {
protected:
    qvtest::TempTree tree;
};

TEST_F(VorbisDecode, PackedDecodeMatchesTheStandardDecoder) {
    const Case cases[] = {
        {"mono tone", Kind::Tone, 1, 44100, 3},
        {"mono noise, low quality", Kind::Noise, 1, 48000, 0},
        {"stereo tone", Kind::Tone, 2, 48000, 5},
        {"stereo noise, high quality", Kind::Noise, 2, 44100, 9},
        {"stereo silence", Kind::Silence, 2, 44100, 4},
        {"stereo transients: short and long blocks", Kind::Transient, 2, 48000, 6},
        {"5.1 tone", Kind::Tone, 6, 48000, 4},
        {"5.1 transients", Kind::Transient, 6, 44100, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<int16_t> samples = Generate(c.kind, c.rate * 3 / 4, c.channels, c.rate);
        const std::vector<uint8_t> ogg = Encode(tree, samples, c.channels, c.rate, c.quality);
        const std::vector<uint8_t> media = Pack(ogg);
        Opened opened;
        ASSERT_TRUE(Open(media, opened));
        EXPECT_EQ(opened.format.totalFrames, samples.size() / c.channels);
        if (c.kind == Kind::Transient) {
            const auto blocks = BlockCounts(opened);
            EXPECT_GT(blocks.first, 0u);   // short blocks around the attacks
            EXPECT_GT(blocks.second, 0u);  // long blocks between them
        }
        const std::vector<int16_t> expected = Reference(ogg, c.channels);
        EXPECT_TRUE(WithinOne(DecodeFrom(opened, 0, 0), expected));
    }
}

}  // namespace
