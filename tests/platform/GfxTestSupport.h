#pragma once
// A headless device on a small window for the graphics device tests.
#include <memory>

#include "platform/gfx/Device.h"
#include "platform/window/Window.h"

namespace gfxtest {

inline platform::gfx::PresentParameters Parameters(platform::Window* window, uint32_t width, uint32_t height) {
    platform::gfx::PresentParameters p;
    p.backBufferWidth = width;
    p.backBufferHeight = height;
    p.backBufferFormat = platform::gfx::kFormatX8R8G8B8;
    p.backBufferCount = 1;
    p.swapEffect = platform::gfx::kSwapEffectDiscard;
    p.deviceWindow = window;
    p.enableAutoDepthStencil = true;
    p.autoDepthStencilFormat = platform::gfx::kFormatD24S8;
    p.presentationInterval = platform::gfx::kPresentIntervalImmediate;
    return p;
}

struct DeviceFixture {
    platform::Window window{"test", 0, 0, 64, 32};
    platform::gfx::Driver driver;
    std::unique_ptr<platform::gfx::Device> device;
    DeviceFixture() { driver.CreateDevice(Parameters(&window, 64, 32), device); }
};

}  // namespace gfxtest
