#include "sound/engine/containers/CSxPlayList.h"

#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

void CSxPlayList::Destroy() { SxDelete(g_DefaultPoolId, this); }

bool CSxPlayList::Exists(SxUniqueID id) const {
    uint16_t index;
    return IndexOf(id, index);
}

bool CSxPlayList::IndexOf(SxUniqueID id, uint16_t& index) const {
    const uint32_t length = Length();
    for (uint32_t i = 0; i < length; ++i) {
        if (ID(static_cast<uint16_t>(i)) != id) continue;
        index = static_cast<uint16_t>(i);
        return true;
    }
    return false;
}

CSxPlayListRandom* CSxPlayListRandom::Create() { return SxNew<CSxPlayListRandom>(g_DefaultPoolId); }

SXRESULT CSxPlayListRandom::Add(SxUniqueID id, uint32_t weight) {
    return m_items.AddLast(Item{id, weight}) ? SX_Success : SX_Fail;
}

SXRESULT CSxPlayListRandom::Remove(SxUniqueID id) {
    for (uint32_t i = m_items.Length(); i-- > 0;)
        if (m_items[i].id == id) m_items.Erase(i);
    return SX_Success;
}

uint64_t CSxPlayListRandom::TotalWeight() const {
    uint64_t total = 0;
    for (const Item& item : m_items) total += item.weight;
    return total;
}

CSxPlayListSequence* CSxPlayListSequence::Create() { return SxNew<CSxPlayListSequence>(g_DefaultPoolId); }

SXRESULT CSxPlayListSequence::Add(SxUniqueID id, uint32_t) { return m_ids.AddLast(id) ? SX_Success : SX_Fail; }

SXRESULT CSxPlayListSequence::Remove(SxUniqueID id) {
    const int32_t at = m_ids.Find(id);
    if (at < 0) return SX_Fail;
    m_ids.Erase(static_cast<uint32_t>(at));
    return SX_Success;
}

}  // namespace SX
