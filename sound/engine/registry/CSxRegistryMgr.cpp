#include "sound/engine/registry/CSxRegistryMgr.h"

namespace SX {

CSxRegistryMgr* g_pRegistryMgr = nullptr;

SXRESULT CSxRegistryMgr::Init() {
    m_pool = g_DefaultPoolId;
    for (Item*& head : m_buckets) head = nullptr;
    m_count = 0;
    if (m_modifiedNodes.Init(8, 0, m_pool) != SX_Success) return SX_InsufficientMemory;
    CSxRegisteredObj* global = RegisterObject(0);
    if (!global) return SX_Fail;
    SxSoundPosition origin;
    return global->SetPositions(&origin, 1, 0, 0);
}

void CSxRegistryMgr::Term() {
    if (m_pool == SxInvalidPoolId) return;
    UnregisterObject(0);
    for (Item*& head : m_buckets)
        while (head) Unlink(&head);
    m_modifiedNodes.Term();
    m_pool = SxInvalidPoolId;
}

CSxRegisteredObj* CSxRegistryMgr::Find(SxGameObjectID id) const {
    for (Item* item = m_buckets[id % kBuckets]; item; item = item->next)
        if (item->id == id) return item->object;
    return nullptr;
}

CSxRegisteredObj* CSxRegistryMgr::RegisterObject(SxGameObjectID id) {
    if (m_pool == SxInvalidPoolId) return nullptr;
    if (CSxRegisteredObj* existing = Find(id)) return existing;
    CSxRegisteredObj* object = SxNew<CSxRegisteredObj>(g_DefaultPoolId, id);
    if (!object) return nullptr;
    Item* item = static_cast<Item*>(MemoryMgr::Malloc(m_pool, sizeof(Item)));
    if (!item) {
        object->Release();
        return nullptr;
    }
    Item*& head = m_buckets[id % kBuckets];
    *item = Item{head, id, object};
    head = item;
    ++m_count;
    return object;
}

// Frees the table item and drops the table's reference.
void CSxRegistryMgr::Unlink(Item** link) {
    Item* item = *link;
    *link = item->next;
    --m_count;
    CSxRegisteredObj* object = item->object;
    MemoryMgr::Free(m_pool, item);
    object->Release();
}

void CSxRegistryMgr::UnregisterObject(SxGameObjectID id) {
    for (Item** link = &m_buckets[id % kBuckets]; *link; link = &(*link)->next) {
        if ((*link)->id == id) {
            Unlink(link);
            return;
        }
    }
}

void CSxRegistryMgr::UnregisterAll() {
    for (Item*& head : m_buckets) {
        Item** link = &head;
        while (*link) {
            if ((*link)->id == 0)
                link = &(*link)->next;
            else
                Unlink(link);
        }
    }
}

CSxRegisteredObj* CSxRegistryMgr::GetObjAndAddref(SxGameObjectID id) {
    CSxRegisteredObj* object = Find(id);
    if (object) object->AddRef();
    return object;
}

SXRESULT CSxRegistryMgr::SetPosition(SxGameObjectID id, const SxSoundPosition* positions, uint16_t count, uint8_t type,
                                     uint8_t listener) {
    CSxRegisteredObj* object = Find(id);
    return object ? object->SetPositions(positions, count, type, listener) : SX_Fail;
}

SXRESULT CSxRegistryMgr::SetActiveListeners(SxGameObjectID id, uint8_t mask) {
    CSxRegisteredObj* object = id == 0 ? nullptr : Find(id);
    if (!object) return SX_Fail;
    object->SetActiveListeners(mask);
    return SX_Success;
}

SXRESULT CSxRegistryMgr::SetGameObjectEnvironmentsValues(SxGameObjectID id, const SxEnvironmentValue* values,
                                                         uint32_t count) {
    CSxRegisteredObj* object = Find(id);
    return object ? object->SetEnvironmentValues(values, count) : SX_Fail;
}

SXRESULT CSxRegistryMgr::SetDryLevel(SxGameObjectID id, float value) {
    CSxRegisteredObj* object = Find(id);
    if (!object) return SX_Fail;
    object->SetDryLevel(value);
    return SX_Success;
}

SXRESULT CSxRegistryMgr::SetAttenuationScalingFactor(SxGameObjectID id, float value) {
    CSxRegisteredObj* object = Find(id);
    if (!object) return SX_Fail;
    object->SetAttenuationScalingFactor(value);
    return SX_Success;
}

SXRESULT CSxRegistryMgr::SetObstructionAndOcclusion(SxGameObjectID id, uint32_t listener, float obstruction,
                                                    float occlusion) {
    CSxRegisteredObj* object = Find(id);
    return object ? object->SetObstructionAndOcclusion(listener, obstruction, occlusion) : SX_Fail;
}

void CSxRegistryMgr::ClearSwitch(SxUniqueID nodeID, CSxRegisteredObj* object) {
    if (object) {
        object->ClearSwitch(nodeID);
        return;
    }
    for (Item* head : m_buckets)
        for (Item* item = head; item; item = item->next) item->object->ClearSwitch(nodeID);
}

SXRESULT CSxRegistryMgr::AddModifiedNode(SxUniqueID nodeID) {
    return m_modifiedNodes.Set(nodeID) ? SX_Success : SX_InsufficientMemory;
}

CSxRegisteredObj* CSxRegistryMgr::IteratorBegin(Iterator& it) {
    it.bucket = 0;
    it.item = nullptr;
    for (; it.bucket < kBuckets; ++it.bucket) {
        if (m_buckets[it.bucket]) {
            it.item = m_buckets[it.bucket];
            return m_buckets[it.bucket]->object;
        }
    }
    return nullptr;
}

CSxRegisteredObj* CSxRegistryMgr::IteratorNext(Iterator& it) {
    if (!it.item) return nullptr;
    Item* next = static_cast<Item*>(it.item)->next;
    while (!next && ++it.bucket < kBuckets) next = m_buckets[it.bucket];
    it.item = next;
    return next ? next->object : nullptr;
}

bool SxIsGameObjectRegistered(SxGameObjectID gameObject) {
    if (!g_pRegistryMgr) return false;
    CSxRegisteredObj* object = g_pRegistryMgr->GetObjAndAddref(gameObject);
    if (!object) return false;
    object->Release();
    return true;
}

}  // namespace SX
