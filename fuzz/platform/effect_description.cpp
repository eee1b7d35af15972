// Feeds arbitrary text to the effect-description reader, its includes spliced from one file
// that exists and one that does not, and creates an effect from it on a headless device,
// sharing a pool with a fixed effect.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/EffectFile.h"
#include "platform/window/Window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static platform::Window window("fuzz", 0, 0, 16, 16);
    static std::unique_ptr<platform::gfx::Device> device = [] {
        platform::gfx::PresentParameters p;
        p.backBufferWidth = p.backBufferHeight = 16;
        p.backBufferFormat = platform::gfx::kFormatX8R8G8B8;
        p.deviceWindow = &window;
        std::unique_ptr<platform::gfx::Device> d;
        platform::gfx::Driver().CreateDevice(p, d);
        return d;
    }();
    using namespace platform::gfx;
    EffectPool* pool = EffectPool::Create();
    Effect* fixed = nullptr;
    CreateEffect(device.get(), "param shared float time\ntechnique T\npass p\n", pool, &fixed, nullptr);
    Effect* effect = nullptr;
    std::string errors;
    std::string text;
    const EffectIncludeReader read = [](const std::string& name, std::string& included) {
        if (name != "sun.glsl") return false;
        included = "param shared float time\nglsl\nfloat Sun() { return time; }\nend\n";
        return true;
    };
    if (ExpandEffectIncludes(std::string(reinterpret_cast<const char*>(data), size), read, text, errors) &&
        CreateEffect(device.get(), text, pool, &effect, &errors) == kOk) {
        uint32_t passes = 0;
        effect->Begin(&passes);
        for (uint32_t i = 0; i < passes; ++i) {
            effect->BeginPass(i);
            effect->EndPass();
        }
        effect->End();
        effect->SetFloat("time", 1.0f);
        effect->Release();
    }
    fixed->Release();
    pool->Release();
    device->Present();
    return 0;
}
