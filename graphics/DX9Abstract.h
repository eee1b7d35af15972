#pragma once
// The device layer of the graphics system: creates the device on the window, keeps the
// presentation parameters and the letterboxed render area that holds the target aspect
// inside the window, resets the device for a new size, presentation interval or screen mode,
// notices a lost device each frame and brings it back, and owns the resource manager.
#include <cstdint>
#include <memory>

#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Texture.h"
#include "platform/gfx/Device.h"

namespace platform {
class Window;
}

namespace Aperture {

class DX9Abstract {
public:
    // The live device layer, or null.
    static DX9Abstract* GetInstance();
    // The live device, or null.
    static platform::gfx::Device* GetCurrentDevice();

    DX9Abstract();
    ~DX9Abstract();
    DX9Abstract(const DX9Abstract&) = delete;
    DX9Abstract& operator=(const DX9Abstract&) = delete;

    void SetParameters(platform::Window* window, bool fullscreen, uint32_t width, uint32_t height, float targetAspect);
    // A zero width or height (a minimised window) is ignored.
    void SetBackBufferSize(uint32_t width, uint32_t height);
    // The largest area of the target aspect that fits the size, rounded up.
    void ComputeRenderArea(uint32_t width, uint32_t height);
    // False, after the error box, when no device could be created.
    bool Create(bool waitForVsync);
    // True when the device was reset.
    bool Reset();
    void ReleaseForReset();
    void RestoreAfterReset();
    // Each frame before drawing: true when the frame must not be drawn (the device is lost,
    // was reset in this call, or reported something else).
    bool CheckDevice();
    void SetVsync(bool waitForVsync);
    void SetFullscreen(bool fullscreen);
    void Resize(uint32_t width, uint32_t height);

    // Creates the manager when there is none and returns it; null when one existed.
    Resource::ResourceManager* CreateResourceManager();
    Resource::ResourceManager* GetResourceManager() const { return resourceManager.get(); }

    platform::gfx::Result BeginScene();
    platform::gfx::Result EndScene();
    platform::gfx::Result Present();

    platform::gfx::Device* GetDevice() const { return device.get(); }
    platform::gfx::Driver& GetDriver() { return driver; }
    FrameBuffer* GetBackBufferTarget() { return &backBufferTarget; }
    const platform::gfx::PresentParameters& GetPresentParameters() const { return presentParameters; }
    uint32_t GetBackBufferWidth() const { return backBufferWidth; }
    uint32_t GetBackBufferHeight() const { return backBufferHeight; }
    uint32_t GetRenderWidth() const { return renderWidth; }
    uint32_t GetRenderHeight() const { return renderHeight; }
    // Where the render area sits, centred in the back buffer; 0 when a resized window made it
    // wider or taller than the back buffer.
    uint32_t GetRenderOffsetX() const {
        return renderWidth < backBufferWidth ? (backBufferWidth - renderWidth) / 2 : 0;
    }
    uint32_t GetRenderOffsetY() const {
        return renderHeight < backBufferHeight ? (backBufferHeight - renderHeight) / 2 : 0;
    }
    bool IsDeviceReady() const { return deviceReady; }
    bool GetVsync() const { return waitForVsync; }
    bool GetFullscreen() const { return fullscreen; }

private:
    void PublishToResourceManager();

    FrameBuffer backBufferTarget;
    platform::Window* window = nullptr;
    float targetAspect = 16.0f / 9.0f;
    float windowAspect = 0.0f;
    uint32_t backBufferWidth = 0;
    uint32_t backBufferHeight = 0;
    uint32_t renderHeight = 0;
    uint32_t renderWidth = 0;
    bool waitForVsync = false;
    bool fullscreen = false;
    bool deviceReady = true;
    platform::gfx::Driver driver;
    std::unique_ptr<platform::gfx::Device> device;
    platform::gfx::PresentParameters presentParameters;
    std::unique_ptr<Resource::ResourceManager> resourceManager;
};

}  // namespace Aperture
