#pragma once
// Tests' control of the output device: make it fail, choose what it reports, count its buffers
// and opens, beside the capture of what the engine writes (OutputCapture.h). The settings are
// process-wide; Reset restores the defaults and stops the capture.
#include <cstdint>
#include <mutex>

#include "platform/audio/AudioControlState.h"
#include "platform/audio/OutputCapture.h"

namespace platform::audio::control {

inline void Reset() {
    AudioControl& s = ControlState();
    s.openFails = false;
    s.maxChannels = 8;
    s.speakerConfig = kSpeakerStereo;
    s.speakerReadable = true;
    s.positionFails = false;
    s.openAttempts = 0;
    StopCapture();
}

// Open returns null while set.
inline void SetOpenFails(bool fails) { ControlState().openFails = fails; }
// CreateBuffer refuses formats with more channels (default 8).
inline void SetMaxChannels(uint16_t channels) { ControlState().maxChannels = channels; }
// The layout GetSpeakerConfig reports (default stereo); unreadable makes the call fail.
inline void SetSpeakerConfig(uint32_t config, bool readable = true) {
    ControlState().speakerConfig = config;
    ControlState().speakerReadable = readable;
}
// GetCurrentPosition fails on every buffer while set (a device lost while running).
inline void SetPositionFails(bool fails) { ControlState().positionFails = fails; }
// Buffers alive now.
inline int LiveBuffers() { return ControlState().liveBuffers.load(); }
// Calls of Open since the last Reset.
inline int OpenAttempts() { return ControlState().openAttempts.load(); }

// Bytes captured since the capture started.
inline uint64_t CapturedBytes() {
    AudioControl& s = ControlState();
    std::lock_guard<std::mutex> lock(s.captureMutex);
    return s.captured.size();
}

}  // namespace platform::audio::control
