// Building the sample main-menu HUD from its file, and one frame of the HUD system over that
// menu. Anchors: creating the same blueprints directly, and a frame with no menu open.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/ComponentCreator.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/hud/Button.h"
#include "game/hud/CheckBox.h"
#include "game/hud/HudCollector.h"
#include "game/hud/HudSystem.h"
#include "game/hud/Slider.h"

namespace {

const char* const kMenuBlueprints[] = {
    "Hud/MenuTitle",           "Hud/MainMenu",      "Hud/Button_Play",  "Hud/Button_Credits",
    "Hud/CheckBox_Fullscreen", "Hud/Slider_Volume", "Hud/Res_1280x800", "Hud/Button_Quit"};

// The sample blueprints and HUD files in a temporary install entered at its bin folder.
struct Install {
    Install() : factory(4096) {
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/qv_bench_hud_XXXXXX";
        root = mkdtemp(pattern) ? pattern : "/tmp";
        fs::create_directories(root + "/bin");
        fs::create_directories(root + "/Assets");
        for (const char* folder : {"Assets/Objects", "Assets/HudFiles"})
            fs::copy(std::string(QV_SOURCE_DIR) + "/" + folder, root + "/" + folder, fs::copy_options::recursive);
        if (chdir((root + "/bin").c_str()) != 0) return;
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        factory.RegisterComponentCreator("HudCollector", SD::CID_HudCollector,
                                         new SD::ComponentCreator<QV::HudCollector>);
        factory.RegisterComponentCreator("Button", SD::CID_Button, new SD::ComponentCreator<QV::Button>);
        factory.RegisterComponentCreator("CheckBox", SD::CID_CheckBox, new SD::ComponentCreator<QV::CheckBox>);
        factory.RegisterComponentCreator("Slider", SD::CID_Slider, new SD::ComponentCreator<QV::Slider>);
        factory.SetObjectInFormat("xml");
        factory.LoadObjectManifest("../Assets/Objects/Objects.man");
    }
    ~Install() {
        factory.Shutdown();
        std::filesystem::remove_all(root);
    }
    std::string root;
    SD::Factory_ factory;
    QV::HudSystem hud;
};

void BM_MainMenuHudFromItsFile(benchmark::State& state) {
    Install install;
    for (auto _ : state) {
        SD::GameObject* root = install.hud.ReadHudFile("../Assets/HudFiles/MainMenu.hud");
        benchmark::DoNotOptimize(root);
        install.factory.DestroyGameObject(root);
        install.factory.Update(0.0f);
    }
}

void BM_SameBlueprintsCreatedDirectlyAnchor(benchmark::State& state) {
    Install install;
    for (auto _ : state) {
        for (const char* blueprint : kMenuBlueprints) {
            SD::GameObject* object = install.factory.CreateObject(blueprint, nullptr);
            benchmark::DoNotOptimize(object);
            install.factory.DestroyGameObject(object);
        }
        install.factory.Update(0.0f);
    }
}

void MenuFrame(benchmark::State& state, bool menuOpen) {
    Install install;
    if (menuOpen)
        if (SD::GameObject* root = install.hud.CreateHud("MainMenu")) root->Initialize(false);
    for (auto _ : state) install.hud.Update(0.016f);
}

void BM_FrameOverTheMainMenu(benchmark::State& state) { MenuFrame(state, true); }
void BM_FrameWithNoMenuAnchor(benchmark::State& state) { MenuFrame(state, false); }

BENCHMARK(BM_MainMenuHudFromItsFile);
BENCHMARK(BM_SameBlueprintsCreatedDirectlyAnchor);
BENCHMARK(BM_FrameOverTheMainMenu);
BENCHMARK(BM_FrameWithNoMenuAnchor);

}  // namespace
