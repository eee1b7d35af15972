#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "SxTestMemory.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/voice/CSxSrcBankADPCM.h"
#include "sound/engine/voice/CSxSrcBankPCM.h"
#include "sound/engine/voice/SxAdpcm.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxSourceProbes.h"
#include "tools/mediawriter/MediaWriter.h"

using namespace SX;
namespace media = QV::media;

namespace {

class Sources : public ::testing::Test {
protected:
    void SetUp() override {
        platform::audio::control::Reset();
        platform::audio::control::SetOpenFails(true);
        SxPlatformInitSettings settings;
        ASSERT_EQ(CSxLEngine::Init(settings), SX_Success);  // the buffer cache of the decoders
    }
    void TearDown() override {
        CSxLEngine::Term();
        platform::audio::control::Reset();
    }
    // Pulls every buffer to the end (or a limit), counting frames and collecting positions.
    template <typename Source>
    std::vector<uint32_t> Pull(Source& source, uint32_t request, uint32_t& frames, uint32_t limit = 100) {
        std::vector<uint32_t> positions;
        frames = 0;
        for (uint32_t i = 0; i < limit; ++i) {
            SxNodeBuffer buffer;
            buffer.maxFrames = static_cast<uint16_t>(request);
            source.GetBuffer(buffer);
            EXPECT_TRUE(buffer.state == SX_DataReady || buffer.state == SX_NoMoreData) << buffer.state;
            positions.push_back(static_cast<uint32_t>(buffer.playPosition));
            frames += buffer.validFrames;
            source.ReleaseBuffer();
            if (buffer.state != SX_DataReady) break;
        }
        return positions;
    }
    sxtest::TestMemory memory;
};

media::Signal Tone(uint32_t frames, uint32_t mask = 0x4) { return media::Sine(1000.0, 0.5, frames, 48000, mask); }

TEST_F(Sources, PcmPointsIntoTheMediaAndPlaysItsLoopsThenTheRest) {
    media::Signal signal = Tone(4800, 0x3);
    signal.loop = true;
    signal.loopStart = 1000;
    signal.loopEnd = 1999;
    signal.cues = {{5, 1500, "mid"}};
    const std::vector<uint8_t> bytes = media::Build(signal, media::Encoding::Pcm16);
    CSxSrcBankPCM source(nullptr);
    source.UseMedia(bytes.data(), static_cast<uint32_t>(bytes.size()));
    source.SetLoopCount(3);
    ASSERT_EQ(source.StartSource(), SX_Success);
    EXPECT_EQ(source.Format().sampleRate, 48000u);
    EXPECT_EQ(source.Format().channelMask, 0x3u);
    EXPECT_EQ(source.Format().bitsPerSample, 16u);
    EXPECT_EQ(source.TotalFrames(), 4800u);
    EXPECT_EQ(source.GetDurationMs(), (1000u * 2 + 4800) * 1000 / 48000);

    SxNodeBuffer first;
    first.maxFrames = 1024;
    source.GetBuffer(first);
    EXPECT_EQ(first.frames, bytes.data() + bytes.size() - 4800 * 4) << "no copy";
    EXPECT_EQ(first.validFrames, 1024);
    uint32_t frames = 0;
    Pull(source, 1024, frames);
    // Three passes of the loop, then on to the end.
    EXPECT_EQ(1024 + frames, 1000u * 2 + 4800);
    EXPECT_EQ(qvtest::SourceProbe::LoopsRemaining(source), 1u);
}

TEST_F(Sources, MarkersComeWithTheBufferThatPlaysThem) {
    media::Signal signal = Tone(4096);
    signal.cues = {{1, 10, "a"}, {2, 1500, ""}};
    const std::vector<uint8_t> bytes = media::Build(signal, media::Encoding::Pcm16);
    CSxSrcBankPCM source(nullptr);
    source.UseMedia(bytes.data(), static_cast<uint32_t>(bytes.size()));
    ASSERT_EQ(source.StartSource(), SX_Success);
    SxNodeBuffer buffer;
    buffer.maxFrames = 1024;
    source.GetBuffer(buffer);
    ASSERT_EQ(buffer.markers.size(), 1u);
    EXPECT_EQ(buffer.markers[0].offset, 10u);
    EXPECT_EQ(buffer.markers[0].marker->label, "a");
    source.GetBuffer(buffer);
    ASSERT_EQ(buffer.markers.size(), 1u);
    EXPECT_EQ(buffer.markers[0].offset, 1500u - 1024);
    EXPECT_EQ(buffer.playPosition, 1024);
}

TEST_F(Sources, AdpcmHandsOutWholeBlocksAndSeeksToBlockStarts) {
    const media::Signal signal = Tone(64 * 40, 0x3);
    const std::vector<uint8_t> bytes = media::Build(signal, media::Encoding::Adpcm);
    CSxSrcBankADPCM source(nullptr);
    source.UseMedia(bytes.data(), static_cast<uint32_t>(bytes.size()));
    ASSERT_EQ(source.StartSource(), SX_Success);
    EXPECT_EQ(source.Format().bitsPerSample, 16u);
    EXPECT_EQ(source.Format().blockAlign, 4u);
    EXPECT_EQ(source.TotalFrames(), 64u * 40);

    SxNodeBuffer buffer;
    buffer.maxFrames = 1000;
    source.GetBuffer(buffer);
    EXPECT_EQ(buffer.validFrames, 960) << "whole blocks only";
    // The frames are the blocks decoded.
    const uint8_t* data = bytes.data() + bytes.size() - 40 * 72;
    std::vector<int16_t> expected(960 * 2);
    ASSERT_TRUE(SxAdpcm::DecodeBlocks(data, 72, 2, 15, expected.data()));
    EXPECT_EQ(std::memcmp(buffer.frames, expected.data(), expected.size() * 2), 0);
    source.ReleaseBuffer();

    ASSERT_EQ(source.Seek(100), SX_Success);
    EXPECT_EQ(qvtest::SourceProbe::CurrentFrame(source), 64u);
    EXPECT_EQ(source.SkipFrames(), 36u);
    EXPECT_EQ(source.Seek(64 * 40), SX_Fail);
    uint32_t frames = 0;
    Pull(source, 1024, frames);
    EXPECT_EQ(frames, 64u * 39);
}

TEST_F(Sources, MalformedOrUnplayableMediaFailsTheSourceWithItsResult) {
    const std::vector<uint8_t> pcm = media::Build(Tone(640), media::Encoding::Pcm16);
    const std::vector<uint8_t> adpcm = media::Build(Tone(640), media::Encoding::Adpcm);
    const size_t fmt = 20;  // the writer puts "fmt " first: its body starts at 20
    struct Case {
        const char* what;
        bool isAdpcm;
        std::vector<uint8_t> bytes;
        uint16_t loops;
        SXRESULT expected;
    };
    auto patched = [](std::vector<uint8_t> bytes, size_t at, const void* value, size_t size) {
        std::memcpy(&bytes[at], value, size);
        return bytes;
    };
    const uint16_t one = 1, eight = 8;
    media::Signal loose = Tone(640);
    loose.loop = true;
    loose.loopStart = 10;
    loose.loopEnd = 300;
    media::Signal pastEnd = Tone(640);
    pastEnd.loop = true;
    pastEnd.loopStart = 0;
    pastEnd.loopEnd = 640;
    std::vector<uint8_t> badStep = adpcm;
    badStep[badStep.size() - 36 * 3 + 2] = 89;
    std::vector<uint8_t> trailing = pcm;
    trailing.push_back(0);
    const std::vector<Case> cases = {
        {"no media", false, {}, 1, SX_InvalidParameter},
        {"an empty media", false, std::vector<uint8_t>(pcm.begin(), pcm.begin()), 1, SX_InvalidParameter},
        {"fmt cut short", false, std::vector<uint8_t>(pcm.begin(), pcm.begin() + 30), 1, SX_InvalidFile},
        {"unknown format tag", false, patched(pcm, fmt, &one, 2), 1, SX_InvalidFile},
        {"PCM read as ADPCM", true, pcm, 1, SX_InvalidFile},
        {"8-bit samples", false, patched(patched(pcm, fmt + 14, &eight, 2), fmt + 12, &one, 2), 1,
         SX_UnsupportedChannelConfig},
        {"ADPCM step index past the table", true, badStep, 1, SX_InvalidFile},
        {"ADPCM loop off block boundaries", true, media::Build(loose, media::Encoding::Adpcm), 0, SX_InvalidFile},
        {"ADPCM loop off block boundaries played once", true, media::Build(loose, media::Encoding::Adpcm), 1,
         SX_Success},
        {"loop end past the data", false, media::Build(pastEnd, media::Encoding::Pcm16), 2, SX_Fail},
        {"bytes after the data", false, trailing, 1, SX_Fail},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = c.bytes;
        SXRESULT result;
        if (c.isAdpcm) {
            CSxSrcBankADPCM source(nullptr);
            source.UseMedia(bytes.empty() ? nullptr : bytes.data(), static_cast<uint32_t>(bytes.size()));
            source.SetLoopCount(c.loops);
            result = source.StartSource();
        } else {
            CSxSrcBankPCM source(nullptr);
            source.UseMedia(bytes.empty() ? nullptr : bytes.data(), static_cast<uint32_t>(bytes.size()));
            source.SetLoopCount(c.loops);
            result = source.StartSource();
        }
        EXPECT_EQ(result, c.expected) << c.what;
    }
}

}  // namespace
