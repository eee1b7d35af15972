#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "core/SizeClassPool.h"

namespace {

using SD::SizeClassPool;

uintptr_t Address(void* p) { return reinterpret_cast<uintptr_t>(p); }

TEST(SizeClassPool, ObjectsOfOneSizeLieOneAfterAnotherApartFromOtherSizes) {
    SizeClassPool pool;
    struct Case {
        size_t size, stride;
    } cases[] = {{1, 16}, {16, 16}, {17, 32}, {200, 208}, {600, 608}, {2048, 2048}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::vector<void*> blocks;
        for (int i = 0; i < 20; ++i) {
            blocks.push_back(pool.Allocate(c.size));
            pool.Allocate(40);  // another size in between takes none of this size's room
        }
        for (size_t i = 1; i < blocks.size(); ++i) EXPECT_EQ(Address(blocks[i]) - Address(blocks[i - 1]), c.stride);
        for (void* block : blocks) EXPECT_EQ(Address(block) % 16, 0u);
    }
}

TEST(SizeClassPool, FreedBlocksAreReusedAndNeighboursKeepTheirContent) {
    SizeClassPool pool;
    std::vector<unsigned char*> blocks;
    for (int i = 0; i < 64; ++i) {
        blocks.push_back(static_cast<unsigned char*>(pool.Allocate(100)));
        std::memset(blocks.back(), i, 100);
    }
    for (int i = 0; i < 64; i += 2) pool.Free(blocks[i], 100);
    // The last freed comes back first, for any size of the same class.
    void* again = pool.Allocate(112);
    EXPECT_EQ(again, blocks[62]);
    std::memset(again, 0xEE, 112);
    for (int i = 1; i < 64; i += 2)
        for (int k = 0; k < 100; ++k) ASSERT_EQ(blocks[i][k], i) << i;
    EXPECT_NE(pool.Allocate(100), again);
}

TEST(SizeClassPool, LargeAndEmptyRequestsAndChunkGrowth) {
    SizeClassPool pool;
    void* large = pool.Allocate(SizeClassPool::kLargestPooled + 1);
    ASSERT_NE(large, nullptr);
    std::memset(large, 1, SizeClassPool::kLargestPooled + 1);
    pool.Free(large, SizeClassPool::kLargestPooled + 1);
    void* empty = pool.Allocate(0);
    EXPECT_NE(empty, nullptr);
    pool.Free(empty, 0);
    pool.Free(nullptr, 64);
    const size_t before = pool.ChunkCount();

    // 64, 128, 256 ... KB chunks, up to 2 MB ones aligned to their size.
    constexpr size_t kSize = 1024;
    void* last = nullptr;
    size_t total = 0;
    while (total < 8 * SizeClassPool::kLargestChunkBytes) {
        last = pool.Allocate(kSize);
        total += kSize;
    }
    const size_t chunks = pool.ChunkCount() - before;
    // 64 K + 128 K + 256 K + 512 K + 1 M hold 1984 blocks; the other 14400 of the 16 M fill
    // seven 2 M chunks and start an eighth.
    EXPECT_EQ(chunks, 13u);
    void* fresh = nullptr;
    for (;;) {  // the first block of a new 2 MB chunk
        fresh = pool.Allocate(kSize);
        if (Address(fresh) != Address(last) + kSize) break;
        last = fresh;
    }
    EXPECT_EQ(Address(fresh) % SizeClassPool::kLargestChunkBytes, 0u);
}

TEST(SizeClassPool, ThreadsAllocateAndFreeTogether) {
    SizeClassPool pool;
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&pool, &failures, t] {
            std::vector<unsigned char*> mine;
            for (int round = 0; round < 200; ++round) {
                for (int i = 0; i < 20; ++i) {
                    auto* block = static_cast<unsigned char*>(pool.Allocate(48));
                    std::memset(block, t + 1, 48);
                    mine.push_back(block);
                }
                for (unsigned char* block : mine)
                    for (int k = 0; k < 48; ++k) failures[t] += block[k] != t + 1;
                for (unsigned char* block : mine) pool.Free(block, 48);
                mine.clear();
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(failures[t], 0) << t;
}

}  // namespace
