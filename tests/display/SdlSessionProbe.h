#pragma once
// What the display tests read of the real window session (the frames read back from the window
// and from the device, whether a frame went straight into the window, how many tweak bars were
// drawn) and what they do to it: keep frames, resize the window, lose the GL context.
#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "platform/sdl/GlExecutor.h"
#include "platform/sdl/SdlSession.h"
#include "platform/sdl/TweakBarWindow.h"

template <>
struct platform::TestProbe<platform::sdl::SdlSession> {
    using Session = platform::sdl::SdlSession;
    // Reading each shown frame back costs time; checks of the screen ask for it.
    static void KeepFrames(Session& session, bool keep) { session.keepFrames_ = keep; }
    // The last frame shown while frames are kept, as rows of red, green, blue, alpha from the
    // top, read back from the window itself; empty before the first.
    static const std::vector<uint8_t>& LastFrame(const Session& session) { return session.lastFrame_; }
    static int LastFrameWidth(const Session& session) { return session.lastWidth_; }
    static int LastFrameHeight(const Session& session) { return session.lastHeight_; }
    // The device's back buffer of that frame in the same layout, at the device's size.
    static const std::vector<uint8_t>& LastPresented(const Session& session) { return session.lastPresented_; }
    static platform::sdl::GlExecutor& Executor(Session& session) { return *session.executor_; }
    static const platform::sdl::TweakBarWindow& Bars(const Session& session) { return *session.bars_; }
    // Gives the window a new client size, as a user dragging its frame would.
    static void ResizeWindow(Session& session, int width, int height) {
        SDL_SetWindowSize(session.window_, width, height);
    }
    // The GL context is destroyed and a new one made, as when a driver loses it; everything the
    // executor and the bars keep is re-created from the device's objects.
    static void LoseContext(Session& session) {
        session.executor_->ContextLost();
        session.bars_->ContextLost();
        SDL_GL_DeleteContext(session.context_);
        session.context_ = SDL_GL_CreateContext(session.window_);
        SDL_GL_MakeCurrent(session.window_, session.context_);
        session.executor_->ContextRestored();
        session.bars_->ContextRestored();
    }
};

template <>
struct platform::TestProbe<platform::sdl::GlExecutor> {
    // Whether the frame last presented was drawn straight into the window (or copied there).
    static bool LastFrameInWindow(const platform::sdl::GlExecutor& executor) { return executor.windowFrame_; }
};

template <>
struct platform::TestProbe<platform::sdl::TweakBarWindow> {
    // The number of bars the last Draw showed.
    static int BarsShown(const platform::sdl::TweakBarWindow& bars) { return bars.barsShown_; }
};

using SdlSessionProbe = platform::TestProbe<platform::sdl::SdlSession>;
using GlExecutorProbe = platform::TestProbe<platform::sdl::GlExecutor>;
using TweakBarsProbe = platform::TestProbe<platform::sdl::TweakBarWindow>;
