#pragma once
// What a voice's source tells its playback instance, the playing manager and the position
// repository when it starts, stops, pauses and resumes.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

class CSxPBI;

class CSxSrcNotifier {
public:
    explicit CSxSrcNotifier(CSxPBI* instance) : m_instance(instance) {}

    // The instance refreshes its parameters and learns its duration at its pitch; the playing
    // manager is told both; a position-tracking instance enters the position repository.
    void NotifyStart(float sourceDurationMs);
    // A position-tracking instance leaves the repository; the instance is destroyed.
    void NotifyStop();
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
};

}  // namespace SX
