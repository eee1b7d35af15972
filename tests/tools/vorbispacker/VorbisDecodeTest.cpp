#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "VorbisFixture.h"

namespace {

using namespace vorbistest;

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
