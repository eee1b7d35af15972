#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sound/engine/voice/SxMediaParser.h"
#include "tools/mediawriter/MediaWriter.h"

using namespace SX;

namespace {

QV::media::Signal Marked() {
    QV::media::Signal signal = QV::media::Sine(1000.0, 0.5, 4800, 48000, 0x3);
    signal.cues = {{1, 100, "start"}, {2, 2400, ""}, {7, 4000, "odd"}};
    signal.loop = true;
    signal.loopStart = 64;
    signal.loopEnd = 4095;
    return signal;
}

// Offset of a chunk's header in built media (the walk of the writer's own layout).
size_t ChunkAt(const std::vector<uint8_t>& media, const char* tag) {
    for (size_t at = 12; at + 8 <= media.size();) {
        if (std::memcmp(&media[at], tag, 4) == 0) return at;
        uint32_t size;
        std::memcpy(&size, &media[at + 4], 4);
        at += 8 + (std::memcmp(&media[at], "LIST", 4) == 0 ? 4 : size + (size & 1));
    }
    return 0;
}

void PutU32(std::vector<uint8_t>& media, size_t at, uint32_t v) { std::memcpy(&media[at], &v, 4); }

TEST(MediaParser, ReadsFormatCuesLabelsLoopAndData) {
    const std::vector<uint8_t> media = QV::media::Build(Marked(), QV::media::Encoding::Pcm16);
    SxMediaInfo info;
    ASSERT_EQ(SxParseMedia(media.data(), static_cast<uint32_t>(media.size()), true, info), SX_Success);
    SxMediaFormat format;
    ASSERT_EQ(SxReadMediaFormat(info, format), SX_Success);
    EXPECT_EQ(format.tag, SxMediaTag_PCM);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.sampleRate, 48000u);
    EXPECT_EQ(format.blockAlign, 4);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.channelMask, 0x3u);
    ASSERT_EQ(info.markers.size(), 3u);
    EXPECT_EQ(info.markers[0].id, 1u);
    EXPECT_EQ(info.markers[0].position, 100u);
    EXPECT_EQ(info.markers[0].label, "start");
    EXPECT_EQ(info.markers[1].label, "");
    EXPECT_EQ(info.markers[2].label, "odd");
    EXPECT_TRUE(info.hasLoop);
    EXPECT_EQ(info.loopStart, 64u);
    EXPECT_EQ(info.loopEnd, 4095u);
    EXPECT_EQ(info.dataSize, 4800u * 4);
    EXPECT_EQ(info.dataOffset + info.dataSize, media.size());
    // Without markers asked for, none are read.
    SxMediaInfo plain;
    ASSERT_EQ(SxParseMedia(media.data(), static_cast<uint32_t>(media.size()), false, plain), SX_Success);
    EXPECT_TRUE(plain.markers.empty());
}

TEST(MediaParser, MalformedMediaIsRefusedWithoutReadingPastIt) {
    const std::vector<uint8_t> good = QV::media::Build(Marked(), QV::media::Encoding::Pcm16);
    const size_t fmt = ChunkAt(good, "fmt "), cue = ChunkAt(good, "cue "), labl = ChunkAt(good, "labl"),
                 smpl = ChunkAt(good, "smpl"), data = ChunkAt(good, "data");
    ASSERT_TRUE(fmt && cue && labl && smpl && data);
    struct Case {
        const char* what;
        std::vector<uint8_t> media;
        SXRESULT expected;
    };
    std::vector<Case> cases;
    auto cut = [&](const char* what, size_t size) {
        cases.push_back({what, std::vector<uint8_t>(good.begin(), good.begin() + size), SX_InvalidFile});
    };
    auto patch = [&](const char* what, size_t at, uint32_t value) {
        std::vector<uint8_t> media = good;
        PutU32(media, at, value);
        cases.push_back({what, media, SX_InvalidFile});
    };
    cases.push_back({"empty", {}, SX_InvalidParameter});
    cut("shorter than a header", 19);
    cut("fmt cut short", fmt + 20);
    cut("cue cut short", cue + 8 + 30);
    cut("labl cut short", labl + 10);
    cut("smpl cut short", smpl + 8 + 40);
    cut("nothing after smpl", data);
    cut("data header cut short", data + 6);
    patch("not RIFF", 0, 0x46464952 + 1);
    patch("not WAVE", 8, 0);
    patch("cue count past its chunk", cue + 8, 1000);
    patch("cue count that wraps", cue + 8, 0x0AAAAAAB);
    patch("sampler data past its chunk", smpl + 8 + 32, 0xFFFFFFF0);
    patch("chunk past the media", smpl + 4, 0x7FFFFFFF);
    {
        // "cue " before "fmt ": swap the fmt tag for an unknown one.
        std::vector<uint8_t> media = good;
        std::memcpy(&media[fmt], "junk", 4);
        cases.push_back({"cue before fmt", media, SX_InvalidFile});
    }
    {
        std::vector<uint8_t> media = good;
        std::memcpy(&media[fmt], "junk", 4);
        std::memcpy(&media[cue], "junk", 4);
        cases.push_back({"data without fmt", media, SX_InvalidFile});
    }
    for (const Case& c : cases) {
        SxMediaInfo info;
        // Each case in its own allocation so a read past it is caught by the address sanitizer.
        std::vector<uint8_t> exact(c.media);
        EXPECT_EQ(SxParseMedia(exact.empty() ? nullptr : exact.data(), static_cast<uint32_t>(exact.size()), true, info),
                  c.expected)
            << c.what;
    }
}

TEST(MediaParser, FormatFieldsMustAgree) {
    const std::vector<uint8_t> good =
        QV::media::Build(QV::media::Sine(440.0, 0.5, 64, 48000, 0x3), QV::media::Encoding::Pcm16);
    const size_t fmt = ChunkAt(good, "fmt ") + 8;
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
        int bytes;
    } cases[] = {{"no channel", fmt + 2, 0, 2},
                 {"mask disagrees with the channel count", fmt + 20, 0x7, 4},
                 {"no sample rate", fmt + 4, 0, 4},
                 {"no block align", fmt + 12, 0, 2}};
    for (const Case& c : cases) {
        std::vector<uint8_t> media = good;
        std::memcpy(&media[c.at], &c.value, c.bytes);
        SxMediaInfo info;
        ASSERT_EQ(SxParseMedia(media.data(), static_cast<uint32_t>(media.size()), false, info), SX_Success) << c.what;
        SxMediaFormat format;
        EXPECT_EQ(SxReadMediaFormat(info, format), SX_InvalidFile) << c.what;
    }
}

TEST(MediaParser, SamplerWithoutLoopsLeavesTheWholeFileAndOddChunksArePadded) {
    QV::media::Signal signal = QV::media::Sine(440.0, 0.5, 64, 48000, 0x4);
    signal.loop = true;
    signal.loopStart = 10;
    signal.loopEnd = 20;
    signal.cues = {{3, 5, "abc"}};  // label of 4 bytes + 3 + NUL = odd size chunk
    std::vector<uint8_t> media = QV::media::Build(signal, QV::media::Encoding::Pcm16);
    const size_t smpl = ChunkAt(media, "smpl");
    PutU32(media, smpl + 8 + 28, 0);
    SxMediaInfo info;
    ASSERT_EQ(SxParseMedia(media.data(), static_cast<uint32_t>(media.size()), true, info), SX_Success);
    EXPECT_FALSE(info.hasLoop);
    ASSERT_EQ(info.markers.size(), 1u);
    EXPECT_EQ(info.markers[0].label, "abc");
}

}  // namespace
