#include <gtest/gtest.h>

#include <vector>

#include "SxTestMemory.h"
#include "sound/engine/SxArray.h"
#include "sound/engine/SxPoolList.h"

namespace {

using namespace SX;

TEST(SxPoolList, PreallocatedNodesThenPoolNodesUpToTheMaximum) {
    sxtest::TestMemory memory;
    SxPoolList<uint32_t> list;
    EXPECT_EQ(list.AddFirst(1), nullptr);  // not initialised
    ASSERT_EQ(list.Init(2, 4, g_DefaultPoolId), SX_Success);
    const uint32_t withBlock = memory.Used();
    ASSERT_NE(list.AddFirst(1), nullptr);
    ASSERT_NE(list.AddFirst(2), nullptr);
    EXPECT_EQ(memory.Used(), withBlock);  // from the block
    ASSERT_NE(list.Set(3), nullptr);
    EXPECT_GT(memory.Used(), withBlock);   // from the pool
    EXPECT_EQ(list.Set(3), list.Find(3));  // no duplicate
    ASSERT_NE(list.AddFirst(4), nullptr);
    EXPECT_EQ(list.AddFirst(5), nullptr);  // maximum reached
    std::vector<uint32_t> items;
    for (uint32_t item : list) items.push_back(item);
    EXPECT_EQ(items, (std::vector<uint32_t>{4, 3, 2, 1}));
    EXPECT_EQ(list.Remove(3), SX_Success);
    EXPECT_EQ(list.Remove(3), SX_Fail);
    EXPECT_EQ(list.Remove(4), SX_Success);
    EXPECT_EQ(memory.Used(), withBlock);  // pool nodes freed on removal
    list.Term();
    EXPECT_EQ(memory.Used(), 0u);
}

TEST(SxArray, GrowsByItsStepAndKeepsOrderOnErase) {
    sxtest::TestMemory memory;
    SxArray<int> array(8);
    for (int i = 0; i < 9; ++i) ASSERT_TRUE(array.AddLast(i));
    EXPECT_EQ(array.Capacity(), 16u);
    array.Erase(2);
    array.EraseSwap(0);
    EXPECT_EQ(std::vector<int>(array.begin(), array.end()), (std::vector<int>{8, 1, 3, 4, 5, 6, 7}));
    EXPECT_EQ(array.Find(5), 4);
    EXPECT_EQ(array.Find(2), -1);
    array.Term();
    EXPECT_EQ(array.Capacity(), 0u);
    EXPECT_EQ(memory.Used(), 0u);
}

}  // namespace
