#pragma once
// Every object loaded from banks or made by the engine, in ten typed tables of 193 buckets,
// found by ID and held by reference count.
#include <cstdint>
#include <vector>

#include "platform/os/Threads.h"
#include "sound/engine/index/CSxIndexable.h"

namespace SX {

class SxIDTable {
public:
    static constexpr uint32_t kBuckets = 193;

    // The item with a reference added, or null.
    CSxIndexable* GetPtrAndAddRef(SxUniqueID id);
    // Pushes at the head of its bucket; the caller makes sure the ID is not there yet.
    void Add(CSxIndexable* item);
    // Unlinks the item when it is in the table.
    void Remove(CSxIndexable* item);
    uint32_t Count() const { return m_count; }
    // Every item, bucket by bucket (a snapshot taken under the lock).
    std::vector<CSxIndexable*> Items();
    // Recursive: Release re-enters it when an object leaves the table.
    platform::CriticalSection& Lock() { return m_lock; }
    void Clear();

private:
    platform::CriticalSection m_lock;
    CSxIndexable* m_buckets[kBuckets] = {};
    uint32_t m_count = 0;
};

class CSxObjectIndex {
public:
    ~CSxObjectIndex() = default;

    // Empties every table.
    void Init();
    // Releases the objects the engine made itself (IDs with bit 31 set) from the node and
    // custom-effect tables.
    void Term();

    CSxIndexable* GetPtrAndAddRef(SxIndexTable table, SxUniqueID id) { return m_tables[table].GetPtrAndAddRef(id); }
    // Enters a new object in its table (count + 1).
    void AddToIndex(CSxIndexable* item) { m_tables[item->Table()].Add(item); }
    void RemoveID(CSxIndexable* item) { m_tables[item->Table()].Remove(item); }
    SxIDTable& Table(SxIndexTable table) { return m_tables[table]; }

private:
    SxIDTable m_tables[SxIndex_TableCount];
};

// The engine's object index; null outside the engine's life.
extern CSxObjectIndex* g_pObjectIndex;

// Runs fn under the lock of a table of the index (without one, as it is): the lock a reference
// count is taken and an object destroyed under. A global kept under it can never be taken in
// the other order with them.
template <typename Fn>
auto SxUnderTableLock(SxIndexTable table, Fn fn) {
    if (!g_pObjectIndex) return fn();
    platform::Lock lock(g_pObjectIndex->Table(table).Lock());
    return fn();
}

}  // namespace SX
