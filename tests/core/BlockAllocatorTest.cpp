#include "core/BlockAllocator.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/os/VirtualMemory.h"

namespace {

using Mode = SD::BlockAllocator::Mode;

class BlockAllocatorModes : public testing::TestWithParam<Mode> {};

TEST_P(BlockAllocatorModes, RecordsEveryBlockWithItsIdAndTag) {
    SD::BlockAllocator allocator(GetParam());
    void* first = allocator.Allocate(0x1111);
    void* second = allocator.Allocate(0x2222);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    std::memset(first, 0xAA, SD::BlockAllocator::kDefaultBlockSize);
    std::memset(second, 0xBB, SD::BlockAllocator::kDefaultBlockSize);

    allocator.Free(first);
    void* third = allocator.Allocate(0x3333);
    ASSERT_NE(third, nullptr);
    allocator.Free(nullptr);

    ASSERT_EQ(allocator.RecordCount(), 3);
    EXPECT_EQ(allocator.FreedCount(), 1);
    const auto& records = allocator.Records();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(records[i].id, i + 1);
        EXPECT_EQ(records[i].size, 116u);
        EXPECT_EQ(records[i].mode, GetParam());
    }
    EXPECT_EQ(records[0].tag, 0x1111u);
    EXPECT_FALSE(records[0].live);
    EXPECT_TRUE(records[1].live);
    EXPECT_EQ(records[2].block, third);
    EXPECT_EQ(records[2].tag, 0x3333u);
    allocator.Free(second);
    allocator.Free(third);
    EXPECT_EQ(allocator.FreedCount(), 3);
}

TEST_P(BlockAllocatorModes, AnAddressHandedOutAgainCanBeFreedAgain) {
    SD::BlockAllocator allocator(GetParam());
    for (int i = 0; i < 20; ++i) allocator.Free(allocator.Allocate(0));
    EXPECT_EQ(allocator.FreedCount(), 20);
}

TEST_P(BlockAllocatorModes, FreeingABlockTwiceOrAStrangerStopsTheProgram) {
    EXPECT_DEATH(
        {
            SD::BlockAllocator allocator(GetParam());
            void* block = allocator.Allocate(0);
            allocator.Free(block);
            allocator.Free(block);
        },
        "");
    EXPECT_DEATH(
        {
            SD::BlockAllocator allocator(GetParam());
            int stranger = 0;
            allocator.Allocate(0);
            allocator.Free(&stranger);
        },
        "");
}

INSTANTIATE_TEST_SUITE_P(Both, BlockAllocatorModes, testing::Values(Mode::Heap, Mode::GuardPage),
                         [](const auto& info) { return info.param == Mode::Heap ? "Heap" : "GuardPage"; });

TEST(BlockAllocator, GuardedBlockEndsWhereTheGuardPageBegins) {
    const size_t page = platform::PageSize();
    struct Case {
        uint32_t size;
        uint32_t pages;
    };
    for (Case c : {Case{116, 2}, Case{1, 2}, Case{uint32_t(page), 2}, Case{uint32_t(page) + 1, 3}}) {
        SD::BlockAllocator allocator(Mode::GuardPage, c.size);
        char* block = static_cast<char*>(allocator.Allocate(0));
        ASSERT_NE(block, nullptr);
        const auto& record = allocator.Records()[0];
        EXPECT_EQ(record.pageCount, c.pages) << c.size;
        EXPECT_EQ(block + c.size, static_cast<char*>(record.reservation) + (c.pages - 1) * page) << c.size;
        std::memset(block, 0x5A, c.size);
        EXPECT_EQ(block[c.size - 1], 0x5A);
    }
}

TEST(BlockAllocatorDeathTest, GuardPagesCatchOverrunsAndUseAfterFree) {
    SD::BlockAllocator allocator(Mode::GuardPage);
    char* block = static_cast<char*>(allocator.Allocate(0));
    ASSERT_NE(block, nullptr);
    volatile char* overrun = block + SD::BlockAllocator::kDefaultBlockSize;
    EXPECT_DEATH(*overrun = 1, "");

    allocator.Free(block);
    volatile char* freed = block;
    EXPECT_DEATH(*freed = 1, "");
    EXPECT_DEATH((void)*freed, "");
}

TEST(BlockAllocator, NoAllocatorIsInstalledByDefault) {
    EXPECT_EQ(SD::GetBlockAllocator(), nullptr);
    SD::BlockAllocator allocator;
    SD::SetBlockAllocator(&allocator);
    EXPECT_EQ(SD::GetBlockAllocator(), &allocator);
    SD::SetBlockAllocator(nullptr);
}

}  // namespace
