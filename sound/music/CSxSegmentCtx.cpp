#include "sound/music/CSxSegmentCtx.h"

#include <algorithm>

#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/lower/SxAudioBuffer.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "sound/music/CSxMusicPBI.h"
#include "sound/music/CSxMusicSegment.h"
#include "sound/music/CSxMusicTrack.h"

namespace SX {

CSxSegmentCtx::CSxSegmentCtx(CSxMusicSegment& segment, CSxRegisteredObj* gameObj, SxPlayingID playingID,
                             SxExternalSourceArray* externalSources)
    : m_segment(&segment), m_gameObj(gameObj), m_playingID(playingID), m_externalSources(externalSources) {
    m_segment->AddRef();
    if (m_gameObj) m_gameObj->AddRef();
    if (m_externalSources) m_externalSources->AddRef();
    m_preEntry = m_segment->Timing().PreEntry();
    for (uint32_t i = 0; i < m_segment->ChildCount(); ++i) {
        auto* track = dynamic_cast<CSxMusicTrack*>(m_segment->Child(i));
        if (!track) continue;
        track->AddRef();
        m_tracks.push_back({track, track->SelectSubTrack()});
    }
}

CSxSegmentCtx::~CSxSegmentCtx() {
    StopAll();
    for (const Track& t : m_tracks) t.track->Release();
    if (m_externalSources) m_externalSources->Release();
    if (m_gameObj) m_gameObj->Release();
    m_segment->Release();
}

namespace {

// How long before it is heard a clip of the source must be started, when heard from into
// samples into the clip: a streamed source's look-ahead, none when its prefetched head covers
// a clip heard from the file's start, none for the other sources.
int64_t ClipLookAhead(const CSxMusicSource& source, const SxTrackClip& clip, int64_t into) {
    if (source.Kind() != CSxSource::kKindStreamed) return 0;
    if ((source.Flags() & CSxSource::kPrefetch) && into == 0 && clip.sourceOffset == 0) return 0;
    return std::max(source.lookAhead, 0);
}

}  // namespace

void CSxSegmentCtx::SetPosition(int32_t heardFrom, int32_t lead) {
    m_heardFrom = heardFrom;
    m_position = heardFrom - std::max(lead, 0);
    m_catchUp = true;
}

int32_t CSxSegmentCtx::LookAheadNeeded(const CSxMusicSegment& segment, int32_t heardFrom) {
    const int64_t preEntry = segment.Timing().PreEntry();
    int64_t lead = 0;
    for (uint32_t i = 0; i < segment.ChildCount(); ++i) {
        const auto* track = dynamic_cast<const CSxMusicTrack*>(segment.Child(i));
        if (!track) continue;
        for (const SxTrackClip& clip : track->Clips()) {
            const CSxMusicSource* source = track->Source(clip.sourceID);
            const int64_t start = int64_t(clip.start) - preEntry;
            if (!source || start + clip.duration <= heardFrom) continue;
            const int64_t heard = std::max<int64_t>(start, heardFrom);
            lead = std::max(lead, ClipLookAhead(*source, clip, heard - start) - (heard - heardFrom));
        }
    }
    return static_cast<int32_t>(std::min<int64_t>(lead, INT32_MAX));
}

void CSxSegmentCtx::Execute(uint32_t offset) {
    const int64_t window = SxFrameLength - offset;
    const int64_t p = m_position;
    for (const Track& t : m_tracks) {
        const std::vector<SxTrackClip>& clips = t.track->Clips();
        for (uint32_t i = 0; i < clips.size(); ++i) {
            const SxTrackClip& clip = clips[i];
            if (clip.subTrack != t.subTrack) continue;
            const CSxMusicSource* source = t.track->Source(clip.sourceID);
            if (!source) continue;
            const int64_t start = int64_t(clip.start) - m_preEntry;
            const int64_t end = start + clip.duration;
            // A clip is heard from its start, or from where the segment is first heard when it
            // is already under way there; it is started its look-ahead before that. After a
            // start or a seek every clip whose start time has come is started at once; later
            // only those whose start time falls inside the window.
            const int64_t heard = std::max<int64_t>(start, m_heardFrom);
            if (end <= heard) continue;
            const int64_t launch = heard - ClipLookAhead(*source, clip, heard - start);
            const bool starts = m_catchUp ? launch < p + window : launch >= p && launch < p + window;
            if (!starts) continue;
            StartClip(*t.track, i, static_cast<uint32_t>(offset + std::max<int64_t>(heard - p, 0)),
                      static_cast<int32_t>(heard - start));
        }
    }
    m_catchUp = false;
    // A clip ends at its sample in the frame, even one cut short by its trim.
    for (size_t i = 0; i < m_playing.size();) {
        const int64_t end = m_playing[i].end;
        if (end >= p + window) {
            ++i;
            continue;
        }
        CSxMusicPBI* instance = m_playing[i].instance;
        m_playing.erase(m_playing.begin() + static_cast<std::ptrdiff_t>(i));
        instance->Detach();
        instance->SetStopOffset(static_cast<uint32_t>(offset + std::max<int64_t>(end - p, 0)));
    }
    m_position = static_cast<int32_t>(p + window);
}

void CSxSegmentCtx::StartClip(CSxMusicTrack& track, uint32_t clipIndex, uint32_t delay, int32_t into) {
    const SxTrackClip& clip = track.Clips()[clipIndex];
    CSxMusicSource* source = track.Source(clip.sourceID);
    if (!source) return;
    SxPBIParams params;
    params.gameObj = m_gameObj;
    params.playingID = m_playingID;
    params.externalSources = m_externalSources;
    // Beyond the frame the voice waits whole frames before it sounds.
    params.sampleOffset = delay;
    params.firstPlay = 1;
    const int64_t sourcePosition = (int64_t(clip.sourceOffset) + into) % clip.sourceDuration;
    CSxMusicPBI::Creation creation{this, static_cast<uint32_t>(sourcePosition), nullptr};
    CSxMusicPBI::s_creation = &creation;
    const SXRESULT result = CSxURenderer::Play(&track, source, params);
    CSxMusicPBI::s_creation = nullptr;
    if (result != SX_Success || !creation.made) return;
    m_playing.push_back({creation.made, int64_t(clip.start) - m_preEntry + clip.duration});
    if (m_volume != 1.0f) creation.made->SetVolumeModifier(m_volume, this, 0, false);
}

void CSxSegmentCtx::StopAll() {
    std::vector<Playing> playing;
    playing.swap(m_playing);
    for (const Playing& p : playing) {
        p.instance->Detach();
        p.instance->StopWithFade(SxFadeParams{}, true);
    }
}

void CSxSegmentCtx::StopAt(uint32_t offset) {
    std::vector<Playing> playing;
    playing.swap(m_playing);
    for (const Playing& p : playing) {
        p.instance->Detach();
        p.instance->SetStopOffset(offset);
    }
}

void CSxSegmentCtx::Pause() {
    for (const Playing& p : m_playing) p.instance->PauseWithFade(SxFadeParams{});
}

void CSxSegmentCtx::Resume() {
    for (const Playing& p : m_playing) p.instance->ResumeWithFade(SxFadeParams{}, true);
}

void CSxSegmentCtx::SetVolume(float factor) {
    if (factor == m_volume) return;
    m_volume = factor;
    for (const Playing& p : m_playing) p.instance->SetVolumeModifier(factor, this, 0, false);
}

void CSxSegmentCtx::OnInstanceGone(CSxMusicPBI* instance) {
    auto it =
        std::find_if(m_playing.begin(), m_playing.end(), [&](const Playing& p) { return p.instance == instance; });
    if (it != m_playing.end()) m_playing.erase(it);
}

}  // namespace SX
