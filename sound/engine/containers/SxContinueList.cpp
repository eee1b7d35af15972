#include "sound/engine/containers/SxContinueList.h"

#include "sound/engine/containers/CSxContinuousPBI.h"
#include "sound/engine/containers/CSxMultiPlayNode.h"
#include "sound/engine/containers/SxContainerInfo.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

CSxParameterNodeBase* SxContinueListItem::Node() const {
    if (container) return container;
    return multiPlay;
}

void SxCutHistoryToContinuous(SxPlayHistory& history) {
    while (history.count > 0 && !(history.count <= 32 && (history.continuousMask >> (history.count - 1)) & 1))
        --history.count;
}

CSxRanSeqCntr* SxContinueList::SelectNext(SxContinueList*& list, CSxRegisteredObj* gameObj, SxPlayHistory& history,
                                          SxUniqueID& childID, bool early, bool& deferred) {
    deferred = false;
    SxCutHistoryToContinuous(history);
    while (list) {
        SxContinueListItem* item = list->Last();
        if (!item) return nullptr;
        if (item->multiPlay) {
            // The other children of the container may still play: only a chain above that
            // starts its items at a rate moves on before this one's end.
            const SxContinueListItem* above = early ? item->outer->Last() : nullptr;
            if (early && !(above && above->container &&
                           above->container->TransitionMode() == CSxContinuousPBI::Transition_TriggerRate)) {
                deferred = true;
                return nullptr;
            }
            SxContinueList* outer = list->HandOver();
            list->Release();
            list = outer;
            continue;
        }
        uint16_t position;
        if (CSxParameterNodeBase* child = item->container->SelectContinuousChild(gameObj, position, childID, *item)) {
            child->Release();
            if (history.count && history.count <= 32) history.positions[history.count - 1] = position;
            return item->container;
        }
        if (history.count) --history.count;
        SxCutHistoryToContinuous(history);
        list->RemoveLast();
    }
    return nullptr;
}

SxContinueList* SxContinueList::Create() { return SxNew<SxContinueList>(g_DefaultPoolId); }

SxContinueList::~SxContinueList() { Clear(); }

void SxContinueList::Release() {
    if (m_refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) SxDelete(g_DefaultPoolId, this);
}

SxContinueListItem* SxContinueList::Append(CSxRanSeqCntr* container) {
    SxContinueListItem item;
    item.container = container;
    if (!m_items.AddLast(item)) return nullptr;
    container->AddRef();
    return Last();
}

SxContinueListItem* SxContinueList::AppendMultiPlay(CSxMultiPlayNode* node, SxContinueList* outer) {
    SxContinueListItem item;
    item.multiPlay = node;
    item.outer = outer;
    if (!m_items.AddLast(item)) return nullptr;
    node->AddRef();
    node->AddContinuationList(outer);
    return Last();
}

SxContinueList* SxContinueList::HandOver() {
    const SxContinueListItem item = m_items[m_items.Length() - 1];
    m_items.Erase(m_items.Length() - 1);
    SxContinueList* outer = item.multiPlay->RemoveContinuationList(item.outer);
    item.multiPlay->Release();
    return outer;
}

void SxContinueList::RemoveLast() {
    SxContinueListItem item = m_items[m_items.Length() - 1];
    m_items.Erase(m_items.Length() - 1);
    if (item.state) item.state->Destroy();
    if (item.container) item.container->Release();
    if (item.multiPlay) {
        item.multiPlay->UnregisterContinuationList(item.outer);
        item.multiPlay->Release();
    }
}

void SxContinueList::Clear() {
    while (m_items.Length()) RemoveLast();
}

}  // namespace SX
