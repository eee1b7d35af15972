#pragma once
// The tweak bars of platform/tweak drawn over the game's frame with Dear ImGui and worked with
// the mouse and keyboard: every visible bar is a window at its "position" and "size", its items
// in bar order with their group names as headings, the fields leaving room for the widest
// label; a variable shows its value and takes a new one typed into it (a click selects the whole
// value) when Return is pressed or the field is left, a bool is a check box, a button runs its
// callback, a read-only variable only shows its value.
#include <SDL.h>

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/TestProbe.h"

namespace platform::sdl {

class TweakBarWindow {
public:
    // Uses the window and its current OpenGL 3.3 context.
    explicit TweakBarWindow(SDL_Window* window);
    ~TweakBarWindow();
    TweakBarWindow(const TweakBarWindow&) = delete;
    TweakBarWindow& operator=(const TweakBarWindow&) = delete;

    // Hands the event to the bars; true when it is theirs alone (a press or the wheel over a bar,
    // typing into one), so the game does not also act on it. Releases always reach the game.
    bool TakeEvent(const SDL_Event& event);
    // Draws the visible bars into the window's back buffer; nothing when none is visible.
    void Draw();

    // The GL objects go with a lost context and are made again in the new one.
    void ContextLost();
    void ContextRestored();

private:
    friend struct platform::TestProbe<TweakBarWindow>;

    using TextBuffer = std::array<char, 256>;

    // The bars see the keys once a frame: a key pressed and let go within one frame (a quick
    // tap in a slow frame) would be missed. A key's second change in a frame, and every key
    // event after it, is held back until the frame has been drawn.
    void PassKey(const SDL_Event& event);
    void PassHeldKeys();

    SDL_Window* window_;
    std::map<unsigned, TextBuffer> buffers_;
    unsigned editing_ = 0;  // the text field being typed into, 0 for none
    float pointer_[2] = {0.0f, 0.0f};
    bool pointerSeen_ = false;
    int barsShown_ = 0;
    std::set<SDL_Scancode> keysChanged_;  // the keys the bars saw change since the last frame
    std::vector<SDL_Event> heldKeys_;
};

}  // namespace platform::sdl
