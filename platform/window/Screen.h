#pragma once
// The primary screen and the window-frame metrics. Headless, the screen has a fixed size that
// tests may change (and reset with ResetScreen).

namespace platform {

constexpr int kDefaultScreenWidth = 1920;
constexpr int kDefaultScreenHeight = 1080;
constexpr int kFrameWidth = 4;      // sizing-frame width of a framed window
constexpr int kFrameHeight = 4;     // sizing-frame height of a framed window
constexpr int kCaptionHeight = 23;  // height of a caption bar

int ScreenWidth();
int ScreenHeight();
void SetScreenSize(int width, int height);
void ResetScreen();

}  // namespace platform
