#include "game/fireflies/FireflyGroupTable.h"

namespace QV {

FireflyGroup* FireflyGroupHandle::Get() const { return table ? table->Resolve(*this) : nullptr; }

FireflyGroupTable::FireflyGroupTable() : slots_(kCapacity + 1) {}

uint32_t FireflyGroupTable::NextFreeSlot() {
    while (slots_[cursor_].group) cursor_ = cursor_ % kCapacity + 1;
    return cursor_;
}

bool FireflyGroupTable::Register(FireflyGroup* group) {
    // With slot 0 free, 500 live groups fill slots 1..500 and the search would never end.
    if (IsFull()) return false;
    const uint32_t index = NextFreeSlot();
    slots_[index].group = group;
    ++live_;
    group->handle = FireflyGroupHandle{index, slots_[index].generation, this};
    return true;
}

FireflyGroup* FireflyGroupTable::Resolve(const FireflyGroupHandle& handle) const {
    if (handle.table != this || handle.index >= slots_.size()) return nullptr;
    const Slot& slot = slots_[handle.index];
    return slot.generation == handle.generation ? slot.group : nullptr;
}

void FireflyGroupTable::Release(const FireflyGroupHandle& handle) {
    FireflyGroup* group = Resolve(handle);
    if (!group) return;
    Slot& slot = slots_[handle.index];
    delete group;
    slot.group = nullptr;
    ++slot.generation;
    --live_;
}

void FireflyGroupTable::Clear() {
    for (Slot& slot : slots_) {
        if (!slot.group) continue;
        delete slot.group;
        slot.group = nullptr;
        ++slot.generation;
    }
    live_ = 0;
}

}  // namespace QV
