#pragma once
// The sizes (width, height in pixels) the display can show the game at, for the resolution
// menu. A size fits when a window of it fits on the screen: the game shows its frame either in
// a window of that size or stretched over the whole screen, never by switching the screen.
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

using DisplayMode = std::pair<uint32_t, uint32_t>;  // width, height

// The common sizes offered wherever they fit on the screen, from the smallest:
// 640x480, 800x600, 1024x768, 1280x720, 1280x800, 1280x1024, 1366x768, 1440x900, 1600x900,
// 1600x1200, 1680x1050, 1920x1080, 1920x1200, 2560x1440, 3840x2160.
const std::vector<DisplayMode>& CommonDisplayModes();

// The common sizes that fit on a screen of that size, with the screen's own `extra` modes
// added; sorted by width, then height, without repeats.
std::vector<DisplayMode> DisplayModesFitting(int screenWidth, int screenHeight, std::vector<DisplayMode> extra = {});

// The installed window system's sizes; headless, the common sizes that fit on the headless
// screen (platform/window/Screen.h).
std::vector<DisplayMode> DisplayModes();

}  // namespace platform
