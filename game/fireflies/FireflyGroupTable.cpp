#include "game/fireflies/FireflyGroupTable.h"

namespace QV {

FireflyGroup* FireflyGroupHandle::Get() const { return table ? table->Resolve(*this) : nullptr; }

bool FireflyGroupTable::Register(FireflyGroup* group) {
    if (IsFull()) return false;
    const uint32_t index = slots_.NextFreeSlot();
    if (index == SD::SlotTable<FireflyGroup>::kNoSlot) return false;
    slots_[index].object = group;
    ++live_;
    group->handle = FireflyGroupHandle{index, slots_[index].word, this};
    return true;
}

FireflyGroup* FireflyGroupTable::Resolve(const FireflyGroupHandle& handle) const {
    if (handle.table != this || handle.index >= slots_.Size()) return nullptr;
    const auto& slot = slots_[handle.index];
    return slot.word == handle.generation ? slot.object : nullptr;
}

void FireflyGroupTable::Release(const FireflyGroupHandle& handle) {
    FireflyGroup* group = Resolve(handle);
    if (!group) return;
    auto& slot = slots_[handle.index];
    delete group;
    slot.object = nullptr;
    ++slot.word;
    --live_;
}

void FireflyGroupTable::Clear() {
    for (uint32_t i = 0; i < slots_.Size(); ++i) {
        auto& slot = slots_[i];
        if (!slot.object) continue;
        delete slot.object;
        slot.object = nullptr;
        ++slot.word;
    }
    live_ = 0;
}

}  // namespace QV
