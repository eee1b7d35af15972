#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "StreamFixture.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/voice/CSxSrcBankADPCM.h"
#include "sound/engine/voice/CSxSrcBankPCM.h"
#include "sound/engine/voice/CSxSrcFileADPCM.h"
#include "sound/engine/voice/CSxSrcFilePCM.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxSourceProbes.h"
#include "tools/mediawriter/MediaWriter.h"

namespace {

using namespace SX;
namespace media = QV::media;

// What a source hands out, buffer by buffer: the bytes and where each buffer started.
struct Played {
    std::string bytes;
    std::vector<int32_t> positions;
    SXRESULT last = SX_Success;
};

class StreamedSources : public sxtest::StreamTest {
protected:
    void SetUp() override {
        StreamTest::SetUp();
        platform::audio::control::Reset();
        platform::audio::control::SetOpenFails(true);
        SxPlatformInitSettings settings;
        ASSERT_EQ(CSxLEngine::Init(settings), SX_Success);  // the decoders' buffer cache
    }
    void TearDown() override {
        CSxLEngine::Term();
        platform::audio::control::Reset();
        StreamTest::TearDown();
    }
    // A device whose buffers split frames and blocks of every layout used here.
    void StartSmallDevice() {
        SxDeviceSettings settings = DefaultDevice();
        settings.granularity = 4096;
        StartDevice(settings);
    }
    // A stream still filling is waited for until the IO thread has served it, however busy the
    // machine; only a stream that never fills gives up, after a time no load comes near.
    static constexpr std::chrono::seconds kStarvedCap{60};

    static SXRESULT Start(CSxVPLSrcNode& source) {
        const auto giveUp = std::chrono::steady_clock::now() + kStarvedCap;
        for (;;) {
            const SXRESULT result = source.StartSource();
            if (result != SX_NotReady || std::chrono::steady_clock::now() > giveUp) return result;
            std::this_thread::yield();
        }
    }
    // Pulls buffers to the end; a starved stream is waited for.
    static Played Pull(CSxVPLSrcNode& source, uint32_t request, uint32_t maxBuffers = 4000) {
        Played played;
        const auto giveUp = std::chrono::steady_clock::now() + kStarvedCap;
        for (uint32_t i = 0; i < maxBuffers;) {
            SxNodeBuffer buffer;
            buffer.maxFrames = static_cast<uint16_t>(request);
            source.GetBuffer(buffer);
            played.last = static_cast<SXRESULT>(buffer.state);
            if (buffer.state == SX_NoDataReady && std::chrono::steady_clock::now() < giveUp) {
                std::this_thread::yield();
                continue;
            }
            if (buffer.state != SX_DataReady && buffer.state != SX_NoMoreData) break;
            ++i;
            played.positions.push_back(buffer.playPosition);
            played.bytes.append(static_cast<const char*>(buffer.frames),
                                buffer.validFrames * source.Format().blockAlign);
            source.ReleaseBuffer();
            if (buffer.state == SX_NoMoreData) break;
        }
        return played;
    }
};

struct Case {
    const char* what;
    media::Encoding encoding;
    uint32_t mask;
    uint32_t frames;
    uint16_t loops;  // 1 plays once
    uint32_t loopStart, loopEnd;
    uint32_t request;
    uint32_t head = 0;  // bytes of the file's head held in memory (a bank's prefetched data)
};

TEST_F(StreamedSources, StreamedPlaysTheSameBytesAsInMemory) {
    const Case cases[] = {
        {"mono PCM once", media::Encoding::Pcm16, 0x4, 20000, 1, 0, 0, 1024},
        {"5.1 PCM, frames split between buffers", media::Encoding::Pcm16, 0x3F, 9000, 1, 0, 0, 1024},
        {"stereo float PCM, odd requests", media::Encoding::Float32, 0x3, 7001, 1, 0, 0, 333},
        {"stereo PCM looping three times", media::Encoding::Pcm16, 0x3, 12000, 3, 2000, 8999, 1024},
        {"5.1 PCM, a loop shorter than a stream buffer", media::Encoding::Pcm16, 0x3F, 6000, 4, 100, 299, 1024},
        {"stereo ADPCM once", media::Encoding::Adpcm, 0x3, 20000, 1, 0, 0, 1024},
        {"5.1 ADPCM, blocks split between buffers", media::Encoding::Adpcm, 0x3F, 9000, 1, 0, 0, 1024},
        {"mono ADPCM looping twice", media::Encoding::Adpcm, 0x4, 30000, 2, 640, 20479, 1024},
        {"stereo ADPCM, small requests", media::Encoding::Adpcm, 0x3, 5000, 1, 0, 0, 200},
        {"mono PCM from a prefetched head", media::Encoding::Pcm16, 0x4, 20000, 1, 0, 0, 1024, 10001},
        {"stereo PCM looping, the head past the loop end", media::Encoding::Pcm16, 0x3, 12000, 3, 500, 1999, 1024,
         12000},
        {"5.1 ADPCM, the head ending inside a block", media::Encoding::Adpcm, 0x3F, 9000, 1, 0, 0, 1024, 7000},
        {"stereo PCM, the head holding the whole file", media::Encoding::Pcm16, 0x3, 3000, 1, 0, 0, 1024, 12100},
        {"mono PCM, a head shorter than its header: the stream's is read", media::Encoding::Pcm16, 0x4, 5000, 1, 0, 0,
         1024, 20},
    };
    StartSmallDevice();
    uint32_t id = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        media::Signal signal = media::Sine(440.0 + id, 0.7, c.frames, 48000, c.mask);
        for (size_t i = 0; i < signal.samples.size(); i += 7) signal.samples[i] *= -0.5f;  // not periodic
        signal.loop = c.loops != 1;
        signal.loopStart = c.loopStart;
        signal.loopEnd = c.loopEnd;
        const std::vector<uint8_t> bytes = media::Build(signal, c.encoding);
        m_tree.Write("Audio/" + std::to_string(id) + ".med", std::string(bytes.begin(), bytes.end()));
        const bool adpcm = c.encoding == media::Encoding::Adpcm;
        CSxSrcBankPCM bankPcm(nullptr);
        CSxSrcBankADPCM bankAdpcm(nullptr);
        CSxSrcBaseEx& bank = adpcm ? static_cast<CSxSrcBaseEx&>(bankAdpcm) : bankPcm;
        bank.UseMedia(bytes.data(), static_cast<uint32_t>(bytes.size()));
        bank.SetLoopCount(c.loops);
        CSxSrcFilePCM filePcm(nullptr);
        CSxSrcFileADPCM fileAdpcm(nullptr);
        CSxSrcFileBase& file = adpcm ? static_cast<CSxSrcFileBase&>(fileAdpcm) : filePcm;
        qvtest::FileSourceProbe::UseFile(file, id++);
        file.SetLoopCount(c.loops);
        const uint32_t head = std::min<uint32_t>(c.head, static_cast<uint32_t>(bytes.size()));
        if (head) file.UseMedia(bytes.data(), head);
        ASSERT_EQ(bank.StartSource(), SX_Success);
        // A head that holds the header starts the source at once, whatever the stream does.
        if (head > 100) {
            EXPECT_EQ(file.StartSource(), SX_Success);
        }
        ASSERT_EQ(Start(file), SX_Success);
        EXPECT_EQ(file.TotalFrames(), bank.TotalFrames());
        EXPECT_EQ(file.Format().blockAlign, bank.Format().blockAlign);
        const Played expected = Pull(bank, c.request);
        const Played got = Pull(file, c.request);
        EXPECT_EQ(expected.last, SX_NoMoreData);
        EXPECT_EQ(got.last, SX_NoMoreData);
        EXPECT_TRUE(sxtest::SameBytes(got.bytes, expected.bytes));
        const uint64_t played = expected.bytes.size() / bank.Format().blockAlign;
        EXPECT_EQ(played, uint64_t(bank.TotalFrames()) + uint64_t(c.loopEnd - c.loopStart + 1) * (c.loops - 1));
        file.StopSource();
    }
}

TEST_F(StreamedSources, SeeksLandWhereTheInMemorySourceLands) {
    StartSmallDevice();
    const uint32_t positions[] = {0, 1, 100, 4095, 12345, 29999};
    uint32_t id = 200;
    for (media::Encoding encoding : {media::Encoding::Pcm16, media::Encoding::Adpcm}) {
        media::Signal signal = media::Sine(523.0, 0.6, 30000, 48000, 0x3);
        const std::vector<uint8_t> bytes = media::Build(signal, encoding);
        m_tree.Write("Audio/" + std::to_string(id) + ".med", std::string(bytes.begin(), bytes.end()));
        const bool adpcm = encoding == media::Encoding::Adpcm;
        CSxSrcBankPCM bankPcm(nullptr);
        CSxSrcBankADPCM bankAdpcm(nullptr);
        CSxSrcBaseEx& bank = adpcm ? static_cast<CSxSrcBaseEx&>(bankAdpcm) : bankPcm;
        bank.UseMedia(bytes.data(), static_cast<uint32_t>(bytes.size()));
        CSxSrcFilePCM filePcm(nullptr);
        CSxSrcFileADPCM fileAdpcm(nullptr);
        CSxSrcFileBase& file = adpcm ? static_cast<CSxSrcFileBase&>(fileAdpcm) : filePcm;
        qvtest::FileSourceProbe::UseFile(file, id++);
        ASSERT_EQ(bank.StartSource(), SX_Success);
        ASSERT_EQ(Start(file), SX_Success);
        Pull(file, 1024, 3);  // part-way through the file first
        for (uint32_t position : positions) {
            SCOPED_TRACE(position);
            ASSERT_EQ(bank.Seek(position), SX_Success);
            ASSERT_EQ(file.Seek(position), SX_Success);
            EXPECT_EQ(file.SkipFrames(), bank.SkipFrames());
            EXPECT_EQ(qvtest::SourceProbe::CurrentFrame(file), qvtest::SourceProbe::CurrentFrame(bank));
            // Streamed ADPCM hands out the blocks in hand, so buffers may be cut elsewhere:
            // the first position and the bytes that follow must agree.
            const size_t left =
                size_t(bank.TotalFrames() - qvtest::SourceProbe::CurrentFrame(bank)) * bank.Format().blockAlign;
            const Played expected = Pull(bank, 1024, 4);
            const Played got = Pull(file, 1024, 4);
            ASSERT_FALSE(got.positions.empty());
            EXPECT_EQ(got.positions[0], expected.positions[0]);
            const size_t common = std::min(got.bytes.size(), expected.bytes.size());
            EXPECT_GE(common, std::min<size_t>(2048u, left));
            EXPECT_TRUE(sxtest::SameBytes(got.bytes.substr(0, common), expected.bytes.substr(0, common)));
        }
        EXPECT_EQ(file.Seek(file.TotalFrames()), SX_Fail);
        file.StopSource();
    }
}

TEST_F(StreamedSources, MissingFilesAndMalformedMediaFail) {
    StartSmallDevice();
    m_tree.Write("Audio/300.med", std::string("RIFF\x10\0\0\0WAVEjunkjunkjunk", 24));
    media::Signal signal = media::Sine(440.0, 0.5, 1000, 48000, 0x4);
    const std::vector<uint8_t> pcm = media::Build(signal, media::Encoding::Pcm16);
    m_tree.Write("Audio/301.med", std::string(pcm.begin(), pcm.end()));
    struct {
        const char* what;
        uint32_t id;
        bool adpcm;
        SXRESULT expected;
    } cases[] = {
        {"no such file", 999, false, SX_Fail},
        {"no format chunk", 300, false, SX_InvalidFile},
        {"PCM media given to the ADPCM source", 301, true, SX_InvalidFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CSxSrcFilePCM filePcm(nullptr);
        CSxSrcFileADPCM fileAdpcm(nullptr);
        CSxSrcFileBase& file = c.adpcm ? static_cast<CSxSrcFileBase&>(fileAdpcm) : filePcm;
        qvtest::FileSourceProbe::UseFile(file, c.id);
        EXPECT_EQ(Start(file), c.expected);
    }
}

// Streams released while the IO thread is busy with them: looping streamed sources stopped a
// few buffers in, and standard streams destroyed with a read just queued. Each goes while its
// task may be in service; the sanitizers see any touch of a task the IO thread has deleted.
TEST_F(StreamedSources, StreamsReleasedWhileTheIOThreadServesThemGoCleanly) {
    StartSmallDevice();
    media::Signal signal = media::Sine(440.0, 0.5, 500, 48000, 0x4);
    const std::vector<uint8_t> bytes = media::Build(signal, media::Encoding::Pcm16);
    m_tree.Write("Audio/400.med", std::string(bytes.begin(), bytes.end()));
    CSxSrcBankPCM bank(nullptr);
    bank.UseMedia(bytes.data(), static_cast<uint32_t>(bytes.size()));
    ASSERT_EQ(bank.StartSource(), SX_Success);
    const std::string expected = Pull(bank, 7, 3).bytes;
    // A reader on another thread keeps the IO thread walking its task list, where it deletes
    // the streams their clients released.
    m_tree.Write("Audio/401.med", sxtest::FileBytes(256 * 1024, 7));
    std::atomic<bool> done{false};
    std::thread reader([&] {
        ISxStdStream* busy = nullptr;
        SxFileSystemFlags flags;
        flags.codecID = 1;
        if (Mgr()->CreateStd(401u, &flags, SX_OpenModeRead, busy, true) != SX_Success) return;
        std::vector<uint8_t> block(256 * 1024);
        uint32_t read = 0;
        while (!done) {
            busy->Seek(0, SX_MoveBegin);
            busy->Read(block.data(), static_cast<uint32_t>(block.size()), true, 50, 0.0f, read);
        }
        busy->Destroy();
    });
    // One looping source at a time: a looping stream reads ahead until the IO memory is full,
    // and a stream started after it would wait for a block until the first gives some back.
    std::vector<uint8_t> buffer(64 * 1024);
    for (int round = 0; round < 300; ++round) {
        CSxSrcFilePCM source(nullptr);
        qvtest::FileSourceProbe::UseFile(source, 400);
        source.SetLoopCount(0);  // loops until stopped: the IO thread always has work
        ASSERT_EQ(Start(source), SX_Success) << "round " << round;
        ASSERT_TRUE(sxtest::SameBytes(Pull(source, 7, 3).bytes, expected)) << "round " << round;
        source.StopSource();
        ISxStdStream* stream = nullptr;
        SxFileSystemFlags flags;
        flags.codecID = 1;
        ASSERT_EQ(Mgr()->CreateStd(400u, &flags, SX_OpenModeRead, stream, true), SX_Success);
        uint32_t read = 0;
        ASSERT_EQ(stream->Read(buffer.data(), static_cast<uint32_t>(buffer.size()), false, 50, 0.0f, read), SX_Success);
        stream->Destroy();
    }
    done = true;
    reader.join();
}

}  // namespace
