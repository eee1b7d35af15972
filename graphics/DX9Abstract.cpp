#include "graphics/DX9Abstract.h"

#include <algorithm>
#include <cmath>

#include "core/ErrorReport.h"
#include "core/Logger.h"
#include "runtime/Input.h"
#include "runtime/Window.h"

namespace Aperture {
namespace {

DX9Abstract* instance = nullptr;
constexpr uint32_t kChangeBufferKey = 0x39;

uint32_t PresentationInterval(bool waitForVsync) {
    return waitForVsync ? platform::gfx::kPresentIntervalOne : platform::gfx::kPresentIntervalImmediate;
}

}  // namespace

DX9Abstract* DX9Abstract::GetInstance() { return instance; }

platform::gfx::Device* DX9Abstract::GetCurrentDevice() { return instance ? instance->GetDevice() : nullptr; }

DX9Abstract::DX9Abstract() {
    if (SD::Input_* input = SD::Input_::GetInstance()) input->BindDigital("ChangeBuffer", kChangeBufferKey);
    instance = this;
}

// The resources go before the device they live on.
DX9Abstract::~DX9Abstract() {
    resourceManager.reset();
    backBufferTarget.Initialize(nullptr, 0, 0);
    device.reset();
    if (instance == this) instance = nullptr;
}

void DX9Abstract::SetParameters(platform::Window* w, bool full, uint32_t width, uint32_t height, float aspect) {
    window = w;
    fullscreen = full;
    targetAspect = aspect;
    SetBackBufferSize(width, height);
}

void DX9Abstract::SetBackBufferSize(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) {
        SD_WARNING(Debug::kLogData, "Back buffer size %ux%u ignored; keeping %ux%u", width, height, backBufferWidth,
                   backBufferHeight);
        return;
    }
    backBufferWidth = presentParameters.backBufferWidth = width;
    backBufferHeight = presentParameters.backBufferHeight = height;
    windowAspect = static_cast<float>(width) / static_cast<float>(height);
    ComputeRenderArea(width, height);
}

void DX9Abstract::ComputeRenderArea(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) return;
    const float r = static_cast<float>(width) / static_cast<float>(height);
    if (targetAspect >= r) {
        renderWidth = width;
        renderHeight = static_cast<uint32_t>(std::ceil(static_cast<float>(width) / targetAspect));
    } else if (r > targetAspect) {
        renderHeight = height;
        renderWidth = static_cast<uint32_t>(std::ceil(static_cast<float>(height) * targetAspect));
    } else {
        return;
    }
    // Rounding up never leaves the window, so the letterbox margins stay non-negative.
    renderWidth = std::clamp<uint32_t>(renderWidth, 1, width);
    renderHeight = std::clamp<uint32_t>(renderHeight, 1, height);
}

bool DX9Abstract::Create(bool vsync) {
    waitForVsync = vsync;
    platform::gfx::PresentParameters p;
    p.backBufferWidth = backBufferWidth;
    p.backBufferHeight = backBufferHeight;
    p.backBufferFormat = platform::gfx::kFormatX8R8G8B8;
    p.backBufferCount = 1;
    p.swapEffect = platform::gfx::kSwapEffectDiscard;
    p.deviceWindow = window;
    p.windowed = !fullscreen;
    p.enableAutoDepthStencil = true;
    p.autoDepthStencilFormat = platform::gfx::kFormatD24S8;
    p.presentationInterval = PresentationInterval(vsync);
    presentParameters = p;
    if (platform::gfx::Failed(driver.CreateDevice(presentParameters, device)) || !device) {
        Debug::ShowErrorBox("DX9Abstract", 202, "Error: Device not created!");
        return false;
    }
    device->SetRenderState(platform::gfx::kRsZEnable, 1);
    SetBackBufferSize(backBufferWidth, backBufferHeight);
    backBufferTarget.Initialize(device.get(), backBufferWidth, backBufferHeight);
    return true;
}

void DX9Abstract::PublishToResourceManager() {
    if (resourceManager) resourceManager->SetDevice(device.get(), presentParameters, renderWidth, renderHeight);
}

bool DX9Abstract::Reset() {
    if (!device) return false;
    platform::gfx::Result r = device->Reset(presentParameters);
    if (r == platform::gfx::kInvalidCall) {
        Debug::DebugPrint("Invalid call to device reset");
        return false;
    }
    PublishToResourceManager();
    return !platform::gfx::Failed(r);
}

void DX9Abstract::ReleaseForReset() {
    if (!deviceReady) return;
    if (resourceManager) resourceManager->ReleaseDeviceResources();
    backBufferTarget.Initialize(nullptr, backBufferWidth, backBufferHeight);
    deviceReady = false;
}

void DX9Abstract::RestoreAfterReset() {
    if (deviceReady) return;
    if (resourceManager) resourceManager->RestoreDeviceResources();
    backBufferTarget.Initialize(device.get(), backBufferWidth, backBufferHeight);
    deviceReady = true;
}

// A reset that failed leaves the layer not ready; the next check tries it again, since the
// device itself may not report itself lost.
bool DX9Abstract::CheckDevice() {
    if (!device) return true;
    platform::gfx::Result r = device->TestCooperativeLevel();
    if (r == platform::gfx::kOk && deviceReady) return false;
    if (r == platform::gfx::kOk || r == platform::gfx::kDeviceNotReset) {
        ReleaseForReset();
        if (Reset()) RestoreAfterReset();
        return true;
    }
    if (r == platform::gfx::kDeviceLost) {
        ReleaseForReset();
        return true;
    }
    Debug::DebugPrint("Device Encounted Unknown Error");
    return true;
}

void DX9Abstract::SetVsync(bool vsync) {
    waitForVsync = vsync;
    presentParameters.presentationInterval = PresentationInterval(vsync);
    ReleaseForReset();
    if (Reset()) RestoreAfterReset();
}

void DX9Abstract::SetFullscreen(bool full) {
    fullscreen = full;
    presentParameters.windowed = !full;
    ReleaseForReset();
    if (Reset()) RestoreAfterReset();
    if (SD::Window_* w = SD::Window_::GetInstance()) {
        w->SetFullscreen(full);
        if (!full) w->ApplyWindowedStyle();
    }
}

void DX9Abstract::Resize(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) {
        SD_WARNING(Debug::kLogData, "Resize to %ux%u ignored", width, height);
        return;
    }
    SetBackBufferSize(width, height);
    ReleaseForReset();
    if (Reset()) RestoreAfterReset();
}

Resource::ResourceManager* DX9Abstract::CreateResourceManager() {
    if (resourceManager) return nullptr;
    resourceManager = std::make_unique<Resource::ResourceManager>();
    PublishToResourceManager();
    return resourceManager.get();
}

platform::gfx::Result DX9Abstract::BeginScene() { return device ? device->BeginScene() : platform::gfx::kInvalidCall; }
platform::gfx::Result DX9Abstract::EndScene() { return device ? device->EndScene() : platform::gfx::kInvalidCall; }
platform::gfx::Result DX9Abstract::Present() { return device ? device->Present() : platform::gfx::kInvalidCall; }

}  // namespace Aperture
