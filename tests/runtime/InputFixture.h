#pragma once
// A window and an input system as start-up builds them, with raw devices attached, and helpers
// that post raw records and run frames (pump, then the input update that applies what arrived).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/pad/Pad.h"
#include "platform/window/MessageIds.h"
#include "platform/window/Window.h"
#include "runtime/Input.h"
#include "runtime/Window.h"

namespace qvtest {

class InputFixture : public ::testing::Test {
protected:
    static constexpr uint32_t kKeyboard = 1;
    static constexpr uint32_t kMouse = 2;
    static constexpr uint32_t kSixAxis = 3;
    static constexpr uint32_t kOtherHid = 4;
    static constexpr uint32_t kDetached = 5;

    void SetUp() override {
        platform::ResetPads();
        window = std::make_unique<SD::Window_>("Test", 640, 480, false, 1);
        input = std::make_unique<SD::Input_>();
        input->Initialize();
        input->SetDevKeysEnabled(true);
        Raw().AddRawInputDevice(kKeyboard, {platform::RawInputType::Keyboard, 0, 0});
        Raw().AddRawInputDevice(kMouse, {platform::RawInputType::Mouse, 0, 0});
        Raw().AddRawInputDevice(kSixAxis, {platform::RawInputType::Hid, SD::Input_::kSixAxisMouseVendor, 0xC626});
        Raw().AddRawInputDevice(kOtherHid, {platform::RawInputType::Hid, 0x1234, 1});
    }
    void TearDown() override {
        input.reset();
        window.reset();
        platform::ResetPads();
    }

    platform::Window& Raw() { return *window->GetPlatformWindow(); }

    void Key(uint32_t virtualKey, bool down) {
        platform::RawInput r;
        r.type = platform::RawInputType::Keyboard;
        r.device = kKeyboard;
        r.keyboard.virtualKey = static_cast<uint16_t>(virtualKey);
        r.keyboard.flags = down ? 0 : platform::rawkey::kBreak;
        Raw().PostRawInput(r);
    }
    void Mouse(uint16_t buttonFlags, uint16_t buttonData = 0, int dx = 0, int dy = 0,
               uint16_t flags = platform::rawmouse::kMoveRelative) {
        platform::RawInput r;
        r.type = platform::RawInputType::Mouse;
        r.device = kMouse;
        r.mouse = {flags, buttonFlags, buttonData, dx, dy};
        Raw().PostRawInput(r);
    }
    void Hid(uint32_t device, std::vector<uint8_t> report) {
        platform::RawInput r;
        r.type = platform::RawInputType::Hid;
        r.device = device;
        r.hid = std::move(report);
        Raw().PostRawInput(r);
    }
    void Frame() {
        window->Update(0.016f);
        input->Update(0.016f);
    }

    std::unique_ptr<SD::Window_> window;
    std::unique_ptr<SD::Input_> input;
};

}  // namespace qvtest
