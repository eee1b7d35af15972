#pragma once
// What tests read of the window record beyond what the engine reads (its extended style, the
// last show command, frame refreshes, whether it takes dropped files, the raw-input
// registrations, the drops not yet finished) and what they change on it: a device unplugged,
// registrations refused.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "platform/window/Window.h"

template <>
struct platform::TestProbe<platform::Window> {
    static uint32_t ExStyle(const Window& window) { return window.exStyle_; }
    static int ShowCommand(const Window& window) { return window.showCommand_; }
    static int FrameRefreshes(const Window& window) { return window.frameRefreshes_; }
    static bool AcceptsFiles(const Window& window) { return window.acceptFiles_; }
    static size_t OpenDrops(const Window& window) { return window.drops_.size(); }
    static const std::vector<RawInputRegistration>& RawInputRegistrations(const Window& window) {
        return window.registrations_;
    }
    // Makes the next registrations fail, as they do without a usable window.
    static void SetRawInputRegistrationFails(Window& window, bool fails) { window.registrationFails_ = fails; }
    // The device is gone, as when it is unplugged.
    static void RemoveRawInputDevice(Window& window, uint32_t device) { window.devices_.erase(device); }
};
