#include "platform/sdl/SdlAudioOutput.h"

#include <cstring>

#include "platform/audio/OutputDevice.h"

namespace platform::sdl {
namespace {
// Frames per card request: about 10 ms at 48 kHz, the lead the write cursor keeps.
constexpr Uint16 kCardFrames = 512;

SDL_AudioSpec SpecOf(const audio::PcmFormat& format) {
    SDL_AudioSpec request{};
    request.freq = static_cast<int>(format.sampleRate);
    request.format = AUDIO_S16SYS;
    request.channels = static_cast<Uint8>(format.channels);
    request.samples = kCardFrames;
    return request;
}
}  // namespace

SdlAudioOutput::SdlAudioOutput() {
    ready_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!ready_) error_ = SDL_GetError();
}

SdlAudioOutput::~SdlAudioOutput() {
    if (device_) SDL_CloseAudioDevice(device_);
    if (ready_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioOutput::Probe() {
    if (!ready_) return false;
    SDL_AudioSpec request = SpecOf(audio::PcmFormat{});
    SDL_AudioSpec silent = request;
    const SDL_AudioDeviceID probe = SDL_OpenAudioDevice(nullptr, 0, &silent, &request, 0);
    if (probe == 0) {
        error_ = SDL_GetError();
        return false;
    }
    SDL_CloseAudioDevice(probe);
    return true;
}

bool SdlAudioOutput::Attach(audio::OutputBuffer& buffer) {
    if (!ready_) return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (buffer_) return false;
    }
    SDL_AudioSpec wanted = SpecOf(buffer.Format());
    wanted.callback = &SdlAudioOutput::Feed;
    wanted.userdata = this;
    SDL_AudioSpec got{};
    // SDL converts to what the card takes, so the buffer's own format is always kept.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, 0);
    if (device == 0) {
        error_ = SDL_GetError();
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        buffer_ = &buffer;
    }
    device_ = device;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlAudioOutput::Detach(audio::OutputBuffer& buffer) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (buffer_ != &buffer) return;
    }
    // Closing waits for a running callback, so the buffer is not read once this returns.
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    std::lock_guard<std::mutex> lock(mutex_);
    buffer_ = nullptr;
}

void SdlAudioOutput::Feed(void* self, Uint8* stream, int bytes) {
    auto* output = static_cast<SdlAudioOutput*>(self);
    std::lock_guard<std::mutex> lock(output->mutex_);
    if (output->buffer_)
        output->buffer_->Pull(stream, static_cast<uint32_t>(bytes));
    else
        std::memset(stream, 0, static_cast<size_t>(bytes));
}

}  // namespace platform::sdl
