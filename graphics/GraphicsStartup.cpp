#include "graphics/GraphicsStartup.h"

#include "graphics/Graphics.h"
#include "runtime/Registration.h"
#include "runtime/Window.h"

namespace Aperture {

void InstallGraphics(SD::Registrations& registrations) {
    registrations.SupplySystem("Graphics", [](SD::Window_& window, const SD::WindowSettings& settings) {
        Graphics_* graphics = Graphics_::GetInstance();
        graphics->SetWindow(window.GetPlatformWindow(), window.GetWidth(), window.GetHeight(), settings.deviceFullScreen);
        return static_cast<SD::ISystem*>(graphics);
    });
    registrations.SetDrawCallCounter([]() -> unsigned long {
        Graphics_* graphics = Graphics_::Peek();
        platform::gfx::Device* device = graphics ? graphics->GetDeviceLayer().GetDevice() : nullptr;
        return device ? device->LastFrameDrawCalls() : 0;
    });
}

}  // namespace Aperture
