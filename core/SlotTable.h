#pragma once
// Slots handed out by index. Indices run from 1 to the capacity; slot 0 exists too and is only
// handed out while the cursor still stands on it (the very first search of a fresh table). Each
// slot holds an object (null while free) and a word of its owner's (a generation, say). A search
// goes on from where the last one stopped and wraps from the capacity to 1.
#include <cstdint>
#include <vector>

namespace SD {

template <class T>
class SlotTable {
public:
    static constexpr uint32_t kNoSlot = 0xFFFFFFFFu;

    struct Slot {
        T* object = nullptr;
        uint32_t word = 0;
    };

    explicit SlotTable(uint32_t capacity, uint32_t word = 0)
        : slots_(capacity + 1, Slot{nullptr, word}), capacity_(capacity) {}

    // The first free slot at or after the cursor, which moves there. A full table yields kNoSlot
    // and leaves the cursor where it was: the search looks at every slot once at most.
    uint32_t NextFreeSlot() {
        uint32_t index = cursor_;
        for (uint32_t step = 0; step <= capacity_; ++step) {
            if (!slots_[index].object) {
                cursor_ = index;
                return index;
            }
            index = capacity_ ? index % capacity_ + 1 : 0;
        }
        return kNoSlot;
    }

    Slot& operator[](uint32_t index) { return slots_[index]; }
    const Slot& operator[](uint32_t index) const { return slots_[index]; }
    // Every slot, slot 0 included.
    uint32_t Size() const { return static_cast<uint32_t>(slots_.size()); }
    uint32_t Capacity() const { return capacity_; }
    uint32_t Cursor() const { return cursor_; }
    void SetCursor(uint32_t cursor) { cursor_ = cursor < Size() ? cursor : 0; }

private:
    std::vector<Slot> slots_;
    uint32_t capacity_;
    uint32_t cursor_ = 0;
};

}  // namespace SD
