#include "platform/sdl/InputTranslation.h"

#include <string>

#include "platform/window/MessageIds.h"
#include "platform/window/RawInput.h"
#include "platform/window/Screen.h"

namespace platform::sdl {
namespace {

constexpr int kWheelNotch = 120;
constexpr uint16_t kMouseLeft = 1, kMouseRight = 2, kMouseMiddle = 3, kMouseX1 = 4, kMouseX2 = 5;
constexpr uint16_t kBreakRecord = rawkey::kBreak;

struct KeyPair {
    SDL_Scancode scancode;
    uint16_t virtualKey;
};

// Keys whose virtual-key number does not follow from a run of letters, digits or F-keys.
constexpr KeyPair kKeys[] = {
    {SDL_SCANCODE_BACKSPACE, 8},
    {SDL_SCANCODE_TAB, 9},
    {SDL_SCANCODE_CLEAR, 12},
    {SDL_SCANCODE_RETURN, 13},
    {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_PAUSE, 19},
    {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_ESCAPE, 27},
    {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_END, 35},
    {SDL_SCANCODE_HOME, 36},
    {SDL_SCANCODE_LEFT, 37},
    {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_SELECT, 41},
    {SDL_SCANCODE_EXECUTE, 43},
    {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_HELP, 47},
    {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_RGUI, 92},
    {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_SLEEP, 95},
    {SDL_SCANCODE_KP_0, 96},
    {SDL_SCANCODE_KP_MULTIPLY, 106},
    {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_PERIOD, 110},
    {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144},
    {SDL_SCANCODE_SCROLLLOCK, 145},
    {SDL_SCANCODE_LSHIFT, 160},
    {SDL_SCANCODE_RSHIFT, 161},
    {SDL_SCANCODE_LCTRL, 162},
    {SDL_SCANCODE_RCTRL, 163},
    {SDL_SCANCODE_LALT, 164},
    {SDL_SCANCODE_RALT, 165},
    {SDL_SCANCODE_AC_BACK, 166},
    {SDL_SCANCODE_AC_FORWARD, 167},
    {SDL_SCANCODE_AC_REFRESH, 168},
    {SDL_SCANCODE_AC_STOP, 169},
    {SDL_SCANCODE_AC_SEARCH, 170},
    {SDL_SCANCODE_AC_BOOKMARKS, 171},
    {SDL_SCANCODE_AC_HOME, 172},
    {SDL_SCANCODE_MUTE, 173},
    {SDL_SCANCODE_VOLUMEDOWN, 174},
    {SDL_SCANCODE_VOLUMEUP, 175},
    {SDL_SCANCODE_AUDIONEXT, 176},
    {SDL_SCANCODE_AUDIOPREV, 177},
    {SDL_SCANCODE_AUDIOSTOP, 178},
    {SDL_SCANCODE_AUDIOPLAY, 179},
    {SDL_SCANCODE_MAIL, 180},
    {SDL_SCANCODE_MEDIASELECT, 181},
    {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_EQUALS, 187},
    {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_LEFTBRACKET, 219},
    {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_APOSTROPHE, 222},
};

void PostKey(const SDL_KeyboardEvent& key, Window& window) {
    const uint16_t vk = VirtualKeyOf(key.keysym.scancode);
    if (vk == 0) return;
    const bool down = key.type == SDL_KEYDOWN;
    RawInput record;
    record.type = RawInputType::Keyboard;
    record.device = kKeyboardDevice;
    record.keyboard.virtualKey = vk;
    record.keyboard.flags = down ? 0 : kBreakRecord;
    window.PostRawInput(record);
    window.Post(down ? msg::kKeyDown : msg::kKeyUp, vk, 0);
}

void PostMouse(uint16_t buttonFlags, uint16_t buttonData, int dx, int dy, Window& window) {
    RawInput record;
    record.type = RawInputType::Mouse;
    record.device = kMouseDevice;
    record.mouse = {rawmouse::kMoveRelative, buttonFlags, buttonData, dx, dy};
    window.PostRawInput(record);
}

// The raw record's button number (1 left, 2 right, 3 middle, then the side buttons).
uint16_t MouseButtonOf(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return kMouseLeft;
        case SDL_BUTTON_RIGHT:
            return kMouseRight;
        case SDL_BUTTON_MIDDLE:
            return kMouseMiddle;
        case SDL_BUTTON_X1:
            return kMouseX1;
        case SDL_BUTTON_X2:
            return kMouseX2;
        default:
            return 0;
    }
}

uint16_t WheelData(Sint32 notches) { return static_cast<uint16_t>(static_cast<int16_t>(notches * kWheelNotch)); }

void PostWindowEvent(const SDL_WindowEvent& event, Window& window) {
    switch (event.event) {
        case SDL_WINDOWEVENT_CLOSE:
            window.Post(msg::kDestroy, 0, 0);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
            // The engine reads a client size from the proposed outer rectangle of a framed window.
            WindowMessage m{msg::kNcCalcSize, 1, 0, {}};
            m.rect = {0, 0, event.data1 + 2 * kFrameWidth, event.data2 + 2 * kFrameHeight + kCaptionHeight};
            window.Post(m);
            break;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            window.Post(msg::kActivate, 1, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            window.Post(msg::kActivate, 0, 0);
            break;
        default:
            break;
    }
}

}  // namespace

void AddInputDevices(Window& window) {
    window.AddRawInputDevice(kKeyboardDevice, {RawInputType::Keyboard, 0, 0});
    window.AddRawInputDevice(kMouseDevice, {RawInputType::Mouse, 0, 0});
}

uint16_t VirtualKeyOf(SDL_Scancode scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return static_cast<uint16_t>('A' + scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return static_cast<uint16_t>('1' + scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return '0';
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return static_cast<uint16_t>(97 + scancode - SDL_SCANCODE_KP_1);
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return static_cast<uint16_t>(112 + scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
        return static_cast<uint16_t>(124 + scancode - SDL_SCANCODE_F13);
    for (const KeyPair& pair : kKeys)
        if (pair.scancode == scancode) return pair.virtualKey;
    return 0;
}

bool TranslateEvent(const SDL_Event& event, Window& window) {
    switch (event.type) {
        case SDL_QUIT:
            window.Post(msg::kDestroy, 0, 0);
            return true;
        case SDL_WINDOWEVENT:
            PostWindowEvent(event.window, window);
            return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            // Held keys repeat as further key-down messages; the raw record is sent once.
            if (event.key.repeat) {
                const uint16_t vk = VirtualKeyOf(event.key.keysym.scancode);
                if (vk) window.Post(msg::kKeyDown, vk, 0);
                return vk != 0;
            }
            PostKey(event.key, window);
            return VirtualKeyOf(event.key.keysym.scancode) != 0;
        case SDL_TEXTINPUT:
            // Characters outside ASCII have no single-byte code in the engine's typed-character slot.
            for (const char* c = event.text.text; *c; ++c)
                if (static_cast<unsigned char>(*c) < 0x80) window.Post(msg::kChar, static_cast<unsigned char>(*c), 0);
            return true;
        case SDL_MOUSEMOTION:
            PostMouse(0, 0, event.motion.xrel, event.motion.yrel, window);
            window.Post(msg::kMouseMove, 0,
                        (event.motion.x & 0xFFFF) | (static_cast<int64_t>(event.motion.y & 0xFFFF) << 16));
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const uint16_t button = MouseButtonOf(event.button.button);
            if (button == 0) return false;
            const int bit = 2 * (button - 1) + (event.type == SDL_MOUSEBUTTONUP ? 1 : 0);
            PostMouse(static_cast<uint16_t>(1u << bit), 0, 0, 0, window);
            return true;
        }
        case SDL_MOUSEWHEEL: {
            Sint32 x = event.wheel.x, y = event.wheel.y;
            if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
                x = -x;
                y = -y;
            }
            if (y != 0) PostMouse(rawmouse::kWheel, WheelData(y), 0, 0, window);
            if (x != 0) PostMouse(rawmouse::kHWheel, WheelData(x), 0, 0, window);
            return x != 0 || y != 0;
        }
        case SDL_DROPFILE: {
            std::string path = event.drop.file ? event.drop.file : "";
            window.PostDropFiles({path});
            return true;
        }
        case SDL_CONTROLLERDEVICEADDED:
            window.Post(msg::kDeviceChange, devchange::kArrival, 0);
            return true;
        case SDL_CONTROLLERDEVICEREMOVED:
            window.Post(msg::kDeviceChange, devchange::kRemoveComplete, 0);
            return true;
        default:
            return false;
    }
}

PadInput PadInputOf(const bool (&buttons)[SDL_CONTROLLER_BUTTON_MAX], const Sint16 (&axes)[SDL_CONTROLLER_AXIS_MAX]) {
    static constexpr struct {
        SDL_GameControllerButton button;
        uint16_t bit;
    } kButtons[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, padbutton::kDpadUp},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, padbutton::kDpadDown},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, padbutton::kDpadLeft},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, padbutton::kDpadRight},
        {SDL_CONTROLLER_BUTTON_START, padbutton::kStart},
        {SDL_CONTROLLER_BUTTON_BACK, padbutton::kBack},
        {SDL_CONTROLLER_BUTTON_LEFTSTICK, padbutton::kLeftThumb},
        {SDL_CONTROLLER_BUTTON_RIGHTSTICK, padbutton::kRightThumb},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, padbutton::kLeftShoulder},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, padbutton::kRightShoulder},
        {SDL_CONTROLLER_BUTTON_A, padbutton::kA},
        {SDL_CONTROLLER_BUTTON_B, padbutton::kB},
        {SDL_CONTROLLER_BUTTON_X, padbutton::kX},
        {SDL_CONTROLLER_BUTTON_Y, padbutton::kY},
    };
    PadInput input;
    for (const auto& b : kButtons)
        if (buttons[b.button]) input.buttons |= b.bit;
    // Down is positive for SDL's vertical axes and negative for the pad's; -32768 has no mirror.
    auto up = [](Sint16 v) { return static_cast<int16_t>(v == -32768 ? 32767 : -v); };
    auto trigger = [](Sint16 v) { return static_cast<uint8_t>(v <= 0 ? 0 : (v * 255 + 16383) / 32767); };
    input.thumbLX = axes[SDL_CONTROLLER_AXIS_LEFTX];
    input.thumbLY = up(axes[SDL_CONTROLLER_AXIS_LEFTY]);
    input.thumbRX = axes[SDL_CONTROLLER_AXIS_RIGHTX];
    input.thumbRY = up(axes[SDL_CONTROLLER_AXIS_RIGHTY]);
    input.leftTrigger = trigger(axes[SDL_CONTROLLER_AXIS_TRIGGERLEFT]);
    input.rightTrigger = trigger(axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT]);
    return input;
}

}  // namespace platform::sdl
