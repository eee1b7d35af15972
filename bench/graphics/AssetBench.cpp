// Asset loading: reading a model file of 100,000 vertices, reading 1,000 material files, and
// generating the normal map of a 1024 x 1024 height map. Anchors beside them: copying the
// same bytes, tokenising the same material text without acting on it, and one pass over the
// height map's bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "engine/TextFileDataStream.h"
#include "graphics/DX9Abstract.h"
#include "graphics/NormalMaps.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/ModelFile.h"
#include "graphics/resources/ResourceManager.h"
#include "platform/window/Window.h"
#include "tools/modelwriter/ModelWriter.h"

namespace {

namespace fs = std::filesystem;

// Two meshes of 50,000 vertices each (a mesh holds at most 65,535), each a strip of triangles.
std::vector<unsigned char> LargeModel() {
    std::vector<modelwriter::MeshDescription> meshes(2);
    for (size_t m = 0; m < meshes.size(); ++m) {
        meshes[m].name = "mesh" + std::to_string(m);
        for (uint32_t v = 0; v < 50000; ++v) {
            const float x = static_cast<float>(v % 250), z = static_cast<float>(v / 250);
            meshes[m].vertices.insert(meshes[m].vertices.end(), {x, 0.1f * x, z, 0, 1, 0, x / 250.0f, z / 200.0f});
        }
        for (uint32_t v = 0; v + 2 < 50000; ++v) meshes[m].indices.insert(meshes[m].indices.end(), {v, v + 1, v + 2});
    }
    return modelwriter::ModelFileBytes(meshes);
}

void BM_ReadModelFile100kVertices(benchmark::State& state) {
    const std::vector<unsigned char> bytes = LargeModel();
    for (auto _ : state) {
        Aperture::Resource::ModelFileContents read = Aperture::Resource::ParseModelFile(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(read.meshes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadModelFile100kVertices)->Unit(benchmark::kMillisecond);

void BM_AnchorCopyModelBytes(benchmark::State& state) {
    const std::vector<unsigned char> bytes = LargeModel();
    std::vector<unsigned char> copy(bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_AnchorCopyModelBytes)->Unit(benchmark::kMillisecond);

constexpr const char* kMaterialText = R"(m
pass_begin_params Geometry
effect lit
float shininess 4
int layers 2
float4 tint 0.5 0.6 0.7 1
pass_end_params Geometry
pass_begin_empty Shadow
effect lit
pass_end_empty Shadow
)";

// 1,000 material files in a temporary folder and a headless device with the effect they bind.
struct MaterialRig {
    MaterialRig() : window("bench", 0, 0, 64, 64) {
        char pattern[] = "/tmp/qv_material_bench_XXXXXX";
        root = mkdtemp(pattern);
        std::ofstream(root / "lit.fx") << "param float shininess\nparam int layers\nparam float4 tint\n"
                                          "technique SingleInstance\npass p0\n";
        for (int i = 0; i < 1000; ++i) std::ofstream(root / ("m" + std::to_string(i) + ".mat")) << kMaterialText;
        layer.SetParameters(&window, false, 64, 64, 1.0f);
        layer.Create(false);
        manager = layer.CreateResourceManager();
        effect = manager->CreateEffect(SD::FilePath((root / "lit.fx").c_str()));
        Aperture::Resource::Material::RegisterValueReaders();
        Aperture::Resource::Material::SetLookups([this](const std::string&) { return effect; }, nullptr);
    }
    ~MaterialRig() {
        Aperture::Resource::Material::SetLookups(nullptr, nullptr);
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    std::string File(int i) const { return (root / ("m" + std::to_string(i) + ".mat")).string(); }
    fs::path root;
    platform::Window window;
    Aperture::DX9Abstract layer;
    Aperture::Resource::ResourceManager* manager = nullptr;
    Aperture::Resource::Effect* effect = nullptr;
};

void BM_Read1000Materials(benchmark::State& state) {
    MaterialRig rig;
    std::vector<Aperture::Resource::Material*> materials;
    for (int i = 0; i < 1000; ++i) materials.push_back(rig.manager->CreateMaterial(SD::FilePath(rig.File(i).c_str())));
    for (auto _ : state) {
        for (Aperture::Resource::Material* m : materials) {
            m->Unload();
            m->Load();
        }
    }
    state.counters["passes_per_material"] = static_cast<double>(materials[0]->PassCount());
}
BENCHMARK(BM_Read1000Materials)->Unit(benchmark::kMillisecond);

void BM_AnchorTokenise1000Materials(benchmark::State& state) {
    MaterialRig rig;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            Data::TextFileDataStream stream;
            stream.openFile(rig.File(i).c_str(), "rt");
            std::string word;
            while (stream.get(word)) benchmark::DoNotOptimize(word.data());
            stream.close();
        }
    }
}
BENCHMARK(BM_AnchorTokenise1000Materials)->Unit(benchmark::kMillisecond);

std::vector<unsigned char> HeightMap1024() {
    const uint32_t w = 1024, h = 1024, stride = w * 3;
    std::vector<unsigned char> bmp(54 + stride * h);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    bmp[26] = 1;
    bmp[28] = 24;
    for (size_t i = 54; i < bmp.size(); ++i) bmp[i] = static_cast<unsigned char>((i * 2654435761u) >> 24);
    return bmp;
}

void BM_NormalMap1024(benchmark::State& state) {
    const std::vector<unsigned char> heights = HeightMap1024();
    std::vector<unsigned char> normals;
    std::string error;
    for (auto _ : state) {
        Aperture::GenerateNormalMap(heights, normals, error);
        benchmark::DoNotOptimize(normals.data());
    }
    state.counters["pixels"] = 1024.0 * 1024.0;
}
BENCHMARK(BM_NormalMap1024)->Unit(benchmark::kMillisecond);

void BM_AnchorSumHeightMapBytes(benchmark::State& state) {
    const std::vector<unsigned char> heights = HeightMap1024();
    for (auto _ : state) benchmark::DoNotOptimize(std::accumulate(heights.begin(), heights.end(), 0u));
}
BENCHMARK(BM_AnchorSumHeightMapBytes)->Unit(benchmark::kMillisecond);

}  // namespace
