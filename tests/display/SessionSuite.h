#pragma once
// One real session (window, OpenGL context, dummy sound card) for a whole suite keeps the display
// checks quick; every test still makes its own window and device on it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/sdl/SdlSession.h"

namespace displaytest {

class SessionSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The machines that run these have no sound card; SDL's dummy driver stands in.
        if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::string error;
        session_ = platform::sdl::SdlSession::Open(&error);
        openError_ = error;
        if (session_) session_->KeepFrames(true);
    }
    static void TearDownTestSuite() { session_.reset(); }

    static inline std::unique_ptr<platform::sdl::SdlSession> session_;
    static inline std::string openError_;
};

}  // namespace displaytest
