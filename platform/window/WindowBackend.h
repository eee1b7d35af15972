#pragma once
// A real window system behind the window record. While one is installed, every window record
// opened tells it so, and each drain of the queue first lets it post what happened since the
// last one. Without one (the default) the queue holds only what tests and the engine post.
#include <vector>

#include "platform/window/DisplayModes.h"

namespace platform {

class Window;

class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    virtual void Opened(Window& window) = 0;
    virtual void Closed(Window& window) = 0;
    // The engine gave the window another size or style (framed, or a popup covering the screen).
    virtual void Reshaped(Window& window) = 0;
    // Posts the events that arrived since the last pump into the window's queue.
    virtual void Pump(Window& window) = 0;
    // The sizes the game can be shown at on this window system's display (DisplayModes.h).
    virtual std::vector<DisplayMode> DisplayModes() const = 0;
};

// The installed window system, or null. A seam (docs/seams.md): while one is installed another
// is refused.
bool SetWindowBackend(WindowBackend* backend);
// Removes `backend` only if it is the one installed.
void RemoveWindowBackend(WindowBackend* backend);
WindowBackend* InstalledWindowBackend();

}  // namespace platform
