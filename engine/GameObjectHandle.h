#pragma once
// A weak reference to a game object: the slot of the factory's object pool and the slot's
// generation when the reference was taken. It resolves to nothing once the slot's object has
// been deleted, even when the slot holds a new object by then.
#include <cstdint>

namespace SD {

class GameObject;
class ObjectPool;

class GameObjectHandle {
public:
    GameObjectHandle() = default;
    GameObjectHandle(uint32_t index, uint32_t generation, const ObjectPool* pool)
        : index_(index), generation_(generation), pool_(pool) {}

    GameObject* get() const;
    uint32_t GetIndex() const { return index_; }
    uint32_t GetGeneration() const { return generation_; }

    bool operator==(const GameObjectHandle& other) const {
        return index_ == other.index_ && generation_ == other.generation_ && pool_ == other.pool_;
    }
    bool operator!=(const GameObjectHandle& other) const { return !(*this == other); }
    // Ordered by slot alone, as the message system's per-object table keys them.
    bool operator<(const GameObjectHandle& other) const { return index_ < other.index_; }

private:
    uint32_t index_ = 0;
    uint32_t generation_ = 0;
    const ObjectPool* pool_ = nullptr;
};

}  // namespace SD
