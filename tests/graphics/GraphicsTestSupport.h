#pragma once
// A graphics system on a headless window inside a temporary install tree that holds the
// sample effects, with the settings a test gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/ConfigFile.h"
#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/components/Sprite.h"
#include "platform/window/Window.h"
#include "support/TempTree.h"

namespace gfxtest {

struct GraphicsFixture {
    explicit GraphicsFixture(const std::string& settings = "", uint32_t width = 1280, uint32_t height = 800,
                             bool initialize = true)
        : window("game", 0, 0, static_cast<int>(width), static_cast<int>(height)) {
        std::filesystem::copy(
            qvtest::SourceDir() + "/Graphics", tree.Path("Graphics"),
            std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
        tree.Write("Assets/Config/config.ini", "[Graphics]\n" + settings);
        graphics = std::make_unique<Aperture::Graphics_>();
        SD::ConfigFile config(tree.Path("Assets/Config/config.ini"));
        config.SetSection("Graphics");
        graphics->ReadConfig(config);
        graphics->SetWindow(&window, width, height, false);
        if (initialize) graphics->Initialize();
    }
    ~GraphicsFixture() {
        graphics->Shutdown();
        graphics.reset();
        SD::Message_System::DestroyInstance();
    }
    platform::gfx::Device& Device() { return *graphics->GetDeviceLayer().GetDevice(); }
    // The commands of the last frame presented.
    const std::vector<platform::gfx::Command>& Frame() { return Device().LastFrame(); }
    // One frame with a UI sprite of the texture in the middle of the screen.
    void UpdateWithSprite(const std::string& texture) {
        SD::GameObject owner;
        owner.GetTransform().SetPos({0.5f, 0.5f, 0});
        Aperture::UISprite sprite;
        sprite.SetOwner(&owner);
        sprite.SetTexture(texture);
        sprite.VRegister();
        graphics->Update(0.016f);
        sprite.VUnregister();
    }

    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    platform::Window window;
    std::unique_ptr<Aperture::Graphics_> graphics;
};

}  // namespace gfxtest
