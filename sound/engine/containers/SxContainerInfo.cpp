#include "sound/engine/containers/SxContainerInfo.h"

#include <algorithm>
#include <cstring>

#include "sound/engine/containers/CSxPlayList.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

void CSxContainerBaseInfo::Destroy() { SxDelete(g_DefaultPoolId, this); }

CSxSequenceInfo* CSxSequenceInfo::Create() { return SxNew<CSxSequenceInfo>(g_DefaultPoolId); }

CSxRandomInfo* CSxRandomInfo::Create(uint16_t count, uint16_t avoidRepeat) {
    if (count == 0) return nullptr;
    CSxRandomInfo* info = SxNew<CSxRandomInfo>(g_DefaultPoolId);
    if (!info) return nullptr;
    info->m_bytes = (count + 7u) / 8u;
    const uint32_t historyRoom = std::min<uint32_t>(avoidRepeat, 4);
    if (!info->m_bits.Reserve(info->m_bytes * 2) || (historyRoom && !info->history.Reserve(historyRoom))) {
        info->Destroy();
        return nullptr;
    }
    for (uint32_t i = 0; i < info->m_bytes * 2; ++i) info->m_bits.AddLast(0);
    info->totalWeight = info->remainingWeight = uint64_t(count) * CSxPlayList::kDefaultWeight;
    info->remainingCount = info->leftInCycle = count;
    return info;
}

void CSxRandomInfo::ClearPlayed() { std::memset(m_bits.Data(), 0, m_bytes); }

}  // namespace SX
