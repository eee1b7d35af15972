// The batch build of 10,000 render items over 100 meshes and 20 materials, mixed. Anchor
// beside it: copying the same items into the list without ordering them.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/Logger.h"
#include "graphics/DX9Abstract.h"
#include "graphics/RenderBatch.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/ResourceManager.h"
#include "platform/window/Window.h"

namespace {

struct Tint : Aperture::RenderItemSource {
    const SD::Mtx44& GetRenderWorld() const override { return SD::Mtx44::Identity(); }
    SD::Vec4 GetRenderColor() const override { return {1, 1, 1, 1}; }
};

struct BatchRig {
    BatchRig() : window("bench", 0, 0, 64, 64) {
        layer.SetParameters(&window, false, 64, 64, 1.0f);
        layer.Create(false);
        manager = layer.CreateResourceManager();
        std::vector<Aperture::Resource::Material*> materials;
        // Files that do not exist: the materials have no passes, but they have their IDs.
        for (int i = 0; i < 20; ++i) materials.push_back(manager->CreateMaterial(SD::FilePath("/nonexistent.mat")));
        std::vector<Aperture::Resource::Mesh*> meshes;
        for (int i = 0; i < 100; ++i) {
            meshes.push_back(manager->CreateMesh());
            meshes.back()->SetMaterial(materials[(i * 7) % 20]);
        }
        for (unsigned i = 0; i < 10000; ++i) items.emplace_back(meshes[(i * 2654435761u >> 8) % 100], &tint);
    }
    platform::Window window;
    Aperture::DX9Abstract layer;
    Aperture::Resource::ResourceManager* manager = nullptr;
    Tint tint;
    std::vector<Aperture::RenderItem> items;
};

void BM_BatchBuild10000Items(benchmark::State& state) {
    BatchRig rig;
    Aperture::RenderBatchList list;
    for (auto _ : state) {
        list.items = rig.items;
        list.Build();
        benchmark::DoNotOptimize(list.batches.data());
    }
}
BENCHMARK(BM_BatchBuild10000Items)->Unit(benchmark::kMicrosecond);

void BM_BatchBuildAnchorCopy(benchmark::State& state) {
    BatchRig rig;
    Aperture::RenderBatchList list;
    for (auto _ : state) {
        list.items = rig.items;
        benchmark::DoNotOptimize(list.items.data());
    }
}
BENCHMARK(BM_BatchBuildAnchorCopy)->Unit(benchmark::kMicrosecond);

}  // namespace
