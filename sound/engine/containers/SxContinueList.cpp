#include "sound/engine/containers/SxContinueList.h"

#include "sound/engine/containers/SxContainerInfo.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

void SxCutHistoryToContinuous(SxPlayHistory& history) {
    while (history.count > 0 && !(history.count <= 32 && (history.continuousMask >> (history.count - 1)) & 1))
        --history.count;
}

CSxRanSeqCntr* SxContinueList::SelectNext(CSxRegisteredObj* gameObj, SxPlayHistory& history, SxUniqueID& childID) {
    SxCutHistoryToContinuous(history);
    while (SxContinueListItem* item = Last()) {
        uint16_t position;
        if (CSxParameterNodeBase* child = item->container->SelectContinuousChild(gameObj, position, childID, *item)) {
            child->Release();
            if (history.count && history.count <= 32) history.positions[history.count - 1] = position;
            return item->container;
        }
        if (history.count) --history.count;
        SxCutHistoryToContinuous(history);
        RemoveLast();
    }
    return nullptr;
}

SxContinueList* SxContinueList::Create() { return SxNew<SxContinueList>(g_DefaultPoolId); }

SxContinueList::~SxContinueList() {
    while (m_items.Length()) RemoveLast();
}

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

void SxContinueList::RemoveLast() {
    SxContinueListItem item = m_items[m_items.Length() - 1];
    m_items.Erase(m_items.Length() - 1);
    if (item.state) item.state->Destroy();
    if (item.container) item.container->Release();
}

}  // namespace SX
