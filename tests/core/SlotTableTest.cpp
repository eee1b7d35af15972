#include <gtest/gtest.h>

#include "core/SlotTable.h"

namespace {

using Table = SD::SlotTable<int>;

TEST(SlotTableTest, SearchesGoOnFromTheCursorAndWrapFromTheCapacityToOne) {
    int a = 0, b = 0, c = 0, d = 0;
    Table table(5);
    EXPECT_EQ(table.Size(), 6u);
    EXPECT_EQ(table.NextFreeSlot(), 0u) << "a fresh table's cursor stands on slot 0";
    table[0].object = &a;
    table[1].object = &a;
    table[2].object = &b;
    table[4].object = &c;
    table.SetCursor(1);
    EXPECT_EQ(table.NextFreeSlot(), 3u);
    EXPECT_EQ(table.Cursor(), 3u);
    table[3].object = &d;
    EXPECT_EQ(table.NextFreeSlot(), 5u);
    table[5].object = &d;
    table[2].object = nullptr;
    EXPECT_EQ(table.NextFreeSlot(), 2u) << "wraps from 5 to 1, never back to 0";
}

TEST(SlotTableTest, AFullTableYieldsNoSlotAndKeepsItsCursor) {
    int taken = 0;
    struct Case {
        uint32_t capacity;
        uint32_t cursor;
        bool slotZeroTaken;
    };
    for (const Case& c : {Case{5, 3, true}, Case{5, 0, true}, Case{1, 1, true}, Case{500, 250, false}}) {
        Table table(c.capacity, 7);
        for (uint32_t i = 1; i <= c.capacity; ++i) table[i].object = &taken;
        if (c.slotZeroTaken) table[0].object = &taken;
        table.SetCursor(c.cursor);
        const uint32_t found = table.NextFreeSlot();
        if (c.cursor == 0 && !c.slotZeroTaken) {
            EXPECT_EQ(found, 0u);
            continue;
        }
        EXPECT_EQ(found, Table::kNoSlot) << c.capacity << " " << c.cursor;
        EXPECT_EQ(table.Cursor(), c.cursor);
        EXPECT_EQ(table[1].word, 7u);
    }
    Table empty(0);
    empty[0].object = &taken;
    EXPECT_EQ(empty.NextFreeSlot(), Table::kNoSlot) << "no capacity: no division by zero, no endless search";
}

}  // namespace
