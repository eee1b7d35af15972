// Collection of 1,000 and 5,000 geometry components into the active camera's main view and
// reflection, with the batch build of both opaque lists. Anchor beside it: the frustum test of the same
// geometries alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"
#include "graphics/resources/ResourceManager.h"
#include "platform/window/Window.h"

namespace {

namespace fs = std::filesystem;

// Ten models of one sphere each over five materials with an opaque and a shadow pass;
// geometries on a grid in front of a camera looking along +z, a quarter of them out of view.
struct CollectionRig {
    explicit CollectionRig(int count) : window("bench", 0, 0, 64, 64) {
        char pattern[] = "/tmp/qv_collection_bench_XXXXXX";
        root = mkdtemp(pattern);
        std::ofstream(root / "lit.fx") << "technique SingleInstance\npass p0\n";
        std::ofstream(root / "m.mat") << "m\npass_begin_empty Geometry\neffect lit\npass_end_empty x\n"
                                         "pass_begin_empty Shadow\neffect lit\npass_end_empty x\n";
        auto& layer = graphics.GetDeviceLayer();
        layer.SetParameters(&window, false, 64, 64, 1.0f);
        layer.Create(false);
        auto* manager = layer.CreateResourceManager();
        effect = manager->CreateEffect(SD::FilePath((root / "lit.fx").c_str()));
        Aperture::Resource::Material::RegisterValueReaders();
        Aperture::Resource::Material::SetLookups([this](const std::string&) { return effect; }, nullptr);
        std::vector<Aperture::Resource::Material*> materials;
        for (int i = 0; i < 5; ++i)
            materials.push_back(manager->CreateMaterial(SD::FilePath((root / "m.mat").c_str())));
        for (int i = 0; i < 10; ++i) {
            auto* model = manager->CreateModel();
            Aperture::Resource::Mesh* mesh = manager->CreateSphere(4, 4, {0, 0, 0}, 1.0f);
            mesh->SetMaterial(materials[i % 5]);
            model->AddMesh(mesh);
            model->SetName("model" + std::to_string(i));
            graphics.AddModel(model->GetName(), model);
        }
        for (int i = 0; i < count; ++i) {
            auto* object = new SD::GameObject();
            object->GetTransform().SetPos(
                {static_cast<float>(i % 100) * 4.0f - 300.0f, 0.0f, static_cast<float>(i / 100) * 4.0f + 10.0f});
            objects.push_back(object);
            geometries.push_back(std::make_unique<Aperture::Geometry>());
            geometries.back()->SetOwner(object);
            geometries.back()->SetModelName("model" + std::to_string(i % 10));
            geometries.back()->VRegister();
        }
        SD::Mtx44 m(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.001f, 1, 0, 0, -1.001f, 0);
        Aperture::Frustum::Build(m, view);
        // The active camera at the origin looking along +z, wide enough to see most of the grid.
        eye.GetTransform().SetOrient(SD::Mtx33::Identity());
        camera.SetOwner(&eye);
        camera.SetFov(90.0f);
        camera.VRegister();
        camera.UpdateViewMatrix();
        camera.UpdateFrusta(graphics.BuildProjection());
    }
    ~CollectionRig() {
        camera.VUnregister();
        for (auto& g : geometries) g->VUnregister();
        for (SD::GameObject* o : objects) delete o;
        Aperture::Resource::Material::SetLookups(nullptr, nullptr);
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root;
    platform::Window window;
    Aperture::Graphics_ graphics;
    Aperture::Resource::Effect* effect = nullptr;
    std::vector<SD::GameObject*> objects;
    std::vector<std::unique_ptr<Aperture::Geometry>> geometries;
    Aperture::Frustum view;
    SD::GameObject eye;
    Aperture::Camera camera;
};

void BM_CollectGeometry(benchmark::State& state) {
    CollectionRig rig(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        rig.graphics.GetScene(Aperture::Graphics_::kMainScene).Clear();
        rig.graphics.GetScene(Aperture::Graphics_::kReflectionScene).Clear();
        rig.graphics.CollectViewItems();
        benchmark::DoNotOptimize(rig.graphics.GetScene(Aperture::Graphics_::kMainScene).opaque.batches.data());
    }
}
BENCHMARK(BM_CollectGeometry)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_CollectGeometryAnchorCullOnly(benchmark::State& state) {
    CollectionRig rig(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        size_t culled = 0;
        for (auto& g : rig.geometries) culled += g->IsCulled(rig.view);
        benchmark::DoNotOptimize(culled);
    }
}
BENCHMARK(BM_CollectGeometryAnchorCullOnly)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

}  // namespace
