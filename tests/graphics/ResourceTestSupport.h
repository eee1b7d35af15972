#pragma once
// A device layer with its resource manager on a small headless window, in a temporary tree
// that holds the sample graphics files.
#include <filesystem>
#include <string>

#include "core/FilePath.h"
#include "core/Logger.h"
#include "graphics/DX9Abstract.h"
#include "platform/window/Window.h"
#include "support/TempTree.h"

namespace gfxtest {

struct ResourceFixture {
    ResourceFixture(uint32_t width = 320, uint32_t height = 180)
        : window("w", 0, 0, static_cast<int>(width), static_cast<int>(height)) {
        std::filesystem::copy(
            qvtest::SourceDir() + "/Graphics", tree.Path("Graphics"),
            std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
        layer.SetParameters(&window, false, width, height, 16.0f / 9.0f);
        layer.Create(false);
        manager = layer.CreateResourceManager();
    }
    // Writes a file under the tree and returns its path record.
    SD::FilePath File(const std::string& relative, const std::string& contents) {
        tree.Write(relative, contents);
        return SD::FilePath(tree.Path(relative).c_str());
    }
    // A device loss followed by a reset, as the frame's device check drives it.
    bool LoseAndReset() {
        layer.GetDevice()->LoseDevice(1);
        layer.CheckDevice();
        layer.CheckDevice();
        return layer.IsDeviceReady();
    }
    platform::gfx::Device& Device() { return *layer.GetDevice(); }

    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    platform::Window window;
    Aperture::DX9Abstract layer;
    Aperture::Resource::ResourceManager* manager = nullptr;
};

constexpr const char* kGoodEffect = "param shared float time\nparam float4 half_texel_offset\ntechnique T\npass p\n";

}  // namespace gfxtest
