// Frustum tests of 1,000,000 boxes, and a grass tree of 100,000 instances built and walked.
// Anchors beside them: summing the same boxes' coordinates, and copying the instances.
#include <benchmark/benchmark.h>

#include <vector>

#include "graphics/Culling.h"
#include "graphics/GrassTree.h"

namespace {

Aperture::Frustum TestFrustum() {
    // A square view along +z, depth 1 to 1000 (row-vector form, depth 0 to w).
    SD::Mtx44 m(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.001f, 1, 0, 0, -1.001f, 0);
    Aperture::Frustum f;
    Aperture::Frustum::Build(m, f);
    return f;
}

std::vector<Aperture::AABB> Boxes(size_t n) {
    std::vector<Aperture::AABB> boxes(n);
    for (size_t i = 0; i < n; ++i) {
        const float x = static_cast<float>(i % 1000) - 500.0f, z = static_cast<float>(i / 1000 % 1000) + 0.5f;
        Aperture::AABB::FromCorners({x + 1, 1, z + 1}, {x - 1, -1, z - 1}, boxes[i]);
    }
    return boxes;
}

std::vector<Aperture::GrassInstance> Grass(size_t n) {
    std::vector<Aperture::GrassInstance> grass(n);
    for (size_t i = 0; i < n; ++i) {
        grass[i].position = {static_cast<float>(i % 317) * 13.0f, 0, static_cast<float>(i / 317) * 11.0f};
        grass[i].params[2] = 4;
    }
    return grass;
}

void BM_FrustumBoxes(benchmark::State& state) {
    const Aperture::Frustum f = TestFrustum();
    const auto boxes = Boxes(1000000);
    for (auto _ : state) {
        size_t culled = 0;
        for (const auto& b : boxes) culled += Aperture::IsBoxCulled(b, f);
        benchmark::DoNotOptimize(culled);
    }
}
BENCHMARK(BM_FrustumBoxes)->Unit(benchmark::kMillisecond);

void BM_FrustumBoxesAnchorSum(benchmark::State& state) {
    const auto boxes = Boxes(1000000);
    for (auto _ : state) {
        float sum = 0;
        for (const auto& b : boxes) sum += b.min.x + b.max.z;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_FrustumBoxesAnchorSum)->Unit(benchmark::kMillisecond);

void BM_GrassTreeBuildAndWalk(benchmark::State& state) {
    const auto grass = Grass(100000);
    const Aperture::Frustum f = TestFrustum();
    for (auto _ : state) {
        Aperture::GrassTree tree;
        tree.Build(grass);
        size_t visible = 0;
        tree.TraverseFromRoot(f.planes, [&](Aperture::GrassTree::Node* n) { visible += n->instances.size(); });
        benchmark::DoNotOptimize(visible);
    }
}
BENCHMARK(BM_GrassTreeBuildAndWalk)->Unit(benchmark::kMillisecond);

void BM_GrassTreeAnchorCopy(benchmark::State& state) {
    const auto grass = Grass(100000);
    for (auto _ : state) {
        std::vector<Aperture::GrassInstance> copy = grass;
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_GrassTreeAnchorCopy)->Unit(benchmark::kMillisecond);

}  // namespace
