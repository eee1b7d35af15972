#pragma once
// The base of every object the object index holds: a reference count kept under the lock of
// the object's index table, the link of its index bucket and its ID.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

// The ten tables of the object index, in their order.
enum SxIndexTable : uint32_t {
    SxIndex_Node = 0,  // audio nodes and buses
    SxIndex_State,
    SxIndex_Event,
    SxIndex_Action,
    SxIndex_Layer,
    SxIndex_Attenuation,
    SxIndex_DynamicSequence,
    SxIndex_DialogueEvent,
    SxIndex_FxShareSet,
    SxIndex_FxCustom,
    SxIndex_TableCount
};

class CSxCommonBase {
public:
    virtual ~CSxCommonBase() = default;
};

class CSxIndexable : public CSxCommonBase {
public:
    // Reference count 1 (the creator's); not yet in the index.
    CSxIndexable(SxUniqueID id, SxIndexTable table) : m_id(id), m_table(table) {}

    // Count + 1 under the table's lock; the new count.
    virtual uint32_t AddRef();
    // Count - 1 under the table's lock; at 0 the object leaves its table and is destroyed,
    // its memory going back to the default pool. The new count.
    virtual uint32_t Release();
    // 0 here; sounds, feedback nodes and music nodes answer their own code.
    virtual uint32_t IndexableType() const { return 0; }

    SxUniqueID ID() const { return m_id; }
    SxIndexTable Table() const { return m_table; }
    uint32_t RefCount() const { return m_refCount; }

protected:
    // Releases the memory of an object whose count reached 0; objects not made in the
    // default pool override it.
    virtual void Destroy();

private:
    friend class SxIDTable;
    uint32_t m_refCount = 1;
    CSxIndexable* m_pNextItem = nullptr;
    SxUniqueID m_id;
    SxIndexTable m_table;
};

}  // namespace SX
