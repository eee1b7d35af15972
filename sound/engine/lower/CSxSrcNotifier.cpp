#include "sound/engine/lower/CSxSrcNotifier.h"

#include <cmath>

#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/positions/CSxPositionRepository.h"
#include "sound/engine/upper/CSxPBI.h"

namespace SX {

SxPlayingID CSxSrcNotifier::PlayingID() const { return m_instance->PlayingID(); }

bool CSxSrcNotifier::TracksPosition() const { return m_instance->TracksPosition(); }

void CSxSrcNotifier::NotifyStart(float sourceDurationMs) {
    const float duration = std::isfinite(sourceDurationMs) ? sourceDurationMs : 0.0f;
    m_instance->RefreshParameters();
    const float cents = m_instance->Pitch();
    // A pitch that is not a number plays at its own speed.
    const float effective = duration / std::pow(2.0f, std::isfinite(cents) ? cents * 0.00083333335f : 0.0f);
    m_instance->NotifyStarted(effective);
    const SxPlayingID playingID = PlayingID();
    if (g_pPlayingMgr)
        g_pPlayingMgr->NotifyDuration(playingID, duration, effective,
                                      m_instance->Node() ? m_instance->Node()->ID() : 0);
    if (TracksPosition() && g_pPositionRepository) g_pPositionRepository->AddSource(playingID, this);
}

void CSxSrcNotifier::NotifyStop() {
    if (TracksPosition() && g_pPositionRepository) g_pPositionRepository->RemoveSource(PlayingID(), this);
    m_instance->Destroy(0);
}

void CSxSrcNotifier::NotifyPause() {
    // A paused position stays where it is between frames.
    if (TracksPosition() && g_pPositionRepository) g_pPositionRepository->SetRate(PlayingID(), 0.0f);
    m_instance->NotifyPaused();
}

void CSxSrcNotifier::NotifyResume(float pitchRatio) {
    if (TracksPosition() && g_pPositionRepository) g_pPositionRepository->SetRate(PlayingID(), pitchRatio);
    m_instance->NotifyResumed();
}

void CSxSrcNotifier::NotifyPosition(uint32_t frame, float rate, uint32_t durationFrames, uint32_t sampleRate) {
    if (!TracksPosition() || !g_pPositionRepository) return;
    SxPositionInfo info;
    info.position = frame;
    info.rate = rate;
    info.duration = durationFrames;
    info.sampleRate = sampleRate;
    g_pPositionRepository->UpdatePosition(PlayingID(), info, this);
}

}  // namespace SX
