#pragma once
// The mouse as the window system delivers it: a move of the pointer, or the left button going
// down or up at a point (the n-th of quick clicks in a row).
#include <SDL.h>

namespace displaytest {

inline void PushMouse(Uint32 type, int x, int y, Uint8 clicks = 1) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
        e.motion.x = x;
        e.motion.y = y;
    } else {
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = clicks;
        e.button.x = x;
        e.button.y = y;
    }
    SDL_PushEvent(&e);
}

}  // namespace displaytest
