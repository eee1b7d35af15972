// Arbitrary raw records (keyboard, mouse and six-axis-mouse reports) through the window pump
// into the input state.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/window/Window.h"
#include "runtime/Input.h"
#include "runtime/Window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SD::Window_* window = new SD::Window_("Fuzz", 64, 64, false, 0);
    static SD::Input_* input = [] {
        auto* in = new SD::Input_();
        in->Initialize();
        platform::Window& raw = *SD::Window_::GetInstance()->GetPlatformWindow();
        raw.AddRawInputDevice(0, {platform::RawInputType::Keyboard, 0, 0});
        raw.AddRawInputDevice(1, {platform::RawInputType::Mouse, 0, 0});
        raw.AddRawInputDevice(2, {platform::RawInputType::Hid, SD::Input_::kSixAxisMouseVendor, 0});
        return in;
    }();
    if (size < 1) return 0;
    platform::RawInput record;
    record.device = data[0] % 3;
    record.type = static_cast<platform::RawInputType>(record.device);
    auto u16 = [&](size_t at) -> uint16_t {
        return at + 1 < size ? static_cast<uint16_t>(data[at] | data[at + 1] << 8) : 0;
    };
    record.keyboard = {u16(1), u16(3)};
    record.mouse = {u16(1), u16(3), u16(5), static_cast<int16_t>(u16(7)), static_cast<int16_t>(u16(9))};
    record.hid.assign(data + 1, data + size);
    window->GetPlatformWindow()->PostRawInput(record);
    window->Update(0.016f);
    input->Update(0.016f);
    return 0;
}
