#include "sound/music/CSxMusicSegment.h"

#include "core/Logger.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/SxMusicRead.h"

namespace SX {

CSxMusicSegment* CSxMusicSegment::Create(SxUniqueID id) {
    auto* node = SxNew<CSxMusicSegment>(g_DefaultPoolId, id);
    if (node && g_pObjectIndex) g_pObjectIndex->AddToIndex(node);
    return node;
}

SXRESULT CSxMusicSegment::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    const SXRESULT result = SetMusicNodeParams(cursor);
    if (result != SX_Success) return result;
    double durationMs;
    uint32_t cueCount;
    if (!SxReadF64(cursor, durationMs) || !cursor.U32(cueCount) || !cursor.HasRoomFor(cueCount, 12)) {
        SD_WARNING(Debug::kLogSevere, "music segment %u: duration or cues cut short", ID());
        return SX_InvalidFile;
    }
    if (!SxMsToSamples(durationMs, m_duration)) {
        SD_WARNING(Debug::kLogSevere, "music segment %u: duration of %g ms is out of range", ID(), durationMs);
        return SX_InvalidFile;
    }
    std::vector<SxMusicMarker> cues(cueCount);
    for (SxMusicMarker& cue : cues) {
        double ms;
        cursor.U32(cue.id);
        SxReadF64(cursor, ms);
        if (!SxMsToSamples(ms, cue.position)) {
            SD_WARNING(Debug::kLogSevere, "music segment %u: cue %u at %g ms is out of range", ID(), cue.id, ms);
            return SX_InvalidFile;
        }
    }
    for (size_t i = 0; i < cues.size(); ++i) {
        const int32_t low = i ? cues[i - 1].position : 0;
        if (cues[i].position < low || cues[i].position > m_duration) {
            SD_WARNING(Debug::kLogSevere,
                       "music segment %u: cue %u at %d samples is out of order or outside the %d samples", ID(),
                       cues[i].id, cues[i].position, m_duration);
            return SX_InvalidFile;
        }
    }
    if (m_duration < 0) {
        SD_WARNING(Debug::kLogSevere, "music segment %u has a negative duration", ID());
        return SX_InvalidFile;
    }
    if (cues.size() == 1) cues.push_back(cues[0]);
    if (!cues.empty()) m_cues = std::move(cues);
    return SX_Success;
}

SxSegmentTiming CSxMusicSegment::Timing() const {
    SxSegmentTiming timing;
    timing.duration = m_duration;
    timing.cues = m_cues;
    timing.grid = GetMusicGrid();
    return timing;
}

SXRESULT CSxMusicSegment::CanAddChild(CSxParameterNodeBase* child) {
    return CanAddMusicChild(child, {SxNodeCategory_MusicTrack});
}

}  // namespace SX
