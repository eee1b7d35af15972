#include "engine/ObjectPool.h"

#include "core/Logger.h"

namespace SD {

GameObject* GameObjectHandle::get() const { return pool_ ? pool_->Resolve(index_, generation_) : nullptr; }

ObjectPool::ObjectPool(uint32_t capacity) : capacity_(capacity < 1 ? 1 : capacity) {
    slots_.resize(static_cast<size_t>(capacity_) + 1);
}

GameObjectHandle ObjectPool::Acquire(GameObject* object) {
    for (uint32_t tried = 0; tried < capacity_; ++tried) {
        Slot& slot = slots_[cursor_];
        if (!slot.object) {
            slot.object = object;
            ++liveCount_;
            return GameObjectHandle(cursor_, slot.generation, this);
        }
        cursor_ = cursor_ % capacity_ + 1;
    }
    SD_WARNING(Debug::kLogData, "The object pool is full (%u objects); no object was created.", capacity_);
    return GameObjectHandle();
}

void ObjectPool::Release(GameObject* object, const GameObjectHandle& handle) {
    if (handle.GetIndex() >= slots_.size()) return;
    Slot& slot = slots_[handle.GetIndex()];
    if (slot.object != object || slot.generation != handle.GetGeneration()) return;
    slot.object = nullptr;
    ++slot.generation;
    --liveCount_;
}

GameObject* ObjectPool::Resolve(uint32_t index, uint32_t generation) const {
    if (index >= slots_.size()) return nullptr;
    const Slot& slot = slots_[index];
    return slot.object && slot.generation == generation ? slot.object : nullptr;
}

}  // namespace SD
