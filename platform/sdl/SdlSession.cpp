#include "platform/sdl/SdlSession.h"

#include <algorithm>

#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <cstring>

#include "platform/audio/OutputSink.h"
#include "platform/gfx/Device.h"
#include "platform/os/Dialogs.h"
#include "platform/sdl/InputTranslation.h"
#include "platform/window/MessageIds.h"
#include "platform/window/Screen.h"
#include "platform/window/Window.h"

namespace platform::sdl {

std::unique_ptr<SdlSession> SdlSession::Open(std::string* error) {
    std::unique_ptr<SdlSession> session(new SdlSession());
    if (!session->Start(error)) return nullptr;
    SetWindowBackend(session.get());
    gfx::SetExecutor(session->executor_.get());
    audio::SetOutputSink(session->audio_.get());
    SetPadVibrationSink(session.get());
    SetCursorSink(session.get());
    return session;
}

void SdlSession::Vibrate(uint32_t index, const PadVibration& v) {
    // The engine sets a level and keeps it until it sets another: the longest duration SDL takes.
    if (index < kPadCount && pads_[index])
        SDL_GameControllerRumble(pads_[index], v.leftMotor, v.rightMotor, SDL_MAX_UINT32);
}

void SdlSession::CursorShown(bool shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

bool SdlSession::Start(std::string* error) {
    if (!SDL_getenv("DISPLAY") && !SDL_getenv("WAYLAND_DISPLAY") && !SDL_getenv("SDL_VIDEODRIVER")) {
        *error = "no display (set DISPLAY or WAYLAND_DISPLAY)";
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER) != 0) {
        *error = std::string("no display: ") + SDL_GetError();
        return false;
    }
    videoStarted_ = true;
    // Without a display SDL may still start a driver that draws nowhere; that is no window.
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if ((driver == "offscreen" || driver == "dummy" || driver.empty()) && !(asked && driver == asked)) {
        *error = "no display (set DISPLAY or WAYLAND_DISPLAY)";
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The device's back buffer is often the window's own: its depth is the device's format.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    // Hidden until the engine opens its window, so a missing OpenGL is known before the game starts.
    window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480,
                               SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!window_) {
        *error = std::string("no window: ") + SDL_GetError();
        return false;
    }
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) {
        *error = std::string("no OpenGL 3.3 core context: ") + SDL_GetError();
        return false;
    }
    SDL_GL_SetSwapInterval(1);
    bars_ = std::make_unique<TweakBarWindow>(window_);
    // The bars go over the game's finished frame, which may be in the window already: it is
    // read back before them, the window after them.
    executor_ = std::make_unique<GlExecutor>(window_, [this](const gfx::Device& device) {
        if (keepFrames_ && !executor_->ReadBackBuffer(device, lastPresented_)) lastPresented_.clear();
        bars_->Draw();
        if (keepFrames_) ReadBack();
    });

    audio_ = std::make_unique<SdlAudioOutput>();
    if (!audio_->Probe()) {
        *error = "no sound card: " + audio_->Error();
        return false;
    }
    return true;
}

SdlSession::~SdlSession() {
    RemoveCursorSink(this);
    RemovePadVibrationSink(this);
    audio::RemoveOutputSink(audio_.get());
    if (executor_) gfx::RemoveExecutor(executor_.get());
    RemoveWindowBackend(this);
    for (SDL_GameController*& pad : pads_)
        if (pad) SDL_GameControllerClose(pad);
    audio_.reset();
    if (context_) {
        executor_.reset();
        bars_.reset();
        SDL_GL_DeleteContext(context_);
    }
    if (window_) SDL_DestroyWindow(window_);
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER);
    SDL_Quit();
}

void SdlSession::Opened(Window& window) {
    SDL_SetWindowTitle(window_, window.Title().c_str());
    Reshaped(window);
    SDL_ShowWindow(window_);
    SDL_StartTextInput();
    AddInputDevices(window);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_IsGameController(i)) OpenPad(i);
}

void SdlSession::Reshaped(Window& window) {
    int width = window.GetRect().Width(), height = window.GetRect().Height();
    // The record holds the outer size; a framed window's frame is the window system's own.
    if (window.Style() & style::kOverlappedWindow) {
        width -= 2 * kFrameWidth;
        height -= 2 * kFrameHeight + kCaptionHeight;
    }
    const bool fullScreen = (window.Style() & style::kPopup) != 0;
    SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!fullScreen && width > 0 && height > 0) {
        SDL_SetWindowSize(window_, width, height);
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
}

// The display's own modes, and the common sizes that fit on its desktop: full screen stretches
// the frame over the desktop, so any of them can be shown.
std::vector<DisplayMode> SdlSession::DisplayModes() const {
    const int display = std::max(0, window_ ? SDL_GetWindowDisplayIndex(window_) : 0);
    std::vector<DisplayMode> own;
    for (int i = 0, count = SDL_GetNumDisplayModes(display); i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) == 0 && mode.w > 0 && mode.h > 0)
            own.emplace_back(static_cast<uint32_t>(mode.w), static_cast<uint32_t>(mode.h));
    }
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(display, &desktop) != 0) desktop.w = desktop.h = 0;
    return DisplayModesFitting(desktop.w, desktop.h, std::move(own));
}

void SdlSession::Closed(Window&) {
    SDL_StopTextInput();
    SDL_HideWindow(window_);
}

void SdlSession::Pump(Window& window) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        // The slot is filled before the engine hears of the change, so its rescan finds it.
        if (event.type == SDL_CONTROLLERDEVICEADDED) OpenPad(event.cdevice.which);
        if (event.type == SDL_CONTROLLERDEVICEREMOVED) ClosePad(event.cdevice.which);
        if (bars_ && bars_->TakeEvent(event)) continue;
        TranslateEvent(event, window);
    }
    PollPads();
}

void SdlSession::OpenPad(int joystickIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(joystickIndex);
    for (SDL_GameController* pad : pads_)
        if (pad && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id) return;
    for (uint32_t slot = 0; slot < kPadCount; ++slot) {
        if (pads_[slot]) continue;
        pads_[slot] = SDL_GameControllerOpen(joystickIndex);
        if (!pads_[slot]) return;
        padInputs_[slot] = PadInput{};
        ConnectPad(slot);
        return;
    }
}

void SdlSession::ClosePad(SDL_JoystickID instance) {
    for (uint32_t slot = 0; slot < kPadCount; ++slot) {
        if (!pads_[slot] || SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pads_[slot])) != instance) continue;
        SDL_GameControllerClose(pads_[slot]);
        pads_[slot] = nullptr;
        UnplugPad(slot);
    }
}

void SdlSession::PollPads() {
    for (uint32_t slot = 0; slot < kPadCount; ++slot) {
        SDL_GameController* pad = pads_[slot];
        if (!pad) continue;
        bool buttons[SDL_CONTROLLER_BUTTON_MAX];
        Sint16 axes[SDL_CONTROLLER_AXIS_MAX];
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
            buttons[b] = SDL_GameControllerGetButton(pad, static_cast<SDL_GameControllerButton>(b)) != 0;
        for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; ++a)
            axes[a] = SDL_GameControllerGetAxis(pad, static_cast<SDL_GameControllerAxis>(a));
        const PadInput input = PadInputOf(buttons, axes);
        // The packet number changes only with new input, as the engine expects.
        if (std::memcmp(&input, &padInputs_[slot], sizeof input) == 0) continue;
        padInputs_[slot] = input;
        SetPadInput(slot, input);
    }
}

void SdlSession::ReadBack() {
    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
    // Read before the swap, while the drawn image is still defined.
    lastFrame_.resize(static_cast<size_t>(drawableWidth) * drawableHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, drawableWidth, drawableHeight, GL_RGBA, GL_UNSIGNED_BYTE, lastFrame_.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    const size_t row = static_cast<size_t>(drawableWidth) * 4;
    std::vector<uint8_t> swap(row);
    for (int y = 0; y < drawableHeight / 2; ++y) {
        uint8_t* top = lastFrame_.data() + y * row;
        uint8_t* bottom = lastFrame_.data() + (drawableHeight - 1 - y) * row;
        std::memcpy(swap.data(), top, row);
        std::memcpy(top, bottom, row);
        std::memcpy(bottom, swap.data(), row);
    }
    lastWidth_ = drawableWidth;
    lastHeight_ = drawableHeight;
}

}  // namespace platform::sdl
