// Feeds arbitrary text to the material reader through a file, with one effect and one
// texture name resolvable, on a headless device. Every parameter block must end closed.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "graphics/DX9Abstract.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/ResourceManager.h"
#include "platform/window/Window.h"

namespace {

struct World {
    World() : window("fuzz", 0, 0, 64, 64) {
        char pattern[] = "/tmp/qv_fuzz_materials_XXXXXX";
        root = mkdtemp(pattern) ? pattern : "/tmp";
        const std::string effectPath = root + "/lit.fx";
        if (FILE* f = std::fopen(effectPath.c_str(), "w")) {
            std::fputs(
                "param float a\nparam int b\nparam float4 c\nparam texture d\ntechnique SingleInstance\npass p\n", f);
            std::fclose(f);
        }
        layer.SetParameters(&window, false, 64, 64, 1.0f);
        layer.Create(false);
        manager = layer.CreateResourceManager();
        effect = manager->CreateEffect(SD::FilePath(effectPath.c_str()));
        Aperture::Resource::Material::RegisterValueReaders();
        Aperture::Resource::Material::SetLookups(
            [this](const std::string& name) { return name == "lit" ? effect : nullptr; },
            [](const std::string&) -> Aperture::Resource::iTexture* { return nullptr; });
    }
    std::string root;
    platform::Window window;
    Aperture::DX9Abstract layer;
    Aperture::Resource::ResourceManager* manager = nullptr;
    Aperture::Resource::Effect* effect = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    const std::string path = world.root + "/m.mat";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    Aperture::Resource::Material* material = world.manager->CreateMaterial(SD::FilePath(path.c_str()));
    material->ApplyPass("Geometry");
    if (world.effect->GetEffect() && world.effect->GetEffect()->InParameterBlock()) std::abort();
    // Materials stay with the manager until it ends; drop their passes to bound the memory.
    material->Unload();
    return 0;
}
