#pragma once
// Raw input records as the window delivers them: keyboard, relative or absolute mouse, and the
// reports of other human-interface devices (the six-axis mouse among them).
#include <cstdint>
#include <vector>

namespace platform {

enum class RawInputType : uint32_t { Mouse = 0, Keyboard = 1, Hid = 2 };

namespace rawmouse {
constexpr uint16_t kMoveRelative = 0x0000;  // flags of a record with relative motion
constexpr uint16_t kMoveAbsolute = 0x0001;
constexpr uint16_t kVirtualDesktop = 0x0002;
constexpr uint16_t kWheel = 0x0400;   // button flag: buttonData holds the wheel delta
constexpr uint16_t kHWheel = 0x0800;  // button flag: horizontal wheel
}  // namespace rawmouse

namespace rawkey {
constexpr uint16_t kBreak = 0x0001;  // key released
}  // namespace rawkey

struct RawMouse {
    uint16_t flags = rawmouse::kMoveRelative;
    // Bit 2i: button i+1 went down; bit 2i+1: it went up; then the wheel flags.
    uint16_t buttonFlags = 0;
    uint16_t buttonData = 0;
    int32_t lastX = 0;
    int32_t lastY = 0;
};

struct RawKeyboard {
    uint16_t virtualKey = 0;
    uint16_t flags = 0;
};

struct RawInput {
    RawInputType type = RawInputType::Keyboard;
    uint32_t device = 0;
    RawMouse mouse;
    RawKeyboard keyboard;
    std::vector<uint8_t> hid;  // one report, its id in byte 0
};

struct RawInputDeviceInfo {
    RawInputType type = RawInputType::Hid;
    uint32_t vendorId = 0;
    uint32_t productId = 0;
};

struct RawInputRegistration {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint32_t flags = 0;
};

}  // namespace platform
