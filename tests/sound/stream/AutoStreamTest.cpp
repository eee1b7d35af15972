#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "StreamFixture.h"
#include "core/Logger.h"

namespace {

using namespace SX;
using sxtest::FileBytes;
using sxtest::StreamTest;

class AutoStreamTest : public StreamTest {
protected:
    ISxAutoStream* OpenMedia(uint32_t id, const SxAutoStmHeuristics& heuristics, bool syncOpen = false) {
        SxFileSystemFlags flags;
        flags.codecID = 1;  // streamed media
        ISxAutoStream* stream = nullptr;
        EXPECT_EQ(Mgr()->CreateAuto(id, &flags, heuristics, nullptr, stream, syncOpen), SX_Success);
        return stream;
    }
    static SxAutoStmHeuristics Heuristics(float throughput = 100.0f) {
        SxAutoStmHeuristics heuristics;
        heuristics.throughput = throughput;
        heuristics.priority = 50;
        return heuristics;
    }
};

TEST_F(AutoStreamTest, DeliversTheFileInOrder) {
    const std::string bytes = FileBytes(200000, 11);
    m_tree.Write("Audio/11.med", bytes);
    StartDevice();
    for (bool syncOpen : {true, false}) {
        ISxAutoStream* stream = OpenMedia(11, Heuristics(), syncOpen);
        ASSERT_TRUE(stream);
        ASSERT_EQ(stream->Start(), SX_Success);
        EXPECT_TRUE(sxtest::SameBytes(ReadAll(stream), bytes)) << "opened at once: " << syncOpen;
        bool endOfFile = false;
        EXPECT_EQ(stream->Tell(&endOfFile), 200000u);
        EXPECT_TRUE(endOfFile);
        stream->Destroy();
    }
    // By name, opened by the IO thread.
    SxFileSystemFlags flags;
    flags.codecID = 1;
    ISxAutoStream* stream = nullptr;
    ASSERT_EQ(Mgr()->CreateAuto(L"11.MED", &flags, Heuristics(), nullptr, stream, false), SX_Success);
    ASSERT_EQ(stream->Start(), SX_Success);
    EXPECT_TRUE(sxtest::SameBytes(ReadAll(stream), bytes));
    stream->Destroy();
}

TEST_F(AutoStreamTest, NothingIsReadyRightAfterStart) {
    m_tree.Write("Audio/12.med", FileBytes(50000, 12));
    StartDevice();
    ISxAutoStream* stream = OpenMedia(12, Heuristics(), true);
    ASSERT_TRUE(stream);
    m_hook.CloseGate();
    ASSERT_EQ(stream->Start(), SX_Success);
    void* data;
    uint32_t size;
    EXPECT_EQ(stream->NextBuffer(data, size, false), SX_NoDataReady);
    EXPECT_EQ(stream->ReturnBuffer(), SX_Fail);  // none held
    m_hook.OpenGate();
    EXPECT_EQ(stream->NextBuffer(data, size, true), SX_DataReady);
    EXPECT_EQ(size, 16384u);
    EXPECT_TRUE(sxtest::SameBytes(std::string(static_cast<char*>(data), size), FileBytes(50000, 12).substr(0, 16384)));
    stream->Destroy();  // with the buffer still held: it goes with the stream
}

TEST_F(AutoStreamTest, ALoopKeepsDeliveringTheFirstHalf) {
    const std::string bytes = FileBytes(8 * 16384, 13);
    m_tree.Write("Audio/13.med", bytes);
    StartDevice();
    SxAutoStmHeuristics heuristics = Heuristics();
    heuristics.loopStart = 0;
    heuristics.loopEnd = 4 * 16384;
    ISxAutoStream* stream = OpenMedia(13, heuristics, true);
    ASSERT_TRUE(stream);
    ASSERT_EQ(stream->Start(), SX_Success);
    std::string got;
    uint64_t position = 0;
    while (got.size() < 3 * heuristics.loopEnd) {
        void* data;
        uint32_t size;
        ASSERT_EQ(stream->NextBuffer(data, size, true), SX_DataReady);
        got.append(static_cast<char*>(data), size);
        ASSERT_EQ(stream->ReturnBuffer(), SX_Success);
        position += size;
        if (position >= heuristics.loopEnd) {
            // Follow the loop: what was read ahead from its start is kept.
            ASSERT_EQ(stream->Seek(heuristics.loopStart, SX_MoveBegin), SX_Success);
            position = heuristics.loopStart;
        }
    }
    const std::string half = bytes.substr(0, heuristics.loopEnd);
    EXPECT_TRUE(sxtest::SameBytes(got, half + half + half));
    stream->Destroy();
}

TEST_F(AutoStreamTest, SeekingRestartsReadingThere) {
    const std::string bytes = FileBytes(100000, 14);
    m_tree.Write("Audio/14.med", bytes);
    StartDevice();
    ISxAutoStream* stream = OpenMedia(14, Heuristics(), true);
    ASSERT_TRUE(stream);
    ASSERT_EQ(stream->Start(), SX_Success);
    void* data;
    uint32_t size;
    ASSERT_EQ(stream->NextBuffer(data, size, true), SX_DataReady);
    int64_t moved = 0;
    ASSERT_EQ(stream->Seek(70000, SX_MoveBegin, &moved), SX_Success);
    EXPECT_EQ(moved, 70000);
    EXPECT_TRUE(sxtest::SameBytes(std::string(static_cast<char*>(data), size), bytes.substr(0, 16384)));  // still held
    ASSERT_EQ(stream->ReturnBuffer(), SX_Success);
    EXPECT_TRUE(sxtest::SameBytes(ReadAll(stream), bytes.substr(70000)));
    stream->Destroy();
}

TEST_F(AutoStreamTest, HeuristicsAndBufferSettingsAreChecked) {
    m_tree.Write("Audio/15.med", FileBytes(1000, 15));
    StartDevice();
    SxFileSystemFlags flags;
    flags.codecID = 1;
    struct Case {
        const char* what;
        SxAutoStmBufSettings settings;
        SXRESULT expected;
    };
    const Case cases[] = {
        {"buffer larger than a transfer", {32768, 0, 0}, SX_Fail},
        {"minimum larger than a transfer", {0, 20000, 0}, SX_Fail},
        {"block larger than a transfer", {0, 0, 32768}, SX_Fail},
        {"buffer of whole blocks", {8192, 0, 512}, SX_Success},
    };
    for (const Case& c : cases) {
        ISxAutoStream* stream = nullptr;
        EXPECT_EQ(Mgr()->CreateAuto(15u, &flags, Heuristics(), &c.settings, stream, true), c.expected) << c.what;
        if (stream) stream->Destroy();
    }
    ISxAutoStream* stream = OpenMedia(15, Heuristics(0.5f), true);
    ASSERT_TRUE(stream);
    SxAutoStmHeuristics got;
    stream->Heuristics(got);
    EXPECT_FLOAT_EQ(got.throughput, 1.0f);
    SxAutoStmHeuristics changed = Heuristics();
    changed.priority = 101;
    EXPECT_EQ(stream->ChangeHeuristics(changed), SX_InvalidParameter);
    changed.priority = 10;
    changed.loopEnd = 5000;  // past the end of the file
    changed.minNumBuffers = 0;
    EXPECT_EQ(stream->ChangeHeuristics(changed), SX_Success);
    stream->Heuristics(got);
    EXPECT_EQ(got.loopEnd, 1000u);
    EXPECT_EQ(got.minNumBuffers, 1);
    EXPECT_EQ(stream->TargetBufferSize(), 38000u);               // 380 ms at 100 bytes per ms
    EXPECT_EQ(stream->ChangeMinimumBufferSize(20000), SX_Fail);  // more than a transfer
    void* data;
    uint32_t size;
    EXPECT_EQ(stream->NextBuffer(data, size, false), SX_Fail);
    stream->Destroy();
}

TEST_F(AutoStreamTest, ClosingWhileItsTransferIsInFlight) {
    m_tree.Write("Audio/16.med", FileBytes(100000, 16));
    StartDevice();
    ISxAutoStream* stream = OpenMedia(16, Heuristics(), true);
    ASSERT_TRUE(stream);
    m_hook.CloseGate();
    ASSERT_EQ(stream->Start(), SX_Success);
    m_hook.WaitForReads(1);
    stream->Destroy();
    m_hook.OpenGate();
    // The device goes only once the IO thread has deleted the stream: nothing was lost.
    const uint32_t id = m_hook.DeviceID();
    EXPECT_EQ(StreamMgr::DestroyDevice(id), SX_Success);
}

TEST_F(AutoStreamTest, WithoutIOMemoryOnlyStandardStreamsWork) {
    const std::string bytes = FileBytes(5000, 17);
    m_tree.Write("Audio/17.med", bytes);
    m_tree.Write("Audio/17.bnk", bytes);
    SxDeviceSettings settings = DefaultDevice();
    settings.ioMemorySize = 0;
    StartDevice(settings);
    ISxAutoStream* stream = OpenMedia(17, Heuristics(), true);
    ASSERT_TRUE(stream);
    ASSERT_EQ(stream->Start(), SX_Success);
    void* data;
    uint32_t size;
    EXPECT_EQ(stream->NextBuffer(data, size, true), SX_NoDataReady);
    ISxStdStream* std = nullptr;
    SxFileSystemFlags flags;
    ASSERT_EQ(Mgr()->CreateStd(17u, &flags, SX_OpenModeRead, std, false), SX_Success);
    std::string got(5000, '\0');
    ASSERT_EQ(std->Read(&got[0], 5000, true, 50, 0.0f, size), SX_Success);
    EXPECT_TRUE(sxtest::SameBytes(got, bytes));
    uint32_t buffering = 0;
    EXPECT_EQ(stream->BufferingState(buffering), SX_NoMoreData);  // cannot progress: no memory
    EXPECT_EQ(buffering, 0u);
    std->Destroy();
    stream->Destroy();
}

// With a cache ratio above 1, a second stream of the same file takes the blocks the first
// one read instead of reading them again.
TEST_F(AutoStreamTest, StreamsOfOneFileShareCachedBlocks) {
    const std::string bytes = FileBytes(4 * 16384 + 100, 19);
    m_tree.Write("Audio/19.med", bytes);
    SxDeviceSettings settings = DefaultDevice();
    settings.maxCacheRatio = 2.0f;
    StartDevice(settings);
    ISxAutoStream* first = OpenMedia(19, Heuristics(), true);
    ASSERT_TRUE(first);
    ASSERT_EQ(first->Start(), SX_Success);
    EXPECT_TRUE(sxtest::SameBytes(ReadAll(first), bytes));
    first->Destroy();
    const int reads = m_hook.Reads();
    EXPECT_EQ(reads, 5);
    ISxAutoStream* second = OpenMedia(19, Heuristics(), true);
    ASSERT_TRUE(second);
    ASSERT_EQ(second->Start(), SX_Success);
    EXPECT_TRUE(sxtest::SameBytes(ReadAll(second), bytes));
    EXPECT_EQ(m_hook.Reads(), reads);
    second->Destroy();
}

// Sixteen streams share four IO blocks, each wanting about one block ahead: the streams
// left without memory say so, and every stream still arrives whole when its reader drains it.
TEST_F(AutoStreamTest, ManyStreamsShareASmallIOMemory) {
    constexpr int kStreams = 16;
    constexpr uint32_t kBlock = 4096;
    SxDeviceSettings settings = DefaultDevice();
    settings.granularity = kBlock;
    settings.ioMemorySize = 4 * kBlock;
    settings.targetAutoStmBufferLength = 1.0f;
    std::vector<std::string> files;
    for (int i = 0; i < kStreams; ++i) {
        files.push_back(FileBytes(10 * kBlock + 100 * i, 100 + i));
        m_tree.Write("Audio/" + std::to_string(100 + i) + ".med", files.back());
    }
    StartDevice(settings);
    std::vector<ISxAutoStream*> streams;
    for (int i = 0; i < kStreams; ++i) {
        streams.push_back(OpenMedia(100 + i, Heuristics(float(kBlock)), true));
        ASSERT_TRUE(streams.back());
        ASSERT_EQ(streams.back()->Start(), SX_Success);
    }
    // Wait until the IO memory is used up and the IO thread has told every stream without data
    // that it cannot progress (it reaches them one by one, after the memory ran out).
    int withData = 0, starved = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((withData < 4 || starved < kStreams - 4) && std::chrono::steady_clock::now() < giveUp) {
        withData = starved = 0;
        for (ISxAutoStream* stream : streams) {
            uint32_t buffering = 0;
            SXRESULT result = stream->BufferingState(buffering);
            if (buffering > 0)
                ++withData;
            else if (result == SX_NoMoreData)
                ++starved;
        }
        std::this_thread::yield();
    }
    EXPECT_EQ(withData, 4);
    EXPECT_EQ(starved, kStreams - 4);

    std::vector<std::string> got(kStreams);
    std::vector<std::thread> readers;
    for (int i = 0; i < kStreams; ++i) readers.emplace_back([&, i] { got[i] = ReadAll(streams[i]); });
    for (std::thread& reader : readers) reader.join();
    for (int i = 0; i < kStreams; ++i) {
        EXPECT_TRUE(sxtest::SameBytes(got[i], files[i])) << "stream " << i;
        streams[i]->Destroy();
    }
}

// A device destroyed while a client still holds a stream waits a bounded time, reports, and
// keeps running until the client lets go; the manager then finishes it.
TEST_F(AutoStreamTest, DestroyingADeviceWithAnOpenStreamIsBounded) {
    m_tree.Write("Audio/18.med", FileBytes(50000, 18));
    StartDevice();
    ISxAutoStream* stream = OpenMedia(18, Heuristics(), true);
    ASSERT_TRUE(stream);
    ASSERT_EQ(stream->Start(), SX_Success);
    Debug::GlobalLogger logger;
    qvtest::StderrCapture log;
    EXPECT_EQ(StreamMgr::DestroyDevice(m_hook.DeviceID()), SX_Fail);
    EXPECT_NE(log.Text().find("did not stop"), std::string::npos);
    // Told to stop: the stream no longer reads.
    void* data;
    uint32_t size;
    SXRESULT result;
    while ((result = stream->NextBuffer(data, size, true)) == SX_DataReady) stream->ReturnBuffer();
    EXPECT_EQ(result, SX_NoDataReady);
    stream->Destroy();
    EXPECT_EQ(Mgr()->Destroy(), SX_Success);
}

}  // namespace
