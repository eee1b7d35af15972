#include <gtest/gtest.h>

#include <thread>

#include "VorbisFixture.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/voice/CSxSrcBankADPCM.h"
#include "sound/engine/voice/CSxSrcBankPCM.h"
#include "sound/engine/voice/CSxSrcFileADPCM.h"
#include "sound/engine/voice/CSxSrcFilePCM.h"
#include "sound/engine/vorbis/CSxSrcBankVorbis.h"
#include "sound/engine/vorbis/CSxSrcFileVorbis.h"
#include "sound/stream/StreamFixture.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxSourceProbes.h"
#include "tools/mediawriter/MediaWriter.h"

namespace {

using namespace SX;
using namespace vorbistest;

class VorbisStreams : public sxtest::StreamTest {
protected:
    void SetUp() override {
        StreamTest::SetUp();
        platform::audio::control::Reset();
        platform::audio::control::SetOpenFails(true);
        SxPlatformInitSettings settings;
        ASSERT_EQ(CSxLEngine::Init(settings), SX_Success);
        // Stream buffers smaller than some packets, so that packets straddle them.
        SxDeviceSettings device = DefaultDevice();
        device.granularity = 2048;
        StartDevice(device);
    }
    void TearDown() override {
        CSxLEngine::Term();
        platform::audio::control::Reset();
        StreamTest::TearDown();
    }
    static SXRESULT Start(CSxVPLSrcNode& source) {
        for (int i = 0; i < 1000000; ++i) {
            const SXRESULT result = source.StartSource();
            if (result != SX_NotReady) return result;
            std::this_thread::yield();
        }
        return SX_NotReady;
    }
    // Every frame to the end; a starved stream is waited for, a bounded number of times.
    static std::vector<int16_t> Pull(CSxVPLSrcNode& source, SXRESULT& last, uint32_t request = 1024) {
        std::vector<int16_t> out;
        const uint32_t channels = source.Format().blockAlign / 2;
        for (int i = 0, starved = 0; i < 100000 && starved < 5000000;) {
            SxNodeBuffer buffer;
            buffer.maxFrames = static_cast<uint16_t>(request);
            source.GetBuffer(buffer);
            last = static_cast<SXRESULT>(buffer.state);
            if (buffer.state == SX_NoDataReady) {
                ++starved;
                std::this_thread::yield();
                continue;
            }
            if (buffer.state != SX_DataReady && buffer.state != SX_NoMoreData) break;
            ++i;
            const int16_t* frames = static_cast<const int16_t*>(buffer.frames);
            out.insert(out.end(), frames, frames + size_t(buffer.validFrames) * channels);
            source.ReleaseBuffer();
            if (buffer.state == SX_NoMoreData) break;
        }
        return out;
    }
};

TEST_F(VorbisStreams, StreamedPlaysTheSameFramesAsInMemory) {
    struct {
        const char* what;
        Kind kind;
        uint32_t channels;
        int quality;
        uint16_t loops;
        uint32_t request;
    } cases[] = {
        {"mono tone once", Kind::Tone, 1, 2, 1, 1024},
        {"stereo transients looping three times", Kind::Transient, 2, 6, 3, 700},
        {"5.1 noise, large packets", Kind::Noise, 6, 8, 1, 1024},
        {"stereo silence looping twice", Kind::Silence, 2, 3, 2, 256},
    };
    uint32_t id = 500;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<int16_t> samples = Generate(c.kind, 48000 / 2, c.channels, 48000);
        const std::vector<uint8_t> media = Pack(Encode(m_tree, samples, c.channels, 48000, c.quality), true);
        m_tree.Write("Audio/" + std::to_string(id) + ".med", std::string(media.begin(), media.end()));
        CSxSrcBankVorbis bank(nullptr);
        bank.UseMedia(media.data(), uint32_t(media.size()));
        bank.SetLoopCount(c.loops);
        CSxSrcFileVorbis file(nullptr);
        qvtest::FileSourceProbe::UseFile(file, id++);
        file.SetLoopCount(c.loops);
        ASSERT_EQ(bank.StartSource(), SX_Success);
        ASSERT_EQ(Start(file), SX_Success);
        SXRESULT bankLast = SX_Success, fileLast = SX_Success;
        const std::vector<int16_t> expected = Pull(bank, bankLast, c.request);
        const std::vector<int16_t> got = Pull(file, fileLast, c.request);
        EXPECT_EQ(bankLast, SX_NoMoreData);
        EXPECT_EQ(fileLast, SX_NoMoreData);
        EXPECT_EQ(expected.size(), size_t(bank.TotalFrames()) * c.channels * c.loops);
        EXPECT_TRUE(got == expected) << got.size() << " against " << expected.size();
        file.StopSource();
    }
}

TEST_F(VorbisStreams, StreamedSeeksLandWhereInMemorySeeksLand) {
    const std::vector<int16_t> samples = Generate(Kind::Tone, 48000, 2, 48000);
    const std::vector<uint8_t> media = Pack(Encode(m_tree, samples, 2, 48000, 4));
    m_tree.Write("Audio/600.med", std::string(media.begin(), media.end()));
    CSxSrcBankVorbis bank(nullptr);
    bank.UseMedia(media.data(), uint32_t(media.size()));
    CSxSrcFileVorbis file(nullptr);
    qvtest::FileSourceProbe::UseFile(file, 600);
    ASSERT_EQ(bank.StartSource(), SX_Success);
    ASSERT_EQ(Start(file), SX_Success);
    for (uint32_t position : {30000u, 7u, 4096u, 47999u, 0u}) {
        SCOPED_TRACE(position);
        ASSERT_EQ(bank.Seek(position), SX_Success);
        ASSERT_EQ(file.Seek(position), SX_Success);
        SXRESULT last;
        const std::vector<int16_t> expected = Pull(bank, last);
        EXPECT_EQ(expected.size(), size_t(48000 - position) * 2);
        EXPECT_TRUE(Pull(file, last) == expected);
    }
    file.StopSource();
}

// More than six channels is refused with one result whatever the codec, in memory or streamed:
// PCM and ADPCM from the media writer, Vorbis as the packer makes it from the encoder's file.
TEST_F(VorbisStreams, EveryCodecRefusesMoreThanSixChannelsWithOneResult) {
    enum Codec { kPcm, kAdpcm, kVorbis };
    struct Case {
        const char* what;
        Codec codec;
        uint32_t channels;
    } cases[] = {
        {"PCM, 6.1", kPcm, 7},     {"PCM, 7.1", kPcm, 8},       {"ADPCM, 6.1", kAdpcm, 7},
        {"ADPCM, 7.1", kAdpcm, 8}, {"Vorbis, 6.1", kVorbis, 7}, {"Vorbis, 7.1", kVorbis, 8},
    };
    uint32_t id = 700;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> media;
        if (c.codec == kVorbis) {
            const std::vector<uint8_t> ogg =
                Encode(m_tree, Generate(Kind::Tone, 4800, c.channels, 48000), c.channels, 48000, 4);
            bool reencoded = false;
            std::string error;
            ASSERT_TRUE(QV::vorbis::PackFile(ogg, SX::SxVorbisBuiltInLibrary(), {}, media, reencoded, error)) << error;
        } else {
            media = QV::media::Build(QV::media::Sine(440.0, 0.5, 4800, 48000, c.channels == 7 ? 0x70F : 0x63F),
                                     c.codec == kPcm ? QV::media::Encoding::Pcm16 : QV::media::Encoding::Adpcm);
        }
        m_tree.Write("Audio/" + std::to_string(id) + ".med", std::string(media.begin(), media.end()));
        CSxSrcBankPCM bankPcm(nullptr);
        CSxSrcBankADPCM bankAdpcm(nullptr);
        CSxSrcBankVorbis bankVorbis(nullptr);
        CSxSrcFilePCM filePcm(nullptr);
        CSxSrcFileADPCM fileAdpcm(nullptr);
        CSxSrcFileVorbis fileVorbis(nullptr);
        CSxSrcBaseEx* banks[] = {&bankPcm, &bankAdpcm, &bankVorbis};
        CSxSrcFileBase* files[] = {&filePcm, &fileAdpcm, &fileVorbis};
        banks[c.codec]->UseMedia(media.data(), uint32_t(media.size()));
        qvtest::FileSourceProbe::UseFile(*files[c.codec], id++);
        EXPECT_EQ(banks[c.codec]->StartSource(), SX_UnsupportedChannelConfig) << "in memory";
        EXPECT_EQ(Start(*files[c.codec]), SX_UnsupportedChannelConfig) << "streamed";
    }
}

}  // namespace
