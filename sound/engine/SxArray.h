#pragma once
// The engine's growable array of plain records {begin, end, capacity}, in a memory pool,
// growing by a fixed number of items for each kind of array.
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

template <typename T>
class SxArray {
    static_assert(std::is_trivially_copyable_v<T>, "items are moved as bytes");

public:
    explicit SxArray(uint32_t growBy, SxMemPoolId pool = g_DefaultPoolId)
        : m_growBy(growBy ? growBy : 1), m_pool(pool) {}
    ~SxArray() { Term(); }
    SxArray(const SxArray&) = delete;
    SxArray& operator=(const SxArray&) = delete;

    T* Data() { return m_items; }
    const T* Data() const { return m_items; }
    uint32_t Length() const { return m_length; }
    uint32_t Capacity() const { return m_capacity; }
    bool IsEmpty() const { return m_length == 0; }
    T& operator[](uint32_t i) { return m_items[i]; }
    const T& operator[](uint32_t i) const { return m_items[i]; }
    T* begin() { return m_items; }
    T* end() { return m_items + m_length; }
    const T* begin() const { return m_items; }
    const T* end() const { return m_items + m_length; }

    // Grows to at least count items; false when the pool has no room (nothing changes).
    bool Reserve(uint32_t count) {
        if (count <= m_capacity) return true;
        T* items = static_cast<T*>(MemoryMgr::Malloc(m_pool, sizeof(T) * count));
        if (!items) return false;
        if (m_length) std::memcpy(static_cast<void*>(items), m_items, sizeof(T) * m_length);
        MemoryMgr::Free(m_pool, m_items);
        m_items = items;
        m_capacity = count;
        return true;
    }
    // False when the array is full and cannot grow.
    bool AddLast(const T& item) {
        if (m_length == m_capacity && !Reserve(m_capacity + m_growBy)) return false;
        m_items[m_length++] = item;
        return true;
    }
    // Keeps the order of the later items.
    void Erase(uint32_t index) {
        std::memmove(static_cast<void*>(m_items + index), m_items + index + 1, sizeof(T) * (m_length - index - 1));
        --m_length;
    }
    // Puts the last item in the erased one's place.
    void EraseSwap(uint32_t index) { m_items[index] = m_items[--m_length]; }
    int32_t Find(const T& item) const {
        for (uint32_t i = 0; i < m_length; ++i)
            if (std::memcmp(&m_items[i], &item, sizeof(T)) == 0) return static_cast<int32_t>(i);
        return -1;
    }
    void RemoveAll() { m_length = 0; }
    // Moves an empty array to another pool.
    void SetPool(SxMemPoolId pool) {
        Term();
        m_pool = pool;
    }
    // Frees the buffer and zeroes the three fields.
    void Term() {
        MemoryMgr::Free(m_pool, m_items);
        m_items = nullptr;
        m_length = m_capacity = 0;
    }

private:
    T* m_items = nullptr;
    uint32_t m_length = 0;
    uint32_t m_capacity = 0;
    uint32_t m_growBy;
    SxMemPoolId m_pool;
};

}  // namespace SX
