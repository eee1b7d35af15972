// Raw keyboard, mouse and six-axis-mouse records, gathered between two updates into the pressed
// array and the release mask.
#include "platform/window/Window.h"
#include "runtime/Input.h"
#include "runtime/Window.h"

namespace SD {
namespace {

constexpr size_t kAxisReportSize = 7;    // id, then three 16-bit values
constexpr size_t kButtonReportSize = 5;  // id, then a 32-bit mask

int16_t ReadI16(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8)));
}

uint32_t ReadU32(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

void Input_::OnRawInput(uint64_t, int64_t lParam) {
    Window_* window = Window_::GetInstance();
    platform::Window* target = window ? window->GetPlatformWindow() : nullptr;
    if (!target) return;
    platform::RawInput record;
    if (!target->ReadRawInput(lParam, record)) return;
    platform::RawInputDeviceInfo info;
    if (!target->GetRawInputDeviceInfo(record.device, info)) return;

    switch (record.type) {
        case platform::RawInputType::Mouse:
            OnMouse(record.mouse);
            break;
        case platform::RawInputType::Keyboard: {
            const uint32_t code = record.keyboard.virtualKey;
            if (code > key_LAST) break;
            OnKey(code, (record.keyboard.flags & platform::rawkey::kBreak) == 0);
            break;
        }
        case platform::RawInputType::Hid:
            if (info.vendorId == kSixAxisMouseVendor) OnSixAxisReport(record.hid);
            break;
    }
}

void Input_::OnKey(uint32_t code, bool down) {
    // The latest event wins: a press after a release leaves the key down.
    if (down)
        pressed_[code] = releaseMask_[code] = 1;
    else
        releaseMask_[code] = 0;
    // The left and right shift, control and alt keys (160 to 165, in pairs) also hold the
    // generic code of their kind (16, 17, 18) down while either side of the pair is down.
    if (code < key_LSHIFT || code > key_RALT) return;
    const uint32_t generic = key_SHIFT + (code - key_LSHIFT) / 2;
    const uint32_t other = code ^ 1u;
    const bool otherDown = (current_[other] || pressed_[other]) && releaseMask_[other];
    if (down)
        pressed_[generic] = releaseMask_[generic] = 1;
    else if (!otherDown)
        releaseMask_[generic] = 0;
}

void Input_::OnMouse(const platform::RawMouse& mouse) {
    // Absolute positions (tablets, remote sessions) would read as huge jumps of motion.
    if (mouse.flags != platform::rawmouse::kMoveRelative) return;
    const int wheel = static_cast<int>(mouse.buttonData) - 32768;
    if (mouse.buttonFlags & platform::rawmouse::kWheel) {
        if (wheel < 0) pressed_[mouse_SCROLL_U] = 1;
        if (wheel > 0) pressed_[mouse_SCROLL_D] = 1;
    }
    if (mouse.buttonFlags & platform::rawmouse::kHWheel) {
        if (wheel < 0) pressed_[mouse_SCROLL_R] = 1;
        if (wheel > 0) pressed_[mouse_SCROLL_L] = 1;
    }
    for (int bit = 0; bit < 10; ++bit) {
        if (!(mouse.buttonFlags & (1u << bit))) continue;
        const int code = mouse_BUTTON1 + bit / 2;
        if (bit % 2 == 0)
            pressed_[code] = releaseMask_[code] = 1;
        else
            releaseMask_[code] = 0;
    }
    mouseX_ += mouse.lastX;
    mouseY_ += mouse.lastY;
}

void Input_::OnSixAxisReport(const std::vector<uint8_t>& report) {
    if (report.empty()) return;
    switch (report[0]) {
        case 1:
            if (report.size() >= kAxisReportSize) SetSixAxisCodes(report, &sixAxis_[kTranslationX], mouse3d_TRANS_X_P);
            break;
        case 2:
            if (report.size() >= kAxisReportSize) SetSixAxisCodes(report, &sixAxis_[kRotationX], mouse3d_ROT_X_P);
            break;
        case 3:
            if (report.size() >= kButtonReportSize) {
                sixAxisButtons_ = ReadU32(report, 1);
                // Writing the bit into both arrays makes the state follow the latest report.
                for (int bit = 0; bit < kMouse3dButtonCount; ++bit) {
                    const uint8_t down = (sixAxisButtons_ >> bit) & 1u;
                    pressed_[mouse3d_F1 + bit] = down;
                    releaseMask_[mouse3d_F1 + bit] = down;
                }
            }
            break;
        default:
            break;
    }
}

void Input_::SetSixAxisCodes(const std::vector<uint8_t>& report, float* values, int firstCode) {
    for (int axis = 0; axis < 3; ++axis) {
        const int raw = ReadI16(report, 1 + 2 * axis);
        values[axis] = static_cast<float>(raw) * kSixAxisScale;
        const uint8_t positive = raw > kSixAxisDigitalThreshold;
        const uint8_t negative = raw < -kSixAxisDigitalThreshold;
        pressed_[firstCode + 2 * axis] = releaseMask_[firstCode + 2 * axis] = positive;
        pressed_[firstCode + 2 * axis + 1] = releaseMask_[firstCode + 2 * axis + 1] = negative;
    }
}

}  // namespace SD
