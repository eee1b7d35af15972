#include "sound/music/CSxMusicCtx.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/SxMusicLookup.h"

namespace SX {

void CSxMusicCtx::Stop(uint32_t fadeMs, uint32_t curve) {
    m_stopping = true;
    m_ended = true;
    m_stingers.clear();
    const int64_t length = SxMusicMsToSamples(fadeMs);
    // Buckets not heard yet go; those heard fade out from now.
    m_chain.erase(std::remove_if(m_chain.begin(), m_chain.end(),
                                 [&](const std::unique_ptr<CSxSegmentBucket>& b) { return !b->Started(m_now); }),
                  m_chain.end());
    for (const auto& bucket : m_chain) {
        bucket->syncTime = CSxSegmentBucket::kNever;
        if (m_now + length >= bucket->stopTime) continue;
        bucket->stopTime = m_now + length;
        if (length > 0) {
            bucket->fadeOutStart = m_now;
            bucket->fadeOutLength = static_cast<int32_t>(length);
            bucket->fadeOutCurve = curve;
        }
    }
    if (length == 0) {
        for (const auto& bucket : m_chain) bucket->ctx.reset();
        m_chain.clear();
    }
}

bool CSxMusicCtx::Seek(float value, bool fraction, bool snap) {
    CSxSegmentBucket* bucket = CurrentBucket();
    if (!bucket || m_stopping) return false;
    const SxSegmentTiming& timing = bucket->timing;
    double position = fraction ? std::clamp(double(value), 0.0, 1.0) * timing.Active()
                               : std::max(double(value), 0.0) * SxTimingSettings::sampleRate / 1000.0;
    if (snap) {
        // The nearest cue, the first found on ties.
        double best = -1.0;
        for (const SxMusicMarker& cue : timing.cues) {
            const double at = double(cue.position) - timing.PreEntry();
            if (best < 0.0 || std::fabs(at - position) < std::fabs(best - position)) best = at;
        }
        position = best;
    }
    if (position >= double(timing.Active()) + timing.PostExit()) return false;
    const auto at = static_cast<int32_t>(std::llround(position));
    // What plays stops at once and the segment goes on from the new position.
    m_chain.erase(std::find_if(m_chain.begin(), m_chain.end(),
                               [&](const std::unique_ptr<CSxSegmentBucket>& b) { return b.get() == bucket; }) +
                      1,
                  m_chain.end());
    m_undo = Undo{};
    bucket->ctx.reset();
    bucket->playTime = m_now;
    bucket->playPosition = at;
    bucket->entryTime = m_now - at;
    bucket->fadeInStart = std::numeric_limits<int64_t>::min();
    bucket->fadeInLength = 0;
    bucket->SetEnd(
        {CSxSegmentBucket::kNever, CSxSegmentBucket::kNever, 0, SxCurve_Linear, CSxSegmentBucket::kNever, false});
    return true;
}

float CSxMusicCtx::PauseFactorAt(int64_t t) const {
    if (m_pauseFade.length <= 0) return m_pauseFade.to;
    return SxMusicFadeFactor(double(t - m_pauseFade.start) / m_pauseFade.length, m_pauseFade.from, m_pauseFade.to,
                             m_pauseFade.curve);
}

void CSxMusicCtx::PauseInstances() {
    for (const auto* list : {&m_chain, &m_stingers})
        for (const auto& bucket : *list)
            if (bucket->ctx) bucket->ctx->Pause();
}

void CSxMusicCtx::ResumeInstances() {
    for (const auto* list : {&m_chain, &m_stingers})
        for (const auto& bucket : *list)
            if (bucket->ctx) bucket->ctx->Resume();
}

void CSxMusicCtx::Pause(uint32_t fadeMs, uint32_t curve) {
    if (m_pauseCount++ > 0) return;
    const int32_t length = SxMusicMsToSamples(fadeMs);
    if (length <= 0) {
        m_pausing = false;
        m_pauseFade = PauseFade{};
        PauseInstances();
        return;
    }
    m_pauseFade = PauseFade{m_now, length, PauseFactorAt(m_now), 0.0f, curve};
    m_pausing = true;
}

void CSxMusicCtx::Resume(bool all, uint32_t fadeMs, uint32_t curve) {
    if (m_pauseCount == 0) return;
    if (!all && m_pauseCount > 1) {
        --m_pauseCount;
        return;
    }
    m_pauseCount = 0;
    // A fade-out still under way turns round where it is; held music comes back from silence.
    const float from = m_pausing ? PauseFactorAt(m_now) : 0.0f;
    const int32_t length = SxMusicMsToSamples(fadeMs);
    m_pauseFade = length > 0 ? PauseFade{m_now, length, from, 1.0f, curve} : PauseFade{};
    if (m_pausing) {
        m_pausing = false;
        return;
    }
    // The instances take their volume before they sound again.
    for (const auto* list : {&m_chain, &m_stingers})
        for (const auto& bucket : *list)
            if (bucket->ctx) bucket->ctx->SetVolume(bucket->VolumeAt(m_now) * PauseFactorAt(m_now));
    ResumeInstances();
}

}  // namespace SX
