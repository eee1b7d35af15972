#pragma once
// What a voice's source tells its playback instance, the playing manager and the position
// repository when it starts, stops, pauses and resumes.
#include <cstdint>

#include "sound/engine/lower/SxInstanceHooks.h"

namespace SX {

class CSxSrcNotifier {
public:
    // hasDuration: the source knows its duration (streams of unknown length do not).
    CSxSrcNotifier(CSxPBI* instance, bool hasDuration) : m_instance(instance), m_hasDuration(hasDuration) {}

    // The instance refreshes its parameters and learns its duration at its pitch; the playing
    // manager is told both; a position-tracking instance enters the position repository.
    void NotifyStart(float sourceDurationMs);
    // A position-tracking instance leaves the repository; the instance is told it ended.
    void NotifyStop(bool flag);
    void NotifyPause();
    // pitchRatio: the resampler's current ratio of input to output frames.
    void NotifyResume(float pitchRatio);
    // A position-tracking instance's source is at frame (of its sampleRate) at the start of
    // this audio frame, moving at rate; durationFrames: 0xFFFFFFFF when unknown.
    void NotifyPosition(uint32_t frame, float rate, uint32_t durationFrames, uint32_t sampleRate);

    CSxPBI* Instance() const { return m_instance; }

private:
    SxPlayingID PlayingID() const;
    bool TracksPosition() const;

    CSxPBI* m_instance;
    bool m_hasDuration;
};

}  // namespace SX
