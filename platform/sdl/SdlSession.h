#pragma once
// A game session on the real devices: one SDL window with an OpenGL 3.3 core context in which
// the graphics device's calls are carried out (GlExecutor) and its frames shown, keyboard,
// mouse and window events posted into the engine's window queue, the engine's cursor show
// count on the window's pointer, game controllers in the four pad slots (with their motors),
// and the sound card behind the output device. Opening it installs all of that; closing it
// puts the headless stand-ins back.
#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/TestProbe.h"
#include "platform/gfx/Objects.h"
#include "platform/os/Dialogs.h"
#include "platform/pad/Pad.h"
#include "platform/sdl/GlExecutor.h"
#include "platform/sdl/SdlAudioOutput.h"
#include "platform/sdl/TweakBarWindow.h"
#include "platform/window/WindowBackend.h"

namespace platform::sdl {

class SdlSession : public WindowBackend, private IPadVibrationSink, private ICursorSink {
public:
    // The installed session, or null with the reason (no display, no OpenGL 3.3, no sound card).
    static std::unique_ptr<SdlSession> Open(std::string* error);
    ~SdlSession() override;
    SdlSession(const SdlSession&) = delete;
    SdlSession& operator=(const SdlSession&) = delete;

    void Opened(Window& window) override;
    void Closed(Window& window) override;
    void Reshaped(Window& window) override;
    void Pump(Window& window) override;
    std::vector<DisplayMode> DisplayModes() const override;

private:
    friend struct platform::TestProbe<SdlSession>;

    SdlSession() = default;
    void Vibrate(uint32_t index, const PadVibration& vibration) override;
    void CursorShown(bool shown) override;
    bool Start(std::string* error);
    // The window's back buffer into the last frame.
    void ReadBack();
    void OpenPad(int joystickIndex);
    void ClosePad(SDL_JoystickID instance);
    void PollPads();

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    bool videoStarted_ = false;
    std::unique_ptr<SdlAudioOutput> audio_;
    std::unique_ptr<GlExecutor> executor_;
    std::unique_ptr<TweakBarWindow> bars_;
    // Reading each shown frame back costs time; checks of the screen ask for it. The last frame
    // shown meanwhile, as rows of red, green, blue, alpha from the top, read back from the
    // window itself, and the device's back buffer of that frame in the same layout.
    bool keepFrames_ = false;
    std::vector<uint8_t> lastFrame_;
    std::vector<uint8_t> lastPresented_;
    int lastWidth_ = 0, lastHeight_ = 0;
    SDL_GameController* pads_[kPadCount] = {};
    PadInput padInputs_[kPadCount] = {};
};

}  // namespace platform::sdl
