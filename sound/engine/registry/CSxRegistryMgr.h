#pragma once
// The game objects the game registered, in a table of 193 buckets by ID. Used on the audio
// thread only (and by bank code under the global lock), so it has no lock of its own.
#include <cstdint>

#include "sound/engine/SxPoolList.h"
#include "sound/engine/registry/CSxRegisteredObj.h"

namespace SX {

class CSxRegistryMgr {
public:
    static constexpr uint32_t kBuckets = 193;

    CSxRegistryMgr() = default;
    ~CSxRegistryMgr() { Term(); }
    CSxRegistryMgr(const CSxRegistryMgr&) = delete;
    CSxRegistryMgr& operator=(const CSxRegistryMgr&) = delete;

    // Takes the default pool and registers game object 0 with one position of zeros.
    SXRESULT Init();
    // Unregisters game object 0, then every other, and releases the table.
    void Term();

    // The object (existing ones are returned as they are, no reference added); null when
    // memory fails.
    CSxRegisteredObj* RegisterObject(SxGameObjectID id);
    void UnregisterObject(SxGameObjectID id);
    // Every object but game object 0.
    void UnregisterAll();
    // The object with one more reference, or null.
    CSxRegisteredObj* GetObjAndAddref(SxGameObjectID id);
    uint32_t Count() const { return m_count; }

    SXRESULT SetPosition(SxGameObjectID id, const SxSoundPosition* positions, uint16_t count, uint8_t type,
                         uint8_t listener);
    SXRESULT SetActiveListeners(SxGameObjectID id, uint8_t mask);
    SXRESULT SetGameObjectEnvironmentsValues(SxGameObjectID id, const SxEnvironmentValue* values, uint32_t count);
    SXRESULT SetDryLevel(SxGameObjectID id, float value);
    SXRESULT SetAttenuationScalingFactor(SxGameObjectID id, float value);
    SXRESULT SetObstructionAndOcclusion(SxGameObjectID id, uint32_t listener, float obstruction, float occlusion);
    // Removes the node's switch entry from the object, or from every object when null.
    void ClearSwitch(SxUniqueID nodeID, CSxRegisteredObj* object);

    // Nodes that hold per-object values on some game object (no duplicates).
    SXRESULT AddModifiedNode(SxUniqueID nodeID);
    const SxPoolList<SxUniqueID>& ModifiedNodes() const { return m_modifiedNodes; }

    // Walks the buckets in order; null at the end.
    struct Iterator {
        uint32_t bucket = 0;
        void* item = nullptr;
    };
    CSxRegisteredObj* IteratorBegin(Iterator& it);
    CSxRegisteredObj* IteratorNext(Iterator& it);

private:
    struct Item {
        Item* next;
        SxGameObjectID id;
        CSxRegisteredObj* object;
    };
    CSxRegisteredObj* Find(SxGameObjectID id) const;
    void Unlink(Item** link);

    SxPoolList<SxUniqueID> m_modifiedNodes;
    SxMemPoolId m_pool = SxInvalidPoolId;
    Item* m_buckets[kBuckets] = {};
    uint32_t m_count = 0;
};

extern CSxRegistryMgr* g_pRegistryMgr;

// Whether the engine's registry holds the game object (false without a registry).
bool SxIsGameObjectRegistered(SxGameObjectID gameObject);

}  // namespace SX
