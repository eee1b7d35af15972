#include "platform/window/DisplayModes.h"

#include <algorithm>

#include "platform/window/Screen.h"
#include "platform/window/WindowBackend.h"

namespace platform {

const std::vector<DisplayMode>& CommonDisplayModes() {
    static const std::vector<DisplayMode> modes = {
        {640, 480},  {800, 600},   {1024, 768},  {1280, 720},  {1280, 800},  {1280, 1024}, {1366, 768},  {1440, 900},
        {1600, 900}, {1600, 1200}, {1680, 1050}, {1920, 1080}, {1920, 1200}, {2560, 1440}, {3840, 2160},
    };
    return modes;
}

std::vector<DisplayMode> DisplayModesFitting(int screenWidth, int screenHeight, std::vector<DisplayMode> extra) {
    // Only the display's own modes can be empty.
    std::vector<DisplayMode> modes = std::move(extra);
    modes.erase(std::remove_if(modes.begin(), modes.end(),
                               [](const DisplayMode& mode) { return mode.first == 0 || mode.second == 0; }),
                modes.end());
    if (screenWidth > 0 && screenHeight > 0)
        for (const DisplayMode& mode : CommonDisplayModes())
            if (mode.first <= static_cast<uint32_t>(screenWidth) && mode.second <= static_cast<uint32_t>(screenHeight))
                modes.push_back(mode);
    std::sort(modes.begin(), modes.end());
    modes.erase(std::unique(modes.begin(), modes.end()), modes.end());
    return modes;
}

std::vector<DisplayMode> DisplayModes() {
    if (WindowBackend* backend = InstalledWindowBackend()) return backend->DisplayModes();
    return DisplayModesFitting(ScreenWidth(), ScreenHeight());
}

}  // namespace platform
