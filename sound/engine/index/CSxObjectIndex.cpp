#include "sound/engine/index/CSxObjectIndex.h"

#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

CSxObjectIndex* g_pObjectIndex = nullptr;

uint32_t CSxIndexable::AddRef() {
    if (!g_pObjectIndex) return ++m_refCount;
    platform::Lock lock(g_pObjectIndex->Table(m_table).Lock());
    return ++m_refCount;
}

uint32_t CSxIndexable::Release() {
    if (!g_pObjectIndex) {
        uint32_t count = --m_refCount;
        if (count == 0) Destroy();
        return count;
    }
    SxIDTable& table = g_pObjectIndex->Table(m_table);
    platform::Lock lock(table.Lock());
    uint32_t count = --m_refCount;
    if (count == 0) {
        // Leaves the table inside the lock, so that no look-up can find it any more.
        table.Remove(this);
        Destroy();
    }
    return count;
}

void CSxIndexable::Destroy() { SxDelete(g_DefaultPoolId, this); }

CSxIndexable* SxIDTable::GetPtrAndAddRef(SxUniqueID id) {
    platform::Lock lock(m_lock);
    for (CSxIndexable* item = m_buckets[id % kBuckets]; item; item = item->m_pNextItem) {
        if (item->m_id == id) {
            ++item->m_refCount;
            return item;
        }
    }
    return nullptr;
}

void SxIDTable::Add(CSxIndexable* item) {
    platform::Lock lock(m_lock);
    CSxIndexable*& head = m_buckets[item->m_id % kBuckets];
    item->m_pNextItem = head;
    head = item;
    ++m_count;
}

void SxIDTable::Remove(CSxIndexable* item) {
    platform::Lock lock(m_lock);
    for (CSxIndexable** link = &m_buckets[item->m_id % kBuckets]; *link; link = &(*link)->m_pNextItem) {
        if (*link == item) {
            *link = item->m_pNextItem;
            item->m_pNextItem = nullptr;
            --m_count;
            return;
        }
    }
}

std::vector<CSxIndexable*> SxIDTable::Items() {
    platform::Lock lock(m_lock);
    std::vector<CSxIndexable*> items;
    items.reserve(m_count);
    for (CSxIndexable* head : m_buckets)
        for (CSxIndexable* item = head; item; item = item->m_pNextItem) items.push_back(item);
    return items;
}

void SxIDTable::Clear() {
    platform::Lock lock(m_lock);
    for (CSxIndexable*& head : m_buckets) head = nullptr;
    m_count = 0;
}

void CSxObjectIndex::Init() {
    for (SxIDTable& table : m_tables) table.Clear();
}

void CSxObjectIndex::Term() {
    for (SxIndexTable kind : {SxIndex_Node, SxIndex_FxCustom}) {
        SxIDTable& table = m_tables[kind];
        platform::Lock lock(table.Lock());
        for (CSxIndexable* item : table.Items())
            if (item->ID() & SxEngineMadeIDBit) item->Release();
    }
}

}  // namespace SX
