#include "sound/engine/lower/CSxSrcNotifier.h"

#include <cmath>

#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/positions/CSxPositionRepository.h"

namespace SX {

SxInstanceHooks g_InstanceHooks;

SxPlayingID CSxSrcNotifier::PlayingID() const {
    return g_InstanceHooks.playingID ? g_InstanceHooks.playingID(m_instance) : 0;
}

bool CSxSrcNotifier::TracksPosition() const {
    return g_InstanceHooks.tracksPosition && g_InstanceHooks.tracksPosition(m_instance);
}

void CSxSrcNotifier::NotifyStart(float sourceDurationMs) {
    const float duration = m_hasDuration && std::isfinite(sourceDurationMs) ? sourceDurationMs : 0.0f;
    if (g_InstanceHooks.refreshParameters) g_InstanceHooks.refreshParameters(m_instance);
    const float cents = g_InstanceHooks.pitchCents ? g_InstanceHooks.pitchCents(m_instance) : 0.0f;
    // A pitch that is not a number plays at its own speed.
    const float effective = duration / std::pow(2.0f, std::isfinite(cents) ? cents * 0.00083333335f : 0.0f);
    if (g_InstanceHooks.notifyStarted) g_InstanceHooks.notifyStarted(m_instance, effective);
    const SxPlayingID playingID = PlayingID();
    if (g_pPlayingMgr)
        g_pPlayingMgr->NotifyDuration(playingID, duration, effective,
                                      g_InstanceHooks.nodeID ? g_InstanceHooks.nodeID(m_instance) : 0);
    if (TracksPosition() && g_pPositionRepository) g_pPositionRepository->AddSource(playingID, this);
}

void CSxSrcNotifier::NotifyStop(bool flag) {
    if (TracksPosition() && g_pPositionRepository) g_pPositionRepository->RemoveSource(PlayingID(), this);
    if (g_InstanceHooks.notifyEnded) g_InstanceHooks.notifyEnded(m_instance, flag);
}

void CSxSrcNotifier::NotifyPause() {
    // A paused position stays where it is between frames.
    if (TracksPosition() && g_pPositionRepository) g_pPositionRepository->SetRate(PlayingID(), 0.0f);
    if (g_InstanceHooks.notifyPaused) g_InstanceHooks.notifyPaused(m_instance);
}

void CSxSrcNotifier::NotifyResume(float pitchRatio) {
    if (TracksPosition() && g_pPositionRepository) g_pPositionRepository->SetRate(PlayingID(), pitchRatio);
    if (g_InstanceHooks.notifyResumed) g_InstanceHooks.notifyResumed(m_instance, pitchRatio);
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
