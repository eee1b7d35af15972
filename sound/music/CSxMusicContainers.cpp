#include "sound/music/CSxMusicContainers.h"

#include "core/Logger.h"
#include "sound/engine/SxInitSettings.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

CSxMusicSwitchCntr* CSxMusicSwitchCntr::Create(SxUniqueID id) {
    auto* node = SxNew<CSxMusicSwitchCntr>(g_DefaultPoolId, id);
    if (node && g_pObjectIndex) g_pObjectIndex->AddToIndex(node);
    return node;
}

SXRESULT CSxMusicSwitchCntr::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    SXRESULT result = SetMusicNodeParams(cursor);
    if (result == SX_Success) result = SetTransitionRules(cursor);
    if (result != SX_Success) return result;
    uint8_t continuePlayback;
    uint32_t count;
    if (!cursor.U32(m_groupType) || !cursor.U32(m_groupID) || !cursor.U32(m_defaultSwitch) ||
        !cursor.U8(continuePlayback) || !cursor.U32(count) || !cursor.HasRoomFor(count, 8)) {
        SD_WARNING(Debug::kLogSevere, "music switch container %u: switch list cut short", ID());
        return SX_InvalidFile;
    }
    m_continuePlayback = continuePlayback != 0;
    m_pairs.resize(count);
    for (Pair& pair : m_pairs) {
        cursor.U32(pair.switchID);
        cursor.U32(pair.nodeID);
    }
    return SX_Success;
}

uint32_t CSxMusicSwitchCntr::NodeForSwitch(uint32_t switchID) const {
    for (const Pair& pair : m_pairs)
        if (pair.switchID == switchID) return pair.nodeID;
    for (const Pair& pair : m_pairs)
        if (pair.switchID == m_defaultSwitch) return pair.nodeID;
    return 0;
}

SXRESULT CSxMusicSwitchCntr::PrepareData() {
    if (!g_bGameSyncPreparation) return CSxMusicTransAware::PrepareData();
    // A later preparation only counts.
    if (PreparationCount() > 0) return PrepareByValue();
    SXRESULT result = PrepareMusicalDependencies();
    if (result != SX_Success) return result;
    result = PrepareByValue();
    if (result != SX_Success) UnPrepareMusicalDependencies();
    return result;
}

void CSxMusicSwitchCntr::UnPrepareData() {
    if (!g_bGameSyncPreparation) {
        CSxMusicTransAware::UnPrepareData();
        return;
    }
    const bool last = PreparationCount() == 1;
    UnPrepareByValue();
    if (last) UnPrepareMusicalDependencies();
}

std::vector<uint32_t> CSxMusicSwitchCntr::PreparationValues() const {
    std::vector<uint32_t> values;
    for (const Pair& pair : m_pairs) values.push_back(pair.switchID);
    return values;
}

std::vector<SxUniqueID> CSxMusicSwitchCntr::PreparationNodes(uint32_t value) const {
    std::vector<SxUniqueID> nodes;
    for (const Pair& pair : m_pairs)
        if (pair.switchID == value && pair.nodeID != 0) nodes.push_back(pair.nodeID);
    return nodes;
}

SXRESULT CSxMusicSwitchCntr::CanAddChild(CSxParameterNodeBase* child) {
    return CanAddMusicChild(child,
                            {SxNodeCategory_MusicSegment, SxNodeCategory_MusicRanSeq, SxNodeCategory_MusicSwitch});
}

CSxMusicRanSeqCntr* CSxMusicRanSeqCntr::Create(SxUniqueID id) {
    auto* node = SxNew<CSxMusicRanSeqCntr>(g_DefaultPoolId, id);
    if (node && g_pObjectIndex) g_pObjectIndex->AddToIndex(node);
    return node;
}

SXRESULT CSxMusicRanSeqCntr::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    SXRESULT result = SetMusicNodeParams(cursor);
    if (result == SX_Success) result = SetTransitionRules(cursor);
    if (result == SX_Success) result = SxReadPlaylist(cursor, m_playlist);
    return result;
}

SXRESULT CSxMusicRanSeqCntr::CanAddChild(CSxParameterNodeBase* child) {
    return CanAddMusicChild(child, {SxNodeCategory_MusicSegment});
}

}  // namespace SX
