#pragma once
// The sound input device: interleaved 16-bit frames in a fixed format that a recording backend
// (or a test) delivers and the engine's audio input takes. Delivery and taking may come from
// different threads.
#include <cstdint>
#include <deque>
#include <mutex>

#include "platform/audio/OutputDevice.h"

namespace platform::audio {

class CaptureDevice {
public:
    // capacityFrames: frames held before new ones are dropped.
    CaptureDevice(const PcmFormat& format, uint32_t capacityFrames);

    const PcmFormat& Format() const { return format_; }
    // Appends whole frames; those beyond the capacity are dropped. Returns the frames kept.
    uint32_t Deliver(const int16_t* samples, uint32_t frames);
    // Takes up to frames whole frames, oldest first. Returns the frames taken.
    uint32_t Take(int16_t* samples, uint32_t frames);

private:
    PcmFormat format_;
    uint32_t capacity_;
    // Guards samples_: the device's thread pushes what it records, the engine's audio thread
    // takes it.
    mutable std::mutex mutex_;
    std::deque<int16_t> samples_;
};

}  // namespace platform::audio
