#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "StreamFixture.h"

namespace {

using namespace SX;
using sxtest::FileBytes;
using sxtest::StreamTest;
using sxtest::Wide;

class StdStreamTest : public StreamTest {
protected:
    ISxStdStream* OpenBank(uint32_t id, bool syncOpen) {
        SxFileSystemFlags flags;  // a bank of our own
        ISxStdStream* stream = nullptr;
        EXPECT_EQ(Mgr()->CreateStd(id, &flags, SX_OpenModeRead, stream, syncOpen), SX_Success);
        return stream;
    }
};

TEST_F(StdStreamTest, ReadsAFileWholeInPiecesOpenedAtOnceOrByTheIOThread) {
    const std::string bytes = FileBytes(100000, 1);
    m_tree.Write("Audio/42.bnk", bytes);
    StartDevice();
    for (bool syncOpen : {true, false}) {
        ISxStdStream* stream = OpenBank(42, syncOpen);
        ASSERT_TRUE(stream);
        std::string got;
        std::vector<char> buffer(30000);
        uint32_t size = 0;
        do {
            ASSERT_EQ(stream->Read(buffer.data(), 30000, true, 50, 0.0f, size), SX_Success);
            got.append(buffer.data(), size);
        } while (size == 30000);
        EXPECT_TRUE(sxtest::SameBytes(got, bytes)) << "opened at once: " << syncOpen;
        bool endOfFile = false;
        EXPECT_EQ(stream->Tell(&endOfFile), 100000u);
        EXPECT_TRUE(endOfFile);
        SxStreamInfo info;
        stream->QueryInfo(info);
        EXPECT_EQ(info.size, 100000);
        EXPECT_TRUE(info.isOpen);
        // At the end a read of any size gives 0 bytes at once, without the IO thread.
        const int reads = m_hook.Reads();
        EXPECT_EQ(stream->Read(buffer.data(), 16, false, 50, 0.0f, size), SX_Success);
        EXPECT_EQ(m_hook.Reads(), reads);
        uint32_t done = 99;
        stream->Data(done);
        EXPECT_EQ(done, 0u);
        EXPECT_EQ(stream->Status(), SX_StmStatusCompleted);
        stream->Destroy();
    }
}

TEST_F(StdStreamTest, RefusesBadRequests) {
    m_tree.Write("Audio/1.bnk", FileBytes(64, 2));
    m_hook.m_blockSize = 4;
    StartDevice();
    ISxStdStream* stream = OpenBank(1, true);
    ASSERT_TRUE(stream);
    char buffer[64];
    uint32_t size;
    EXPECT_EQ(stream->Read(nullptr, 8, true, 50, 0.0f, size), SX_InvalidParameter);
    EXPECT_EQ(stream->Read(buffer, 8, true, 101, 0.0f, size), SX_InvalidParameter);
    EXPECT_EQ(stream->Read(buffer, 8, true, 50, -1.0f, size), SX_InvalidParameter);
    EXPECT_EQ(stream->Read(buffer, 6, true, 50, 0.0f, size), SX_Fail);  // not whole blocks
    int64_t moved = 0;
    EXPECT_EQ(stream->Seek(5, SX_MoveBegin, &moved), SX_Success);
    EXPECT_EQ(moved, 4);
    EXPECT_EQ(stream->Tell(), 4u);
    EXPECT_EQ(stream->Seek(-9, SX_MoveCurrent, &moved), SX_InvalidParameter);
    EXPECT_EQ(stream->Seek(0, static_cast<SxMoveMethod>(3), &moved), SX_InvalidParameter);
    EXPECT_EQ(stream->Seek(-8, SX_MoveEnd, &moved), SX_Success);
    EXPECT_EQ(stream->Tell(), 56u);
    ASSERT_EQ(stream->Read(buffer, 8, true, 50, 0.0f, size), SX_Success);
    EXPECT_EQ(std::string(buffer, 8), FileBytes(64, 2).substr(56));
    stream->Destroy();
}

TEST_F(StdStreamTest, WritesReachTheFile) {
    m_tree.Write("Audio/other.dat", "");  // the folder
    StartDevice();
    ISxStdStream* stream = nullptr;
    SxFileSystemFlags flags;
    ASSERT_EQ(Mgr()->CreateStd(L"saved.dat", &flags, SX_OpenModeWriteOvrwr, stream, true), SX_Success);
    const std::string bytes = FileBytes(40000, 3);  // more than one transfer
    uint32_t size = 0;
    ASSERT_EQ(stream->Write(const_cast<char*>(bytes.data()), 40000, true, 50, 0.0f, size), SX_Success);
    EXPECT_EQ(size, 40000u);
    stream->Destroy();
    EXPECT_EQ(m_tree.Read("Audio/saved.dat"), bytes);
}

TEST_F(StdStreamTest, DestroyWaitsForTheTransferInFlight) {
    m_tree.Write("Audio/5.bnk", FileBytes(4096, 5));
    StartDevice();
    ISxStdStream* stream = OpenBank(5, true);
    ASSERT_TRUE(stream);
    auto* buffer = new char[4096];
    m_hook.CloseGate();
    uint32_t size;
    ASSERT_EQ(stream->Read(buffer, 4096, false, 50, 0.0f, size), SX_Success);
    m_hook.WaitForReads(1);
    EXPECT_EQ(stream->Status(), SX_StmStatusPending);
    // The gate opens once Destroy has cancelled the request and waits for the transfer (the
    // stream lives until the IO thread is done with it, so it may still be asked).
    std::thread opener([&] {
        while (stream->Status() != SX_StmStatusCancelled) std::this_thread::yield();
        m_hook.OpenGate();
    });
    stream->Destroy();  // returns only once the IO thread is done with the buffer
    delete[] buffer;    // any later write into it would be caught by the address sanitizer
    opener.join();
    m_hook.Term();
    EXPECT_EQ(StreamMgr::GetFileLocationResolver(), nullptr);
}

TEST_F(StdStreamTest, CancelStopsAPendingRead) {
    m_tree.Write("Audio/6.bnk", FileBytes(3 * 16384, 6));
    StartDevice();
    ISxStdStream* stream = OpenBank(6, true);
    ASSERT_TRUE(stream);
    std::vector<char> buffer(3 * 16384);
    m_hook.CloseGate();
    uint32_t size;
    ASSERT_EQ(stream->Read(buffer.data(), 3 * 16384, false, 50, 0.0f, size), SX_Success);
    m_hook.WaitForReads(1);
    std::thread opener([&] {
        while (stream->Status() != SX_StmStatusCancelled) std::this_thread::yield();
        m_hook.OpenGate();
    });
    stream->Cancel();  // returns once the transfer in flight has ended
    opener.join();
    EXPECT_EQ(stream->Status(), SX_StmStatusCancelled);
    // The stream is usable again.
    ASSERT_EQ(stream->Read(buffer.data(), 16384, true, 50, 0.0f, size), SX_Success);
    EXPECT_TRUE(sxtest::SameBytes(std::string(buffer.data(), 16384), FileBytes(3 * 16384, 6).substr(0, 16384)));
    stream->Destroy();
}

// Two late requests of equal priority: the stream served longer ago goes first, though the
// other stands first in the device's list (the newest stream is at its head).
TEST_F(StdStreamTest, OfTwoLateStreamsTheOneServedLongerAgoGoesFirst) {
    m_tree.Write("Audio/8.bnk", FileBytes(4096, 8));
    StartDevice();
    ISxStdStream* older = OpenBank(8, true);
    ISxStdStream* newer = OpenBank(8, true);
    ISxStdStream* blocker = OpenBank(8, true);
    ASSERT_TRUE(older && newer && blocker);
    char a[16], b[16], c[16];
    uint32_t size;
    ASSERT_EQ(older->Read(a, 16, true, 50, 0.0f, size), SX_Success);  // served first
    ASSERT_EQ(newer->Read(b, 16, true, 50, 0.0f, size), SX_Success);  // served last
    m_hook.CloseGate();
    ASSERT_EQ(blocker->Read(c, 16, false, 50, 0.0f, size), SX_Success);
    m_hook.WaitForReads(3);  // the IO thread is held in the blocker's transfer
    ASSERT_EQ(newer->Read(b, 16, false, 50, 0.0f, size), SX_Success);
    ASSERT_EQ(older->Read(a, 16, false, 50, 0.0f, size), SX_Success);
    m_hook.OpenGate();
    while (older->Status() == SX_StmStatusPending || newer->Status() == SX_StmStatusPending) std::this_thread::yield();
    const std::vector<void*> order = m_hook.Buffers();
    ASSERT_EQ(order.size(), 5u);
    EXPECT_EQ(order[3], static_cast<void*>(a));
    EXPECT_EQ(order[4], static_cast<void*>(b));
    for (ISxStdStream* stream : {older, newer, blocker}) stream->Destroy();
}

TEST_F(StdStreamTest, AMissingFileOpenedLaterFailsTheRead) {
    StartDevice();  // deferred opening: the stream is made without looking at the disk
    ISxStdStream* stream = OpenBank(77, false);
    ASSERT_TRUE(stream);
    char buffer[16];
    uint32_t size;
    EXPECT_EQ(stream->Read(buffer, 16, true, 50, 0.0f, size), SX_Fail);
    EXPECT_EQ(stream->Status(), SX_StmStatusError);
    stream->Destroy();
}

}  // namespace
