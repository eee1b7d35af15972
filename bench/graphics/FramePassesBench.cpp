// A full frame of a scene on the recording device: 1,000 geometry items over ten models, 256
// point and spot lights, 5,000 grass blades and a sun casting three shadow cascades. Beside
// the cost per frame, the frame is split into the device's handling of its commands and the rest,
// beside the anchor: the same commands copied; and each pass is timed alone on the same collected
// scene and reported as its share of the frame ("<pass>_pct").
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/platform/FrameSplit.h"
#include "core/MessageSystem.h"
#include "core/RTTI.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsStartup.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/Light.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"
#include "graphics/resources/ResourceManager.h"
#include "platform/window/Window.h"
#include "runtime/Registration.h"

namespace {

namespace fs = std::filesystem;
using Aperture::Graphics_;

struct FrameRig {
    FrameRig() {
        char pattern[] = "/tmp/qv_frame_bench_XXXXXX";
        root = mkdtemp(pattern);
        fs::create_directories(root / "bin");
        fs::copy(fs::path(QV_SOURCE_DIR) / "Graphics", root / "Graphics", fs::copy_options::recursive);
        previous = fs::current_path();
        fs::current_path(root / "bin");
        std::ofstream(root / "templates.xml")
            << "<?xml version=\"1.0\" ?>\n<GameObjectBlueprints>\n"
               "<GameObjectBlueprint name=\"ObjectTemplates/ShadowCaster\"><Components>"
               "<Name version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><String "
               "name=\"Name\">ShadowCaster</String></Name>"
               "</Components></GameObjectBlueprint>\n</GameObjectBlueprints>\n";
        std::ofstream(root / "brick.mat")
            << "brick\npass_begin_empty Geometry\neffect forward_phong_illum\npass_end_empty x\n"
               "pass_begin_empty Material\neffect forward_phong_illum\npass_end_empty x\n"
               "pass_begin_empty Shadow\neffect forward_phong_illum\npass_end_empty x\n";
        std::ofstream(root / "glass.mat")
            << "glass\npass_begin_empty Transparent\neffect transparent\npass_end_empty x\n";

        graphics = std::make_unique<Graphics_>();
        graphics->SetWindow(&window, 1280, 800, false);
        graphics->Initialize();
        SD::SupplyEngineClasses(registrations);
        Aperture::InstallGraphics(registrations);
        factory.SetObjectInFormat("xml");
        registrations.RegisterComponents(factory);
        factory.AddBlueprint((root / "templates.xml").c_str());

        graphics->LoadMaterial(SD::FilePath((root / "brick.mat").c_str()));
        graphics->LoadMaterial(SD::FilePath((root / "glass.mat").c_str()));
        auto* manager = graphics->GetDeviceLayer().GetResourceManager();
        for (int i = 0; i < 10; ++i) {
            auto* model = manager->CreateModel();
            Aperture::Resource::Mesh* mesh = manager->CreateSphere(8, 8, {0, 0, 0}, 1.0f);
            mesh->SetMaterial(graphics->FindMaterial(i == 9 ? "glass" : "brick"));
            model->AddMesh(mesh);
            model->SetName("model" + std::to_string(i));
            graphics->AddModel(model->GetName(), model);
        }
        for (int i = 0; i < 1000; ++i) {
            auto* object = new SD::GameObject();
            object->GetTransform().SetPos(
                {static_cast<float>(i % 40) * 4.0f - 80.0f, 0.0f, static_cast<float>(i / 40) * 4.0f + 10.0f});
            object->GetTransform().UpdateGlobalMatrix();
            objects.push_back(object);
            geometries.push_back(std::make_unique<Aperture::Geometry>());
            geometries.back()->SetOwner(object);
            geometries.back()->SetModelName("model" + std::to_string(i % 10));
            geometries.back()->VRegister();
        }
        for (int i = 0; i < 256; ++i) {
            auto* object = new SD::GameObject();
            object->GetTransform().SetPos(
                {static_cast<float>(i % 16) * 10.0f - 80.0f, 5.0f, static_cast<float>(i / 16) * 6.0f + 10.0f});
            object->GetTransform().UpdateGlobalMatrix();
            objects.push_back(object);
            lights.push_back(std::make_unique<Aperture::Light>());
            lights.back()->SetOwner(object);
            lights.back()->SetType(i % 4 == 0 ? Aperture::Light::kSpot : Aperture::Light::kPoint);
            lights.back()->SetColor(1, 1, 1, 1);
            lights.back()->SetAttenFar(8.0f);
            lights.back()->SetOuterAngle(60.0f);
            lights.back()->VRegister();
        }
        SD::GameObject* sunOwner = factory.NewGameObject();
        sunOwner->GetTransform().SetPos({0, 1000, 0});
        sun = static_cast<Aperture::Light*>(sunOwner->AddComponent(SD::CID_Light));
        sun->SetOwner(sunOwner);
        sun->SetType(Aperture::Light::kDirectional);
        sun->SetColor(1, 1, 1, 1);
        sun->VRegister();

        graphics->AddTexture("grass", manager->CreateRenderBuffer());
        std::vector<Aperture::GrassInstance> blades(5000);
        for (size_t i = 0; i < blades.size(); ++i)
            blades[i].position =
                SD::Vec3(static_cast<float>(i % 100) - 50.0f, 0.0f, static_cast<float>(i / 100) + 10.0f);
        graphics->GetGrassField().SetGrass(geometries[20].get(), blades);  // the one at x = 0, in view

        eye.GetTransform().SetOrient(SD::Mtx33::Identity());
        eye.GetTransform().SetPos({0, 3, 0});
        camera.SetOwner(&eye);
        camera.SetFov(90.0f);
        camera.VRegister();
    }
    ~FrameRig() {
        camera.VUnregister();
        sun->VUnregister();
        for (auto& l : lights) l->VUnregister();
        for (auto& g : geometries) g->VUnregister();
        geometries.clear();
        lights.clear();
        for (SD::GameObject* o : objects) delete o;
        factory.Shutdown();
        graphics->Shutdown();
        graphics.reset();
        SD::Message_System::DestroyInstance();
        RTTIClassRegistry::Destroy();
        fs::current_path(previous);
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    platform::gfx::Device& Device() { return *graphics->GetDeviceLayer().GetDevice(); }

    fs::path root;
    fs::path previous;
    platform::Window window{"bench", 0, 0, 1280, 800};
    std::unique_ptr<Graphics_> graphics;
    SD::Registrations registrations;
    SD::ComponentManager_ components;
    SD::Factory_ factory{64};
    std::vector<SD::GameObject*> objects;
    std::vector<std::unique_ptr<Aperture::Geometry>> geometries;
    std::vector<std::unique_ptr<Aperture::Light>> lights;
    Aperture::Light* sun = nullptr;
    SD::GameObject eye;
    Aperture::Camera camera;
};

double Seconds(const std::function<void()>& work, int repeats) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeats; ++i) work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_GraphicsFullFrame(benchmark::State& state) {
    FrameRig rig;
    Graphics_& g = *rig.graphics;
    const double start = bench::ThreadCpuMicroseconds();
    for (auto _ : state) g.Update(0.016f);
    const double frameCpuUs = (bench::ThreadCpuMicroseconds() - start) / static_cast<double>(state.iterations());
    state.counters["draw_calls"] = rig.Device().LastFrameDrawCalls();
    bench::SplitFrame(state, rig.Device(), frameCpuUs);

    // Each pass alone on the scene the last frame collected, inside a scene of its own.
    constexpr int kRepeats = 20;
    const double frame = Seconds([&] { g.Update(0.016f); }, kRepeats);
    Graphics_::Scene& main = g.GetScene(Graphics_::kMainScene);
    const SD::Mtx44 view = rig.camera.GetView();
    auto alone = [&](const std::function<void()>& pass) {
        return Seconds(
            [&] {
                rig.Device().BeginScene();
                pass();
                rig.Device().EndScene();
                rig.Device().Present();
            },
            kRepeats);
    };
    const struct {
        const char* name;
        std::function<void()> pass;
    } passes[] = {
        {"prepare", [&] { g.PrepareScene(0.016f); }},
        {"shadows", [&] { g.RenderShadowCascades(); }},
        {"lights",
         [&] {
             g.SetSunConstants(view, true, true);
             g.RenderLightPrePass(g.GetLightBuffer(), g.GetGeometryBuffer(), main.lights);
         }},
        {"opaque",
         [&] {
             g.DrawBatches("Geometry", main.opaque);
             g.DrawBatches("Material", main.opaque);
         }},
        {"grass",
         [&] {
             g.DrawGrass("GrassGeometry", main.grass);
             g.DrawGrass("InstancedGrass", main.grass);
         }},
        {"sky", [&] { g.DrawSky(g.GetMainColor()); }},
        {"transparent", [&] { g.DrawTransparent(main.transparent); }},
        {"post", [&] { g.PostProcess(); }},
    };
    for (const auto& p : passes) {
        const double seconds = p.name == std::string("prepare") ? Seconds(p.pass, kRepeats) : alone(p.pass);
        state.counters[std::string(p.name) + "_pct"] = 100.0 * seconds / frame;
    }
    // PrepareScene above left the scene as a frame finds it.
    state.counters["opaque_items"] = static_cast<double>(main.opaque.items.size());
    state.counters["lights_in_view"] = static_cast<double>(main.lights.size());
    state.counters["grass_in_view"] = static_cast<double>(main.grass.size());
}
BENCHMARK(BM_GraphicsFullFrame)->Unit(benchmark::kMillisecond);

}  // namespace
