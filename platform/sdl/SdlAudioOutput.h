#pragma once
// The sound card on SDL2 audio: installed as the output device's sink, it opens the card in
// the format of the first buffer attached and feeds the card from that buffer's play cursor.
// Further buffers attached while one plays are refused (the engine mixes into one).
#include <SDL.h>

#include <mutex>
#include <string>

#include "platform/audio/OutputSink.h"

namespace platform::sdl {

class SdlAudioOutput : public audio::OutputSink {
public:
    // Starts SDL's audio; check Ready() and Error().
    SdlAudioOutput();
    ~SdlAudioOutput() override;
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    bool Ready() const { return ready_; }
    const std::string& Error() const { return error_; }
    // Opens the card once in a plain stereo format and closes it again: whether sound can play.
    bool Probe();

    bool Attach(audio::OutputBuffer& buffer) override;
    void Detach(audio::OutputBuffer& buffer) override;

private:
    static void Feed(void* self, Uint8* stream, int bytes);

    bool ready_ = false;
    std::string error_;
    SDL_AudioDeviceID device_ = 0;
    std::mutex mutex_;
    audio::OutputBuffer* buffer_ = nullptr;
};

}  // namespace platform::sdl
