#include "platform/audio/CaptureDevice.h"

namespace platform::audio {

CaptureDevice::CaptureDevice(const PcmFormat& format, uint32_t capacityFrames)
    : format_(format), capacity_(capacityFrames) {
    if (format_.channels == 0) format_.channels = 1;
}

uint32_t CaptureDevice::Deliver(const int16_t* samples, uint32_t frames) {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint32_t held = static_cast<uint32_t>(samples_.size() / format_.channels);
    const uint32_t room = capacity_ > held ? capacity_ - held : 0;
    const uint32_t kept = frames < room ? frames : room;
    samples_.insert(samples_.end(), samples, samples + static_cast<size_t>(kept) * format_.channels);
    return kept;
}

uint32_t CaptureDevice::Take(int16_t* samples, uint32_t frames) {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint32_t held = static_cast<uint32_t>(samples_.size() / format_.channels);
    const uint32_t taken = frames < held ? frames : held;
    const size_t count = static_cast<size_t>(taken) * format_.channels;
    for (size_t i = 0; i < count; ++i) samples[i] = samples_[i];
    samples_.erase(samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(count));
    return taken;
}

}  // namespace platform::audio
