#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sdl/InputTranslation.h"
#include "platform/window/MessageIds.h"
#include "platform/window/Screen.h"

namespace {

using platform::sdl::TranslateEvent;
namespace msg = platform::msg;

// One message taken from the queue, with the raw record it carried, in a comparable form.
std::string Describe(platform::Window& window, const platform::WindowMessage& m) {
    std::string s = std::to_string(m.message) + ":" + std::to_string(m.wParam);
    if (m.message == msg::kInput) {
        platform::RawInput r;
        if (!window.ReadRawInput(m.lParam, r)) return s + ":unreadable";
        platform::RawInputDeviceInfo info;
        if (!window.GetRawInputDeviceInfo(r.device, info) || info.type != r.type) return s + ":no device";
        if (r.type == platform::RawInputType::Keyboard)
            return s + ":key " + std::to_string(r.keyboard.virtualKey) + " flags " + std::to_string(r.keyboard.flags);
        return s + ":mouse " + std::to_string(r.mouse.buttonFlags) + " " + std::to_string(r.mouse.buttonData) + " " +
               std::to_string(r.mouse.lastX) + "," + std::to_string(r.mouse.lastY);
    }
    if (m.message == msg::kNcCalcSize)
        return s + ":" + std::to_string(m.rect.Width()) + "x" + std::to_string(m.rect.Height());
    return s + ":" + std::to_string(m.lParam);
}

std::vector<std::string> Translate(const SDL_Event& event) {
    platform::Window window("T", 0, 0, 100, 50);
    platform::sdl::AddInputDevices(window);
    TranslateEvent(event, window);
    std::vector<std::string> out;
    platform::WindowMessage m;
    while (window.Peek(m)) out.push_back(Describe(window, m));
    return out;
}

SDL_Event Key(Uint32 type, SDL_Scancode code, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.scancode = code;
    e.key.repeat = repeat;
    return e;
}

TEST(SdlInputTranslation, KeysBecomeVirtualKeyNumbers) {
    const struct {
        SDL_Scancode code;
        uint16_t vk;
    } cases[] = {
        {SDL_SCANCODE_A, 65},       {SDL_SCANCODE_Z, 90},          {SDL_SCANCODE_0, 48},
        {SDL_SCANCODE_1, 49},       {SDL_SCANCODE_9, 57},          {SDL_SCANCODE_ESCAPE, 27},
        {SDL_SCANCODE_RETURN, 13},  {SDL_SCANCODE_SPACE, 32},      {SDL_SCANCODE_BACKSPACE, 8},
        {SDL_SCANCODE_LEFT, 37},    {SDL_SCANCODE_DOWN, 40},       {SDL_SCANCODE_F1, 112},
        {SDL_SCANCODE_F12, 123},    {SDL_SCANCODE_F13, 124},       {SDL_SCANCODE_F24, 135},
        {SDL_SCANCODE_KP_0, 96},    {SDL_SCANCODE_KP_1, 97},       {SDL_SCANCODE_KP_9, 105},
        {SDL_SCANCODE_LSHIFT, 160}, {SDL_SCANCODE_RCTRL, 163},     {SDL_SCANCODE_RALT, 165},
        {SDL_SCANCODE_GRAVE, 192},  {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_APOSTROPHE, 222},
        {SDL_SCANCODE_DELETE, 46},  {SDL_SCANCODE_PAGEDOWN, 34},   {SDL_SCANCODE_UNKNOWN, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::sdl::VirtualKeyOf(c.code), c.vk) << SDL_GetScancodeName(c.code);
}

TEST(SdlInputTranslation, EventsBecomeTheEngineMessagesTheyMean) {
    const std::string down = std::to_string(msg::kKeyDown), up = std::to_string(msg::kKeyUp);
    const std::string input = std::to_string(msg::kInput);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 300;
    motion.motion.y = 200;
    motion.motion.xrel = -4;
    motion.motion.yrel = 7;
    auto button = [](Uint32 type, Uint8 b) {
        SDL_Event e{};
        e.type = type;
        e.button.button = b;
        return e;
    };
    auto wheel = [](Sint32 x, Sint32 y, Uint32 direction) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.x = x;
        e.wheel.y = y;
        e.wheel.direction = direction;
        return e;
    };
    auto window = [](Uint8 what, int a, int b) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = what;
        e.window.data1 = a;
        e.window.data2 = b;
        return e;
    };
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    SDL_strlcpy(text.text.text, "a\xC3\xA9Z", sizeof text.text.text);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_Event pad{};
    pad.type = SDL_CONTROLLERDEVICEADDED;

    const std::string frameW = std::to_string(640 + 2 * platform::kFrameWidth);
    const std::string frameH = std::to_string(480 + 2 * platform::kFrameHeight + platform::kCaptionHeight);
    const struct {
        const char* name;
        SDL_Event event;
        std::vector<std::string> expected;
    } cases[] = {
        {"key down", Key(SDL_KEYDOWN, SDL_SCANCODE_W), {input + ":0:key 87 flags 0", down + ":87:0"}},
        {"key up", Key(SDL_KEYUP, SDL_SCANCODE_W), {input + ":0:key 87 flags 1", up + ":87:0"}},
        {"held key repeats only the message", Key(SDL_KEYDOWN, SDL_SCANCODE_W, 1), {down + ":87:0"}},
        {"key without a number", Key(SDL_KEYDOWN, SDL_SCANCODE_UNKNOWN), {}},
        {"motion",
         motion,
         {input + ":0:mouse 0 0 -4,7", std::to_string(msg::kMouseMove) + ":0:" + std::to_string(300 | (200 << 16))}},
        {"left down", button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), {input + ":0:mouse 1 0 0,0"}},
        {"left up", button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT), {input + ":0:mouse 2 0 0,0"}},
        {"right down is button 2", button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT), {input + ":0:mouse 4 0 0,0"}},
        {"middle down is button 3", button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE), {input + ":0:mouse 16 0 0,0"}},
        {"side button up", button(SDL_MOUSEBUTTONUP, SDL_BUTTON_X2), {input + ":0:mouse 512 0 0,0"}},
        {"wheel away", wheel(0, 1, SDL_MOUSEWHEEL_NORMAL), {input + ":0:mouse 1024 120 0,0"}},
        {"wheel toward", wheel(0, -1, SDL_MOUSEWHEEL_NORMAL), {input + ":0:mouse 1024 65416 0,0"}},
        {"flipped wheel", wheel(0, 1, SDL_MOUSEWHEEL_FLIPPED), {input + ":0:mouse 1024 65416 0,0"}},
        {"tilt right", wheel(2, 0, SDL_MOUSEWHEEL_NORMAL), {input + ":0:mouse 2048 240 0,0"}},
        {"typed text keeps ASCII", text, {std::to_string(msg::kChar) + ":97:0", std::to_string(msg::kChar) + ":90:0"}},
        {"close", window(SDL_WINDOWEVENT_CLOSE, 0, 0), {std::to_string(msg::kDestroy) + ":0:0"}},
        {"quit", quit, {std::to_string(msg::kDestroy) + ":0:0"}},
        {"resize",
         window(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 480),
         {std::to_string(msg::kNcCalcSize) + ":1:" + frameW + "x" + frameH}},
        {"focus lost", window(SDL_WINDOWEVENT_FOCUS_LOST, 0, 0), {std::to_string(msg::kActivate) + ":0:0"}},
        {"pad plugged",
         pad,
         {std::to_string(msg::kDeviceChange) + ":" + std::to_string(platform::devchange::kArrival) + ":0"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Translate(c.event), c.expected) << c.name;
}

TEST(SdlInputTranslation, ControllerButtonsAndAxesBecomePadState) {
    const struct {
        SDL_GameControllerButton button;
        uint16_t bit;
    } buttons[] = {
        {SDL_CONTROLLER_BUTTON_A, platform::padbutton::kA},
        {SDL_CONTROLLER_BUTTON_B, platform::padbutton::kB},
        {SDL_CONTROLLER_BUTTON_X, platform::padbutton::kX},
        {SDL_CONTROLLER_BUTTON_Y, platform::padbutton::kY},
        {SDL_CONTROLLER_BUTTON_BACK, platform::padbutton::kBack},
        {SDL_CONTROLLER_BUTTON_START, platform::padbutton::kStart},
        {SDL_CONTROLLER_BUTTON_LEFTSTICK, platform::padbutton::kLeftThumb},
        {SDL_CONTROLLER_BUTTON_RIGHTSTICK, platform::padbutton::kRightThumb},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, platform::padbutton::kLeftShoulder},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, platform::padbutton::kRightShoulder},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, platform::padbutton::kDpadUp},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, platform::padbutton::kDpadDown},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, platform::padbutton::kDpadLeft},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, platform::padbutton::kDpadRight},
        {SDL_CONTROLLER_BUTTON_GUIDE, 0},
    };
    const Sint16 rest[SDL_CONTROLLER_AXIS_MAX] = {};
    for (const auto& b : buttons) {
        bool pressed[SDL_CONTROLLER_BUTTON_MAX] = {};
        pressed[b.button] = true;
        EXPECT_EQ(platform::sdl::PadInputOf(pressed, rest).buttons, b.bit) << b.button;
    }

    const bool none[SDL_CONTROLLER_BUTTON_MAX] = {};
    const struct {
        const char* name;
        SDL_GameControllerAxis axis;
        Sint16 value;
        int lx, ly, rx, ry, lt, rt;
    } axes[] = {
        {"left stick right", SDL_CONTROLLER_AXIS_LEFTX, 32767, 32767, 0, 0, 0, 0, 0},
        {"left stick up is positive", SDL_CONTROLLER_AXIS_LEFTY, -32768, 0, 32767, 0, 0, 0, 0},
        {"left stick down", SDL_CONTROLLER_AXIS_LEFTY, 32767, 0, -32767, 0, 0, 0, 0},
        {"right stick left", SDL_CONTROLLER_AXIS_RIGHTX, -32768, 0, 0, -32768, 0, 0, 0},
        {"right stick up", SDL_CONTROLLER_AXIS_RIGHTY, -100, 0, 0, 0, 100, 0, 0},
        {"left trigger full", SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767, 0, 0, 0, 0, 255, 0},
        {"right trigger half", SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 16384, 0, 0, 0, 0, 0, 128},
    };
    for (const auto& a : axes) {
        Sint16 values[SDL_CONTROLLER_AXIS_MAX] = {};
        values[a.axis] = a.value;
        const platform::PadInput in = platform::sdl::PadInputOf(none, values);
        EXPECT_EQ((std::vector<int>{in.thumbLX, in.thumbLY, in.thumbRX, in.thumbRY, in.leftTrigger, in.rightTrigger}),
                  (std::vector<int>{a.lx, a.ly, a.rx, a.ry, a.lt, a.rt}))
            << a.name;
    }
}

}  // namespace
