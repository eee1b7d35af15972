#pragma once
// The slots that own every firefly group: 501 slots of which 500 may be live at once. Slot 0 is
// only handed out by the very first search; later searches go on from where the last stopped and
// wrap from the last slot to 1. Releasing a slot destroys its group and bumps its generation so
// that old handles stop resolving.
#include <cstdint>

#include "core/SlotTable.h"
#include "game/fireflies/FireflyGroup.h"

namespace QV {

class FireflyGroupTable {
public:
    static constexpr uint32_t kCapacity = 500;

    FireflyGroupTable() = default;
    ~FireflyGroupTable() { Clear(); }
    FireflyGroupTable(const FireflyGroupTable&) = delete;
    FireflyGroupTable& operator=(const FireflyGroupTable&) = delete;

    // Takes ownership and stores the group's handle in it; false (the group untouched and still
    // the caller's) when the table is full.
    bool Register(FireflyGroup* group);
    // Destroys the group behind the handle; a stale handle does nothing.
    void Release(const FireflyGroupHandle& handle);
    FireflyGroup* Resolve(const FireflyGroupHandle& handle) const;
    uint32_t LiveCount() const { return live_; }
    bool IsFull() const { return live_ >= kCapacity; }
    // Destroys every group.
    void Clear();

private:
    // Each slot's word is its generation.
    SD::SlotTable<FireflyGroup> slots_{kCapacity, 1};
    uint32_t live_ = 0;
};

}  // namespace QV
