#include "runtime/Input.h"

#include <cstdio>

#include "core/ConfigFile.h"
#include "platform/pad/Pad.h"
#include "platform/window/Window.h"
#include "runtime/Window.h"

namespace SD {
namespace {
Input_* instance = nullptr;
bool IsCode(uint32_t code) { return code < static_cast<uint32_t>(INPUT_KEY_BUFFER_SIZE); }
}  // namespace

Input_* Input_::GetInstance() { return instance; }

Input_::Input_() {
    releaseMask_.fill(1);
    instance = this;
}

Input_::~Input_() {
    for (uint32_t pad = 0; pad < kPadCount; ++pad) {
        platform::PadState state;
        if (platform::GetPadState(pad, state) != platform::PadResult::Success) continue;
        pads_[pad].connected = true;
        if (pads_[pad].rumbleDirty) platform::SetPadVibration(pad, {0, 0});
    }
    if (instance == this) instance = nullptr;
}

void Input_::ReadConfig(ConfigFile& config) {
    config.SetSection("Dev");
    devKeys_ = config.GetBool("DevKeys", false);
}

void Input_::Initialize() {
    const std::vector<platform::RawInputRegistration> devices = {
        {1, 8, 0},  // multi-axis controller
        {1, 2, 0},  // mouse
        {1, 6, 0},  // keyboard
    };
    Window_* window = Window_::GetInstance();
    if (!window || !window->GetPlatformWindow() || !window->GetPlatformWindow()->RegisterRawInputDevices(devices)) {
        std::printf("Failed to register for Raw Input Devices!\n");
        std::fflush(stdout);
    }
    current_.fill(0);
    previous_.fill(0);
    pressed_.fill(0);
    releaseMask_.fill(1);
    pads_ = {};
    sixAxis_ = {};
    rumbleEnabled_ = true;
    ScanPads();
    typedChar_ = previousTypedChar_ = 0;
}

void Input_::Shutdown() { injectors_.clear(); }

void Input_::AddInjector(std::unique_ptr<IInputInjector> injector) { injectors_.push_back(std::move(injector)); }

void Input_::Update(float) {
    mouseX_ -= storedMouseX_;
    storedMouseX_ = mouseX_;
    mouseY_ -= storedMouseY_;
    storedMouseY_ = mouseY_;

    for (int code = mouse_SCROLL_U; code <= mouse_SCROLL_R; ++code) current_[code] = 0;
    for (auto& injector : injectors_) injector->Inject(pressed_.data(), releaseMask_.data());

    // A code pressed and let go since the last update (a tap shorter than a slow frame) is down
    // for this update and goes up at the next, so the tap is seen; a press that came after a
    // release already cleared its release.
    previous_ = current_;
    CodeArray tapped{};
    for (size_t code = 0; code < current_.size(); ++code) {
        tapped[code] = pressed_[code] & !releaseMask_[code];
        current_[code] = (current_[code] | pressed_[code]) & (releaseMask_[code] | tapped[code]);
    }

    PollPads();
    bindings_.Evaluate(current_.data(), previous_.data());

    previousTypedChar_ = typedChar_;
    typedChar_ = 0;
    pressed_.fill(0);
    for (size_t code = 0; code < releaseMask_.size(); ++code) releaseMask_[code] = !tapped[code];
}

bool Input_::GetKeyState(uint32_t code) const { return devKeys_ && IsCode(code) && current_[code]; }

bool Input_::GetKeyStateTriggered(uint32_t code) const {
    return devKeys_ && IsCode(code) && current_[code] && !previous_[code];
}

bool Input_::GetKeyStateReleased(uint32_t code) const {
    return devKeys_ && IsCode(code) && previous_[code] && !current_[code];
}

uint32_t Input_::FirstCodeWhere(bool (*test)(uint8_t current, uint8_t previous)) const {
    for (uint32_t code = INPUT_KEY_BUFFER_SIZE - 1; code >= mouse_BUTTON1; --code)
        if (test(current_[code], previous_[code])) return code;
    for (uint32_t code = key_LAST - 1; code >= 1; --code)
        if (test(current_[code], previous_[code])) return code;
    return 0;
}

uint32_t Input_::GetFirstPressedKey() const {
    return FirstCodeWhere([](uint8_t c, uint8_t) { return c != 0; });
}

uint32_t Input_::GetFirstTriggeredKey() const {
    return FirstCodeWhere([](uint8_t c, uint8_t p) { return c && !p; });
}

uint32_t Input_::GetFirstReleasedKey() const {
    return FirstCodeWhere([](uint8_t c, uint8_t p) { return p && !c; });
}

void Input_::WipeKeystateBuffers() {
    if (!instance) return;
    for (size_t code = 1; code < instance->current_.size(); ++code) {
        instance->current_[code] = 0;
        instance->previous_[code] = 0;
    }
}

void Input_::BindAnalog(const std::string& name, uint32_t negative, uint32_t positive, float scale) {
    bindings_.BindAnalog(name, negative, positive, scale, AnalogSource(negative));
}

const float* Input_::AnalogSource(uint32_t code) const {
    if (code >= static_cast<uint32_t>(xpad1_KVAD_U) && code <= static_cast<uint32_t>(xpad4_TRIGGER_R)) {
        const uint32_t pad = (code - xpad1_KVAD_U) / xpad_OFFSET;
        const uint32_t offset = (code - xpad1_KVAD_U) % xpad_OFFSET + xpad1_KVAD_U;
        const auto& axes = pads_[pad].axes;
        switch (offset) {
            case xpad1_AXIS_LX_N:
            case xpad1_AXIS_LX_P:
                return &axes[kLeftX];
            case xpad1_AXIS_LY_N:
            case xpad1_AXIS_LY_P:
                return &axes[kLeftY];
            case xpad1_AXIS_RX_N:
            case xpad1_AXIS_RX_P:
                return &axes[kRightX];
            case xpad1_AXIS_RY_N:
            case xpad1_AXIS_RY_P:
                return &axes[kRightY];
            case xpad1_TRIGGER_L:
                return &axes[kLeftTrigger];
            case xpad1_TRIGGER_R:
                return &axes[kRightTrigger];
            default:
                return nullptr;
        }
    }
    if (code >= static_cast<uint32_t>(mouse3d_ROT_X_P) && code <= static_cast<uint32_t>(mouse3d_TRANS_Z_N))
        return &sixAxis_[(code - mouse3d_ROT_X_P) / 2];
    return nullptr;
}

}  // namespace SD
