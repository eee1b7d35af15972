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

class CSxMultiPlayNode;

struct SxContinueListItem {
    CSxRanSeqCntr* container = nullptr;     // one reference held; null for a level opened by a multi-play node
    CSxContainerBaseInfo* state = nullptr;  // owned; made by the first choice
    SxLoopRecord loop;
    CSxMultiPlayNode* multiPlay = nullptr;  // one reference held: the switch or layer container that opened the level
    SxContinueList* outer = nullptr;        // with multiPlay: the chain above it, counted through the container

    // The node of the level.
    CSxParameterNodeBase* Node() const;
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

    // The next item of the chain held (one reference) in list, for the game object: the lowest
    // level chooses, and a level that has played its passes goes (with its history entry) for
    // the one above. A level opened by a switch or layer container hands over to the chain
    // above it when the container gives it back (the last of its children ended): list then
    // becomes that chain, or null when the container keeps it. Early (before the item's end),
    // the hand-over waits for the end unless the chain above goes on at a trigger rate: deferred
    // is then set and nothing is chosen. The level's container, with the child's ID and its
    // position in the history; null when nothing follows.
    static CSxRanSeqCntr* SelectNext(SxContinueList*& list, CSxRegisteredObj* gameObj, SxPlayHistory& history,
                                     SxUniqueID& childID, bool early, bool& deferred);

    // A zeroed item at the end for the container (its reference added); null when memory fails.
    SxContinueListItem* Append(CSxRanSeqCntr* container);
    // An item at the end naming the multi-play node and the chain above it, which the node
    // registers; null when memory fails.
    SxContinueListItem* AppendMultiPlay(CSxMultiPlayNode* node, SxContinueList* outer);
    // The last item goes; a multi-play level lets its chain above go from its node.
    void RemoveLast();
    // The multi-play level at the end goes, handing the chain above back (a reference the
    // caller owns) as its node decides; null when the node keeps it.
    SxContinueList* HandOver();
    void Clear();
    uint32_t Length() const { return m_items.Length(); }
    SxContinueListItem& Item(uint32_t i) { return m_items[i]; }
    const SxContinueListItem& Item(uint32_t i) const { return m_items[i]; }
    SxContinueListItem* Last() { return m_items.Length() ? &m_items[m_items.Length() - 1] : nullptr; }

    // Instances made with the list so far: a play that made one left the chain to it.
    void NoteInstance() { ++m_instancesMade; }
    uint32_t InstancesMade() const { return m_instancesMade; }

    SxContinueList() = default;
    ~SxContinueList();
    SxContinueList(const SxContinueList&) = delete;
    SxContinueList& operator=(const SxContinueList&) = delete;

private:
    SxArray<SxContinueListItem> m_items{2};
    std::atomic<int32_t> m_refCount{1};
    uint32_t m_instancesMade = 0;
};

}  // namespace SX
