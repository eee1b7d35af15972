// The engine's cursor show counter reaching the real window's pointer.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/os/Dialogs.h"
#include "platform/sdl/SdlSession.h"

namespace {

TEST(CursorDisplay, TheWindowsPointerFollowsTheShowCounterWhileTheSessionIsOpen) {
    if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
    const int start = platform::ShowCursor(true) - 1;
    platform::ShowCursor(false);
    std::string error;
    std::unique_ptr<platform::sdl::SdlSession> session = platform::sdl::SdlSession::Open(&error);
    ASSERT_TRUE(session) << error;
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), start >= 0 ? SDL_ENABLE : SDL_DISABLE) << "at count " << start;
    // To -1, then up to 0: hidden, then shown.
    int count = start;
    while (count > -1) count = platform::ShowCursor(false);
    while (count < -1) count = platform::ShowCursor(true);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    platform::ShowCursor(true);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    session.reset();
    for (int count = 0; count < start; ++count) platform::ShowCursor(true);
    for (int count = 0; count > start; --count) platform::ShowCursor(false);
}

}  // namespace
