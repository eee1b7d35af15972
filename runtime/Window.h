#pragma once
// The window system: owns the game window, pumps its messages once per frame and turns the
// ones the engine cares about into engine messages or calls of the input system.
#include <cstdint>
#include <memory>
#include <string>

#include "core/System.h"
#include "platform/window/Window.h"

namespace SD {

class Window_ : public ISystem {
public:
    // The one instance, set by the constructor and cleared by the destructor.
    static Window_* GetInstance();

    // fullScreen: a frameless pop-up window of the given size on top of everything.
    Window_(const std::string& title, uint32_t width, uint32_t height, bool fullScreen, int showCommand);
    ~Window_() override;
    Window_(const Window_&) = delete;
    Window_& operator=(const Window_&) = delete;

    const char* GetName() const override { return "Window"; }
    // Pumps every message waiting for the window.
    void Update(float dt) override;

    // The graphics layer reports a new back-buffer size.
    void SetSize(uint32_t width, uint32_t height);
    // The graphics layer leaves full screen.
    void ApplyWindowedStyle();
    void Centre();
    void Minimize();
    void RefreshFrame();
    void ShowCursor(bool show);

    uint32_t GetWidth() const { return width_; }
    uint32_t GetHeight() const { return height_; }
    bool GetFullscreen() const { return fullScreen_; }
    // The graphics layer enters or leaves full screen: entering makes the window a frameless
    // pop-up over the screen (the window backend shows that as full screen).
    void SetFullscreen(bool fullScreen);
    const std::string& GetTitle() const { return title_; }
    int GetCursorX() const { return cursorX_; }
    int GetCursorY() const { return cursorY_; }
    uint32_t GetStyle() const { return style_; }
    uint32_t GetExStyle() const { return exStyle_; }
    platform::Window* GetPlatformWindow() { return window_.get(); }

private:
    void HandleMessage(const platform::WindowMessage& message);
    void OnClientSize(int width, int height);
    void OnDropFiles(uint64_t drop);
    platform::WindowRect OuterRect(uint32_t width, uint32_t height, uint32_t style) const;

    uint32_t width_;
    uint32_t height_;
    bool fullScreen_;
    std::string title_;
    std::unique_ptr<platform::Window> window_;
    platform::WindowRect rect_;
    uint32_t style_;
    uint32_t exStyle_;
    int cursorX_ = 0;
    int cursorY_ = 0;
};

}  // namespace SD
