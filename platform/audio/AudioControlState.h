#pragma once
// The output device's process-wide state: how it fails (settings only tests change, to stand
// for a device that is missing, limited or lost), the buffers it has made, and the capture
// behind OutputCapture.h.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio/OutputDevice.h"

namespace platform::audio {

struct AudioControl {
    std::atomic<bool> openFails{false};
    std::atomic<uint16_t> maxChannels{8};
    std::atomic<uint32_t> speakerConfig{kSpeakerStereo};
    std::atomic<bool> speakerReadable{true};
    std::atomic<bool> positionFails{false};
    std::atomic<int> liveBuffers{0};
    std::atomic<int> openAttempts{0};

    // Guards the capture fields below, written by the output's thread and read by tests.
    std::mutex captureMutex;
    bool capturing = false;
    PcmFormat captureFormat;
    std::vector<uint8_t> captured;
};

AudioControl& ControlState();
void CaptureWrite(const PcmFormat& format, const void* data, uint32_t bytes);

}  // namespace platform::audio
