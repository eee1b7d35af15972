#include "graphics/GraphicsStartup.h"

#include "engine/ComponentCreator.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "runtime/Registration.h"
#include "runtime/Window.h"

namespace Aperture {

namespace {

SD::ISystem* MakeGraphics() { return Graphics_::GetInstance(); }

}  // namespace

// The engine core deletes the system with the others; its device is created on the window
// when the core initialises it.
void InstallGraphics(SD::Registrations& registrations) {
    registrations.SupplySystem("Graphics_", &MakeGraphics, true);
    registrations.SupplyComponent("Geometry", &SD::MakeComponentCreator<Geometry>);
    registrations.SetWindowReceiver([](SD::Window_& window, const SD::WindowSettings& settings) {
        if (Graphics_* graphics = Graphics_::Peek())
            graphics->SetWindow(window.GetPlatformWindow(), window.GetWidth(), window.GetHeight(), settings.deviceFullScreen);
    });
    registrations.SetDrawCallCounter([]() -> unsigned long {
        Graphics_* graphics = Graphics_::Peek();
        platform::gfx::Device* device = graphics ? graphics->GetDeviceLayer().GetDevice() : nullptr;
        return device ? device->LastFrameDrawCalls() : 0;
    });
}

}  // namespace Aperture
