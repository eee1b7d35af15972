#pragma once
// Turns SDL events into the engine-level messages of the window queue, the same records the
// engine reads from any other input source: keys by virtual-key number, relative mouse motion,
// buttons and wheel as raw mouse records, the cursor position, typed characters, resizes,
// focus, closing and dropped files. Pure functions of the event, so they run without a display.
#include <SDL.h>

#include <cstdint>

#include "platform/pad/Pad.h"
#include "platform/window/Window.h"

namespace platform::sdl {

// The raw-input device numbers the translated records carry; AddInputDevices attaches them.
constexpr uint32_t kKeyboardDevice = 1;
constexpr uint32_t kMouseDevice = 2;
void AddInputDevices(Window& window);

// The virtual-key number of a key, 0 for a key the engine has no number for.
uint16_t VirtualKeyOf(SDL_Scancode scancode);

// Posts what the event means to the window; false when it means nothing to it.
bool TranslateEvent(const SDL_Event& event, Window& window);

// Pad state from the controller's buttons (indexed by SDL_GameControllerButton) and axes
// (indexed by SDL_GameControllerAxis): sticks with up positive, triggers scaled to 0..255.
PadInput PadInputOf(const bool (&buttons)[SDL_CONTROLLER_BUTTON_MAX], const Sint16 (&axes)[SDL_CONTROLLER_AXIS_MAX]);

}  // namespace platform::sdl
