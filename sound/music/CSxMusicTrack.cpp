#include "sound/music/CSxMusicTrack.h"

#include <cmath>

#include "core/Logger.h"
#include "platform/os/Random.h"
#include "sound/engine/hierarchy/CSxSound.h"
#include "sound/engine/hierarchy/SxPrepareAll.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/CSxMusicPBI.h"
#include "sound/music/CSxMusicRenderer.h"
#include "sound/music/SxMusicRead.h"

namespace SX {
namespace {

constexpr uint32_t kClipSize = 40;

}  // namespace

CSxMusicTrack* CSxMusicTrack::Create(SxUniqueID id) {
    auto* node = SxNew<CSxMusicTrack>(g_DefaultPoolId, id);
    if (node && g_pObjectIndex) g_pObjectIndex->AddToIndex(node);
    return node;
}

CSxMusicSource* CSxMusicTrack::Source(uint32_t sourceID) const {
    for (const auto& source : m_sources)
        if (source->MediaID() == sourceID) return source.get();
    return nullptr;
}

SXRESULT CSxMusicTrack::SetInitialValues(const uint8_t* body, uint32_t size, bool reload) {
    SxReadCursor cursor(body, size);
    uint32_t id, sourceCount;
    if (!cursor.U32(id) || !cursor.U32(sourceCount)) return SX_InvalidFile;
    for (uint32_t i = 0; i < sourceCount; ++i) {
        auto source = std::make_unique<CSxMusicSource>();
        const SXRESULT result = SxLoadSource(cursor, *source);
        if (result != SX_Success || cursor.Failed()) {
            SD_WARNING(Debug::kLogSevere, "music track %u: source %u cannot be read", id, i);
            return result != SX_Success ? result : SX_InvalidFile;
        }
        // A source the track already holds stays as it is.
        if (Source(source->MediaID())) continue;
        source->lookAhead = m_lookAhead;
        m_sources.push_back(std::move(source));
    }
    uint32_t clipCount;
    if (!cursor.U32(clipCount) || !cursor.HasRoomFor(clipCount, kClipSize)) {
        SD_WARNING(Debug::kLogSevere, "music track %u: clips cut short", id);
        return SX_InvalidFile;
    }
    m_clips.clear();
    for (uint32_t i = 0; i < clipCount; ++i) {
        SxTrackClip clip;
        double playAt, beginTrim, endTrim, sourceMs;
        cursor.U32(clip.subTrack);
        cursor.U32(clip.sourceID);
        SxReadF64(cursor, playAt);
        SxReadF64(cursor, beginTrim);
        SxReadF64(cursor, endTrim);
        SxReadF64(cursor, sourceMs);
        const double lengthMs = endTrim + sourceMs - beginTrim;
        if (!(lengthMs > 0.0)) continue;
        int32_t trim;
        if (!SxMsToSamples(playAt + beginTrim, clip.start) || !SxMsToSamples(lengthMs, clip.duration) ||
            !SxMsToSamples(sourceMs, clip.sourceDuration) || !SxMsToSamples(beginTrim, trim)) {
            SD_WARNING(Debug::kLogSevere, "music track %u: clip %u has times out of range", id, i);
            return SX_InvalidFile;
        }
        if (clip.sourceDuration <= 0 || clip.duration <= 0) continue;
        clip.sourceOffset = trim % clip.sourceDuration;
        if (clip.sourceOffset < 0) clip.sourceOffset += clip.sourceDuration;
        m_clips.push_back(clip);
    }
    if (!cursor.U32(m_subTrackCount)) return SX_InvalidFile;
    const SXRESULT result = SetNodeBaseParams(cursor, reload);
    if (result != SX_Success || reload) return result;
    int32_t lookAheadMs;
    if (!cursor.U32(m_trackType) || !SxReadI32(cursor, lookAheadMs)) {
        SD_WARNING(Debug::kLogSevere, "music track %u: type or look-ahead cut short", id);
        return SX_InvalidFile;
    }
    const double samples =
        lookAheadMs * static_cast<double>(CSxMusicRenderer::LookAheadScale()) * SxTimingSettings::sampleRate / 1000.0;
    if (!std::isfinite(samples) || std::fabs(samples) > 2147483000.0) {
        SD_WARNING(Debug::kLogSevere, "music track %u: look-ahead of %d ms is out of range", id, lookAheadMs);
        return SX_InvalidFile;
    }
    m_lookAhead = static_cast<int32_t>(std::round(samples));
    for (const auto& source : m_sources) source->lookAhead = m_lookAhead;
    return SX_Success;
}

SXRESULT CSxMusicTrack::ExecuteAction(const SxActionParams& params) {
    if (params.flags[1]) PauseTransitions(params.kind == SxActionKind_Pause);
    return SX_Success;
}

CSxPBI* CSxMusicTrack::CreatePBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                                 const SxPriorityParams& priority) {
    CSxMusicPBI::Creation* creation = CSxMusicPBI::s_creation;
    if (!creation) return CSxSoundBase::CreatePBI(node, source, params, priority);
    auto* instance = SxNew<CSxMusicPBI>(g_DefaultPoolId, node, source, params, priority, creation->parent);
    if (instance) instance->SetStartPosition(creation->startPosition);
    creation->made = instance;
    return instance;
}

uint32_t CSxMusicTrack::SelectSubTrack() {
    switch (m_trackType) {
        case SxMusicTrackType_RandomSubTrack:
            return m_subTrackCount ? static_cast<uint32_t>(platform::crt_rand()) % m_subTrackCount : 0;
        case SxMusicTrackType_SequenceSubTrack:
            m_lastSequenceIndex =
                m_lastSequenceIndex + 1 >= static_cast<int32_t>(m_subTrackCount) ? 0 : m_lastSequenceIndex + 1;
            return static_cast<uint32_t>(m_lastSequenceIndex);
        default:
            return 0;
    }
}

SXRESULT CSxMusicTrack::PrepareData() {
    return SxPrepareAll(
        m_sources, [](const std::unique_ptr<CSxMusicSource>& source) { return source->PrepareData(); },
        [](const std::unique_ptr<CSxMusicSource>& source) { source->UnPrepareData(); });
}

void CSxMusicTrack::UnPrepareData() {
    for (const auto& source : m_sources) source->UnPrepareData();
}

}  // namespace SX
