#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <random>
#include <thread>
#include <vector>

#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "SxTestMemory.h"

using namespace SX;

namespace {

// Records of type 20 carry a sequence number and a payload of their own length.
constexpr uint16_t kTestType = 20;
std::vector<uint32_t> g_applied;
std::atomic<size_t> g_appliedCount{0};

struct TestRecord {
    SxQueuedMsgHeader header{0, kTestType};
    uint32_t sequence = 0;
    uint8_t payload[2040] = {};
};

void RecordApplied(const SxQueuedMsgHeader& header) {
    const auto& r = reinterpret_cast<const TestRecord&>(header);
    const uint32_t bytes = std::min<uint32_t>(header.size - 8, sizeof r.payload);
    for (uint32_t i = 0; i < bytes; ++i) ASSERT_EQ(r.payload[i], static_cast<uint8_t>(r.sequence + i));
    g_applied.push_back(r.sequence);
    ++g_appliedCount;
}

class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_applied.clear();
        g_appliedCount = 0;
    }
    void TearDown() override {
        mgr.Term();
        CSxLEngine::Term();
    }
    void Init(uint32_t queueBytes) {
        SxInitSettings settings;
        settings.commandQueueSize = queueBytes;
        ASSERT_EQ(mgr.Init(settings), SX_Success);
        mgr.SetHandler(kTestType, RecordApplied);
    }
    SXRESULT Post(uint32_t sequence, uint32_t size) {
        TestRecord r;
        r.sequence = sequence;
        for (uint32_t i = 0; i + 8 < size && i < sizeof r.payload; ++i)
            r.payload[i] = static_cast<uint8_t>(sequence + i);
        return mgr.Enqueue(r.header, size);
    }
    sxtest::TestMemory memory;
    CSxAudioMgr mgr;
};

TEST_F(MessageQueueTest, RandomRecordsAcrossChunksMatchAModel) {
    Init(64 * 2048);
    std::mt19937 random(7);
    std::vector<uint32_t> model;  // applied so far, in order
    std::deque<uint32_t> closed, open;
    uint32_t next = 0;
    uint32_t maxChunks = 0;
    for (int step = 0; step < 3000; ++step) {
        const uint32_t action = random() % 10;
        if (action < 7) {
            const uint32_t size = 8 + 8 * (random() % 150);  // 8 to 1200 bytes
            ASSERT_EQ(Post(next, size), SX_Success);
            open.push_back(next++);
        } else if (action < 8) {
            mgr.RenderAudio();
            closed.insert(closed.end(), open.begin(), open.end());
            open.clear();
        } else {
            mgr.ProcessMsgQueue();
            model.insert(model.end(), closed.begin(), closed.end());
            closed.clear();
        }
        maxChunks = std::max(maxChunks, mgr.ChunkCount());
        ASSERT_EQ(g_applied, model) << "step " << step;
    }
    EXPECT_GT(maxChunks, 2u) << "the ring grew by inserting chunks";
    EXPECT_LE(maxChunks, 64u);
}

TEST_F(MessageQueueTest, NothingAppliesBeforeRenderAudioAndAnEmptyRenderQueuesNothing) {
    Init(0x40000);
    mgr.RenderAudio();  // empty: nothing queued
    ASSERT_EQ(Post(1, 16), SX_Success);
    ASSERT_EQ(Post(2, 16), SX_Success);
    mgr.ProcessMsgQueue();
    EXPECT_TRUE(g_applied.empty());
    mgr.RenderAudio();
    ASSERT_EQ(Post(3, 16), SX_Success);
    mgr.ProcessMsgQueue();
    EXPECT_EQ(g_applied, (std::vector<uint32_t>{1, 2}));
    mgr.RenderAudio();
    mgr.RenderAudio();  // only the end-of-batch record is queued: a batch of its own
    mgr.ProcessMsgQueue();
    EXPECT_EQ(g_applied, (std::vector<uint32_t>{1, 2, 3}));
}

TEST_F(MessageQueueTest, FullTwoChunkQueueWithoutAudioThreadRefusesAndStillRenders) {
    Init(4096);  // two chunks
    EXPECT_EQ(Post(0, 2049), SX_MessageTooLarge);
    ASSERT_EQ(Post(0, 2048), SX_Success);
    ASSERT_EQ(Post(1, 2048), SX_Success);
    EXPECT_EQ(Post(2, 8), SX_InsufficientMemory);
    EXPECT_EQ(mgr.ChunkCount(), 2u);
    mgr.RenderAudio();  // no room for the end of the batch: the reader takes everything queued
    mgr.ProcessMsgQueue();
    EXPECT_EQ(g_applied, (std::vector<uint32_t>{0, 1}));
    ASSERT_EQ(Post(2, 8), SX_Success);
    mgr.ProcessMsgQueue();
    EXPECT_EQ(g_applied.size(), 2u) << "later records wait for their own batch again";
    mgr.RenderAudio();
    mgr.ProcessMsgQueue();
    EXPECT_EQ(g_applied, (std::vector<uint32_t>{0, 1, 2}));
}

TEST_F(MessageQueueTest, WriterBlockedOnAFullQueueIsReleasedByTheAudioThread) {
    Init(4096);
    ASSERT_EQ(mgr.Start(SxThreadProperties{}), SX_Success);
    // Far more than two chunks hold, and no RenderAudio: the writer waits for the reader,
    // which ignores batch bounds while a writer waits.
    for (uint32_t i = 0; i < 200; ++i) ASSERT_EQ(Post(i, 1000), SX_Success) << i;
    mgr.RenderAudio();
    for (int spin = 0; spin < 2000 && g_appliedCount < 200; ++spin)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    mgr.StopThread();
    ASSERT_EQ(g_applied.size(), 200u);
    for (uint32_t i = 0; i < 200; ++i) ASSERT_EQ(g_applied[i], i);
    EXPECT_EQ(mgr.ChunkCount(), 2u);
}

}  // namespace

namespace {

TEST(ChunkRing, ChunkInsertedBeforeTheReadChunkKeepsTheOrder) {
    sxtest::TestMemory memory;
    SxChunkRing ring;
    ASSERT_EQ(ring.Init(8, g_DefaultPoolId), SX_Success);
    uint32_t record[64];  // 256-byte records: 8 fill a chunk
    auto append = [&](uint32_t value) {
        record[0] = value;
        return ring.Append(record, sizeof record);
    };
    std::vector<uint32_t> read;
    auto drain = [&] {
        const uint8_t* block;
        uint32_t bytes;
        while (ring.PeekBlock(block, bytes)) {
            for (uint32_t at = 0; at < bytes; at += sizeof record)
                read.push_back(*reinterpret_cast<const uint32_t*>(block + at));
            ring.Commit(bytes);
        }
    };
    uint32_t next = 0;
    for (int i = 0; i < 9; ++i) ASSERT_EQ(append(next++), SX_Success);          // chunk 0 full, one in chunk 1
    drain();                                                                    // the reader now stands in chunk 1
    for (int i = 0; i < 7 + 8 + 3; ++i) ASSERT_EQ(append(next++), SX_Success);  // rest of 1, all of 0, then a new chunk
    EXPECT_EQ(ring.ChunkCount(), 3u);
    drain();
    ASSERT_EQ(read.size(), next);
    for (uint32_t i = 0; i < next; ++i) EXPECT_EQ(read[i], i);
    EXPECT_TRUE(ring.IsEmpty());
}

}  // namespace
