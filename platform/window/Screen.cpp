#include "platform/window/Screen.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<int> screenWidth{kDefaultScreenWidth};
std::atomic<int> screenHeight{kDefaultScreenHeight};
}  // namespace

int ScreenWidth() { return screenWidth; }
int ScreenHeight() { return screenHeight; }

void SetScreenSize(int width, int height) {
    screenWidth = width;
    screenHeight = height;
}

void ResetScreen() { SetScreenSize(kDefaultScreenWidth, kDefaultScreenHeight); }

}  // namespace platform
