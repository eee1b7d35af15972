#include "sound/music/CSxMusicNode.h"

#include <algorithm>

#include "core/Logger.h"
#include "sound/engine/hierarchy/SxPrepareAll.h"
#include "sound/music/CSxMusicRenderer.h"
#include "sound/music/SxMusicRead.h"

namespace SX {
namespace {

constexpr uint32_t kStingerSize = 20;

const CSxMusicNode* MusicParent(const CSxParameterNodeBase* node) {
    return dynamic_cast<const CSxMusicNode*>(node->Parent());
}

}  // namespace

SXRESULT CSxMusicNode::SetMusicNodeParams(SxReadCursor& cursor) {
    uint32_t id;
    if (!cursor.U32(id)) return SX_InvalidFile;
    SXRESULT result = SetNodeBaseParams(cursor, false);
    if (result != SX_Success) return result;
    result = SetChildren(cursor);
    if (result != SX_Success) return result;
    SxMusicGridFields fields;
    uint8_t overrideGrid;
    uint32_t stingerCount;
    if (!SxReadF64(cursor, fields.gridPeriodMs) || !SxReadF64(cursor, fields.gridOffsetMs) ||
        !cursor.F32(fields.tempo) || !cursor.U8(fields.beatsPerBar) || !cursor.U8(fields.beatValue) ||
        !cursor.U8(overrideGrid) || !cursor.U32(stingerCount) || !cursor.HasRoomFor(stingerCount, kStingerSize)) {
        SD_WARNING(Debug::kLogSevere, "music node %u: grid or stingers cut short", id);
        return SX_InvalidFile;
    }
    m_overrideGrid = false;
    if (overrideGrid) {
        if (SxComputeMusicGrid(fields, m_grid) == SX_Success)
            m_overrideGrid = true;
        else
            SD_WARNING(Debug::kLogSevere, "music node %u: grid of tempo %g in %u/%u refused; the grid is inherited", id,
                       static_cast<double>(fields.tempo), fields.beatsPerBar, fields.beatValue);
    }
    m_stingers.resize(stingerCount);
    for (SxStingerRecord& s : m_stingers) {
        cursor.U32(s.triggerID);
        cursor.U32(s.segmentID);
        cursor.U32(s.syncType);
        cursor.U32(s.dontRepeatMs);
        cursor.U32(s.lookAheadCount);
    }
    return SX_Success;
}

SXRESULT CSxMusicNode::Play(SxPBIParams& params) { return CSxMusicRenderer::PlayNode(*this, params); }

SXRESULT CSxMusicNode::ExecuteAction(const SxActionParams& params) {
    if (params.flags[1]) PauseTransitions(params.kind == SxActionKind_Pause);
    return CSxMusicRenderer::ExecuteNodeAction(*this, params);
}

SxMusicGrid CSxMusicNode::GetMusicGrid() const {
    const CSxMusicNode* node = this;
    for (;;) {
        if (node->m_overrideGrid) return node->m_grid;
        const CSxMusicNode* parent = MusicParent(node);
        if (!parent) return node->m_grid;
        node = parent;
    }
}

std::vector<SxStingerRecord> CSxMusicNode::GetStingers() const {
    std::vector<SxStingerRecord> stingers;
    if (const CSxMusicNode* parent = MusicParent(this)) stingers = parent->GetStingers();
    for (const SxStingerRecord& own : m_stingers) {
        auto same = std::find_if(stingers.begin(), stingers.end(),
                                 [&](const SxStingerRecord& s) { return s.triggerID == own.triggerID; });
        if (same != stingers.end()) {
            *same = stingers.back();
            stingers.pop_back();
        }
        stingers.push_back(own);
    }
    return stingers;
}

std::vector<SxUniqueID> CSxMusicNode::MusicalDependencies() const {
    std::vector<SxUniqueID> segments;
    for (const SxStingerRecord& stinger : m_stingers)
        if (stinger.segmentID != 0) segments.push_back(stinger.segmentID);
    return segments;
}

SXRESULT CSxMusicNode::PrepareMusicalDependencies() {
    return SxPrepareAll(MusicalDependencies(), CSxParameterNodeBase::PrepareNodeData,
                        CSxParameterNodeBase::UnPrepareNodeData);
}

void CSxMusicNode::UnPrepareMusicalDependencies() {
    const std::vector<SxUniqueID> segments = MusicalDependencies();
    for (auto it = segments.rbegin(); it != segments.rend(); ++it) CSxParameterNodeBase::UnPrepareNodeData(*it);
}

SXRESULT CSxMusicNode::PrepareData() {
    SXRESULT result = PrepareMusicalDependencies();
    if (result != SX_Success) return result;
    result = CSxParentNode::PrepareData();
    if (result != SX_Success) UnPrepareMusicalDependencies();
    return result;
}

void CSxMusicNode::UnPrepareData() {
    CSxParentNode::UnPrepareData();
    UnPrepareMusicalDependencies();
}

SXRESULT CSxMusicNode::CanAddMusicChild(CSxParameterNodeBase* child, std::initializer_list<SxNodeCategory> allowed) {
    if (ChildCount() >= kMaxChildren) return SX_MaxChildrenReached;
    if (std::find(allowed.begin(), allowed.end(), child->NodeCategory()) == allowed.end()) return SX_WrongChildKind;
    return CSxParentNode::CanAddChild(child);
}

}  // namespace SX
