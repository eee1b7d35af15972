#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

#include "VorbisFixture.h"
#include "sound/engine/SxTestMemory.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/vorbis/CSxSrcBankVorbis.h"
#include "sound/engine/vorbis/SxVorbisSetupCache.h"
#include "tests/platform/AudioDeviceControl.h"

namespace {

using namespace vorbistest;
using namespace SX;

class VorbisSources : public ::testing::Test {
protected:
    void SetUp() override {
        platform::audio::control::Reset();
        platform::audio::control::SetOpenFails(true);
        SxPlatformInitSettings settings;
        ASSERT_EQ(CSxLEngine::Init(settings), SX_Success);  // the decode buffers' cache
    }
    void TearDown() override {
        CSxLEngine::Term();
        platform::audio::control::Reset();
    }
    // Every frame the source hands out, to its end (or a bound).
    static std::vector<int16_t> Pull(CSxSrcBaseEx& source, uint32_t request = 1024, SXRESULT* last = nullptr) {
        std::vector<int16_t> out;
        const uint32_t channels = source.Format().blockAlign / 2;
        for (int i = 0; i < 100000; ++i) {
            SxNodeBuffer buffer;
            buffer.maxFrames = static_cast<uint16_t>(request);
            source.GetBuffer(buffer);
            if (last) *last = static_cast<SXRESULT>(buffer.state);
            if (buffer.state != SX_DataReady && buffer.state != SX_NoMoreData) break;
            const int16_t* frames = static_cast<const int16_t*>(buffer.frames);
            out.insert(out.end(), frames, frames + size_t(buffer.validFrames) * channels);
            source.ReleaseBuffer();
            if (buffer.state == SX_NoMoreData) break;
        }
        return out;
    }
    // The standard decoder's frames of the packed media, through the fixture's reference path.
    std::vector<int16_t> Material(Kind kind, uint32_t channels, uint32_t rate, int quality,
                                  std::vector<uint8_t>& media) {
        const std::vector<int16_t> samples = Generate(kind, rate / 2, channels, rate);
        const std::vector<uint8_t> ogg = Encode(tree, samples, channels, rate, quality);
        media = Pack(ogg, true);
        Opened opened;
        EXPECT_TRUE(Open(media, opened));
        return DecodeFrom(opened, 0, 0);
    }
    sxtest::TestMemory memory;
    qvtest::TempTree tree;
};

::testing::AssertionResult WithinOne(const std::vector<int16_t>& got, const int16_t* expected, size_t count) {
    if (got.size() != count) return ::testing::AssertionFailure() << "samples " << got.size() << " against " << count;
    for (size_t i = 0; i < count; ++i)
        if (std::abs(int(got[i]) - int(expected[i])) > 1)
            return ::testing::AssertionFailure() << "sample " << i << ": " << got[i] << " against " << expected[i];
    return ::testing::AssertionSuccess();
}

TEST_F(VorbisSources, InMemoryPlaysTheDecodedFramesWithTheirLoops) {
    std::vector<uint8_t> media;
    const std::vector<int16_t> once = Material(Kind::Transient, 2, 48000, 4, media);
    for (uint16_t loops : {1, 3}) {
        SCOPED_TRACE(loops);
        CSxSrcBankVorbis source(nullptr);
        source.UseMedia(media.data(), uint32_t(media.size()));
        source.SetLoopCount(loops);
        ASSERT_EQ(source.StartSource(), SX_Success);
        EXPECT_EQ(source.TotalFrames() * 2, once.size());
        SXRESULT last = SX_Success;
        const std::vector<int16_t> got = Pull(source, 700, &last);
        EXPECT_EQ(last, SX_NoMoreData);
        std::vector<int16_t> expected;
        for (uint16_t i = 0; i < loops; ++i) expected.insert(expected.end(), once.begin(), once.end());
        EXPECT_TRUE(WithinOne(got, expected.data(), expected.size()));
    }
}

TEST_F(VorbisSources, SeeksGoThroughTheSeekTable) {
    for (uint32_t channels : {1u, 6u}) {
        SCOPED_TRACE(channels);
        std::vector<uint8_t> media;
        const std::vector<int16_t> once = Material(Kind::Tone, channels, 44100, 3, media);
        CSxSrcBankVorbis source(nullptr);
        source.UseMedia(media.data(), uint32_t(media.size()));
        ASSERT_EQ(source.StartSource(), SX_Success);
        for (uint32_t position : {0u, 1u, 2047u, 5000u, 12345u, source.TotalFrames() - 1}) {
            SCOPED_TRACE(position);
            ASSERT_EQ(source.Seek(position), SX_Success);
            EXPECT_EQ(source.SkipFrames(), 0u);  // the decoder drops the rest itself
            const std::vector<int16_t> got = Pull(source);
            EXPECT_TRUE(
                WithinOne(got, once.data() + size_t(position) * channels, once.size() - size_t(position) * channels));
        }
        EXPECT_EQ(source.Seek(source.TotalFrames()), SX_Fail);
    }
}

TEST_F(VorbisSources, SourcesOfOneMediaShareTheirSetup) {
    std::vector<uint8_t> media;
    const std::vector<int16_t> once = Material(Kind::Noise, 2, 44100, 5, media);
    const size_t before = SxVorbisSetupCache::LiveCount();
    auto first = std::make_unique<CSxSrcBankVorbis>(nullptr);
    CSxSrcBankVorbis second(nullptr);
    first->UseMedia(media.data(), uint32_t(media.size()));
    second.UseMedia(media.data(), uint32_t(media.size()));
    ASSERT_EQ(first->StartSource(), SX_Success);
    ASSERT_EQ(second.StartSource(), SX_Success);
    EXPECT_EQ(SxVorbisSetupCache::LiveCount(), before + 1);
    first.reset();
    EXPECT_EQ(SxVorbisSetupCache::LiveCount(), before + 1);
    EXPECT_TRUE(WithinOne(Pull(second), once.data(), once.size()));
}

TEST_F(VorbisSources, DifferentSetupsUnderOneIDAreNotMixedUp) {
    std::vector<uint8_t> mono, stereo;
    const std::vector<int16_t> monoFrames = Material(Kind::Tone, 1, 44100, 3, mono);
    const std::vector<int16_t> stereoFrames = Material(Kind::Tone, 2, 44100, 3, stereo);
    Opened a, b;
    ASSERT_TRUE(Open(mono, a));
    ASSERT_TRUE(Open(stereo, b));
    // The stereo media claims the mono media's setup ID.
    std::memcpy(&stereo[size_t(b.info.fmt - stereo.data()) + 60], a.info.fmt + 60, 4);
    CSxSrcBankVorbis first(nullptr), second(nullptr);
    first.UseMedia(mono.data(), uint32_t(mono.size()));
    second.UseMedia(stereo.data(), uint32_t(stereo.size()));
    ASSERT_EQ(first.StartSource(), SX_Success);
    ASSERT_EQ(second.StartSource(), SX_Success);
    EXPECT_TRUE(WithinOne(Pull(first), monoFrames.data(), monoFrames.size()));
    EXPECT_TRUE(WithinOne(Pull(second), stereoFrames.data(), stereoFrames.size()));
}

TEST_F(VorbisSources, MalformedMediaFailsCleanly) {
    std::vector<uint8_t> media;
    Material(Kind::Tone, 2, 44100, 2, media);
    Opened opened;
    ASSERT_TRUE(Open(media, opened));
    const size_t fmt = size_t(opened.info.fmt - media.data());
    const size_t data = opened.info.dataOffset;
    const size_t setup = data + opened.format.seekTableSize + 2;  // the setup's first byte
    struct Case {
        const char* what;
        void (*spoil)(std::vector<uint8_t>&, size_t fmt, size_t data, size_t setup);
        SXRESULT start;  // StartSource
    } cases[] = {
        {"a library index past the library",
         [](std::vector<uint8_t>& m, size_t, size_t, size_t s) { m[s + 1] = 0xFF, m[s + 2] |= 0x03; }, SX_Fail},
        {"a short block below the windows", [](std::vector<uint8_t>& m, size_t f, size_t, size_t) { m[f + 64] = 5; },
         SX_Fail},
        {"a long block past the windows", [](std::vector<uint8_t>& m, size_t f, size_t, size_t) { m[f + 65] = 13; },
         SX_Fail},
        {"a seek table past the data", [](std::vector<uint8_t>& m, size_t f, size_t, size_t) { m[f + 43] = 0x7F; },
         SX_InvalidFile},
        {"a setup larger than its record",
         [](std::vector<uint8_t>& m, size_t, size_t, size_t s) { m[s - 2] = 0xFF, m[s - 1] = 0xFF; }, SX_InvalidFile},
        {"a format chunk of another codec",
         [](std::vector<uint8_t>& m, size_t f, size_t, size_t) { m[f] = 2, m[f + 1] = 0; }, SX_InvalidFile},
        {"a loop end past the data", [](std::vector<uint8_t>& m, size_t f, size_t, size_t) { m[f + 35] = 0x40; },
         SX_InvalidFile},
        {"an empty media", [](std::vector<uint8_t>& m, size_t, size_t, size_t) { m.resize(0); }, SX_InvalidParameter},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> spoiled = media;
        c.spoil(spoiled, fmt, data, setup);
        CSxSrcBankVorbis source(nullptr);
        source.UseMedia(spoiled.data(), uint32_t(spoiled.size()));
        EXPECT_EQ(source.StartSource(), c.start);
    }
}

TEST_F(VorbisSources, BrokenPacketsEndTheSoundInsteadOfHangingIt) {
    std::vector<uint8_t> media;
    const std::vector<int16_t> once = Material(Kind::Tone, 2, 44100, 2, media);
    Opened opened;
    ASSERT_TRUE(Open(media, opened));
    const size_t packets = opened.info.dataOffset + opened.format.firstPacket;
    struct {
        const char* what;
        size_t at;
        uint8_t low, high;
        SXRESULT last;
    } cases[] = {
        {"a packet that claims the rest of the file and more", packets + 600, 0xFE, 0xFF, SX_Fail},
        {"a packet cut short: its size passes the data's end", packets, 0, 0, SX_NoMoreData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> spoiled = media;
        if (c.low == 0) {
            // The last record's size is raised past the end of the data.
            size_t at = packets, last = at;
            while (at + 2 <= spoiled.size()) {
                last = at;
                at += 2 + (spoiled[at] | spoiled[at + 1] << 8);
            }
            const uint32_t size = (spoiled[last] | spoiled[last + 1] << 8) + 1;
            spoiled[last] = uint8_t(size);
            spoiled[last + 1] = uint8_t(size >> 8);
            const size_t maxPacket = size_t(opened.info.fmt - media.data()) + 48;
            spoiled[maxPacket] = spoiled[maxPacket + 1] = 0xFF;
        } else {
            size_t at = packets;
            while (at < c.at) at += 2 + (spoiled[at] | spoiled[at + 1] << 8);
            spoiled[at] = c.low;
            spoiled[at + 1] = c.high;
        }
        CSxSrcBankVorbis source(nullptr);
        source.UseMedia(spoiled.data(), uint32_t(spoiled.size()));
        ASSERT_EQ(source.StartSource(), SX_Success);
        SXRESULT last = SX_Success;
        const std::vector<int16_t> got = Pull(source, 1024, &last);
        EXPECT_EQ(last, c.last);
        EXPECT_LT(got.size(), once.size());
    }
}

}  // namespace
