#pragma once
// The table of object slots that handles resolve against. A slot keeps its object and a
// generation that moves on each time its object is released.
#include <cstdint>
#include <vector>

#include "engine/GameObjectHandle.h"

namespace SD {

class ObjectPool {
public:
    struct Slot {
        GameObject* object = nullptr;
        uint32_t generation = 1;
    };

    // Room for `capacity` objects (at least one) in slots 1 to capacity. Slot 0 is never handed
    // out, so a handle with slot 0 never names a live object.
    explicit ObjectPool(uint32_t capacity);
    ObjectPool(const ObjectPool&) = delete;
    ObjectPool& operator=(const ObjectPool&) = delete;

    // Stores the object in the next free slot from the search cursor and returns its handle;
    // an empty handle (logged) when every slot is taken.
    GameObjectHandle Acquire(GameObject* object);
    // Frees the slot when it still holds the object under that handle's generation.
    void Release(GameObject* object, const GameObjectHandle& handle);

    GameObject* Resolve(uint32_t index, uint32_t generation) const;
    uint32_t GetCapacity() const { return capacity_; }
    uint32_t GetLiveCount() const { return liveCount_; }
    const std::vector<Slot>& GetSlots() const { return slots_; }

private:
    std::vector<Slot> slots_;
    uint32_t capacity_;
    uint32_t liveCount_ = 0;
    uint32_t cursor_ = 1;
};

}  // namespace SD
