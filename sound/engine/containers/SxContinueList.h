#pragma once
// What a chain of continuous plays leaves behind for its next item: one entry per continuous
// random/sequence container between the top of the chain and the sound that plays, each with
// its own play state and the passes it may still make. Shared by the play request, the
// playing instance and the pending action that plays the next item.
#include <atomic>
#include <cstdint>

#include "sound/engine/SxArray.h"
#include "sound/engine/containers/CSxRanSeqCntr.h"
#include "sound/engine/upper/SxPBIParams.h"

namespace SX {

struct SxContinueListItem {
    CSxRanSeqCntr* container = nullptr;      // one reference held
    CSxContainerBaseInfo* state = nullptr;   // owned; made by the first choice
    SxLoopRecord loop;
};

// The history back to its last continuous level: the entries of step levels below it go.
void SxCutHistoryToContinuous(SxPlayHistory& history);

class SxContinueList {
public:
    // Count 1, no items; null when memory fails.
    static SxContinueList* Create();
    void AddRef() { m_refCount.fetch_add(1, std::memory_order_relaxed); }
    // At 0 every item is destroyed and the list freed.
    void Release();

    // The next item of the chain for the game object: the lowest level chooses, and a level
    // that has played its passes goes (with its history entry) for the one above. The level's
    // container, with the child's ID and its position in the history; null when no level is
    // left.
    CSxRanSeqCntr* SelectNext(CSxRegisteredObj* gameObj, SxPlayHistory& history, SxUniqueID& childID);

    // A zeroed item at the end for the container (its reference added); null when memory fails.
    SxContinueListItem* Append(CSxRanSeqCntr* container);
    void RemoveLast();
    uint32_t Length() const { return m_items.Length(); }
    SxContinueListItem& Item(uint32_t i) { return m_items[i]; }
    const SxContinueListItem& Item(uint32_t i) const { return m_items[i]; }
    SxContinueListItem* Last() { return m_items.Length() ? &m_items[m_items.Length() - 1] : nullptr; }

    // The instances of the current item (a switch or layer container within the chain plays
    // several): the last one to end schedules the next item.
    void AddInstance() {
        if (m_instances++ == 0) m_brokenBy = 0;
        ++m_instancesMade;
    }
    void RemoveInstance() {
        if (m_instances) --m_instances;
    }
    uint32_t InstanceCount() const { return m_instances; }
    // Instances made with the list so far: a play that made one left the chain to it.
    uint32_t InstancesMade() const { return m_instancesMade; }
    // The node whose break already cut the list back for the current item's instances (0:
    // none), so that each of them does not cut it again.
    SxUniqueID BrokenBy() const { return m_brokenBy; }
    void SetBrokenBy(SxUniqueID id) { m_brokenBy = id; }

    SxContinueList() = default;
    ~SxContinueList();
    SxContinueList(const SxContinueList&) = delete;
    SxContinueList& operator=(const SxContinueList&) = delete;

private:
    SxArray<SxContinueListItem> m_items{2};
    std::atomic<int32_t> m_refCount{1};
    uint32_t m_instances = 0;
    uint32_t m_instancesMade = 0;
    SxUniqueID m_brokenBy = 0;
};

}  // namespace SX
