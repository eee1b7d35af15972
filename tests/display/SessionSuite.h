#pragma once
// One real session (window, OpenGL context, dummy sound card) for a whole suite keeps the display
// checks quick; every test still makes its own window and device on it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/gfx/Types.h"
#include "platform/sdl/SdlSession.h"
#include "platform/window/Window.h"
#include "tests/display/SdlSessionProbe.h"

namespace displaytest {

class SessionSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The machines that run these have no sound card; SDL's dummy driver stands in.
        if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::string error;
        session_ = platform::sdl::SdlSession::Open(&error);
        openError_ = error;
        if (session_) SdlSessionProbe::KeepFrames(*session_, true);
    }
    static void TearDownTestSuite() { session_.reset(); }

    // A windowed back buffer of that size with a depth surface, presented at once.
    static platform::gfx::PresentParameters WindowParameters(platform::Window* window, uint32_t width,
                                                             uint32_t height) {
        using namespace platform::gfx;
        PresentParameters p;
        p.backBufferWidth = width;
        p.backBufferHeight = height;
        p.backBufferFormat = kFormatX8R8G8B8;
        p.backBufferCount = 1;
        p.swapEffect = kSwapEffectDiscard;
        p.deviceWindow = window;
        p.enableAutoDepthStencil = true;
        p.autoDepthStencilFormat = kFormatD24S8;
        p.presentationInterval = kPresentIntervalImmediate;
        return p;
    }

    static inline std::unique_ptr<platform::sdl::SdlSession> session_;
    static inline std::string openError_;
};

}  // namespace displaytest
