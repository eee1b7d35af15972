// One empty frame of the graphics system with the device recording, split into the device's
// handling of its commands and the rest, beside the anchor: the same commands copied. Apart from
// it, the heap's growth over a long run of frames, measured once; and the per-frame constants on
// the shared effect beside one float parameter set, the smallest unit they are made of.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/platform/FrameSplit.h"
#include "core/MessageSystem.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Effect.h"
#include "platform/window/Window.h"

namespace {

namespace fs = std::filesystem;

// A temporary install tree holding the sample effects, entered at its bin folder.
class SampleTree {
public:
    SampleTree() {
        char pattern[] = "/tmp/qv_gfx_bench_XXXXXX";
        root_ = mkdtemp(pattern);
        fs::create_directories(root_ / "bin");
        fs::copy(fs::path(QV_SOURCE_DIR) / "Graphics", root_ / "Graphics", fs::copy_options::recursive);
        previous_ = fs::current_path();
        fs::current_path(root_ / "bin");
    }
    ~SampleTree() {
        fs::current_path(previous_);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

private:
    fs::path root_;
    fs::path previous_;
};

struct GraphicsRig {
    SampleTree tree;
    platform::Window window{"bench", 0, 0, 1280, 800};
    Aperture::Graphics_ graphics;
    GraphicsRig() {
        graphics.SetWindow(&window, 1280, 800, false);
        graphics.Initialize();
    }
    ~GraphicsRig() {
        graphics.Shutdown();
        SD::Message_System::DestroyInstance();
    }
};

void BM_GraphicsEmptyFrame(benchmark::State& state) {
    GraphicsRig rig;
    const double start = bench::ThreadCpuMicroseconds();
    for (auto _ : state) rig.graphics.Update(0.016f);
    const double frameCpuUs = (bench::ThreadCpuMicroseconds() - start) / static_cast<double>(state.iterations());
    const platform::gfx::Device& device = *rig.graphics.GetDeviceLayer().GetDevice();
    state.counters["draw_calls"] = device.LastFrameDrawCalls();
    bench::SplitFrame(state, device, frameCpuUs);
}
BENCHMARK(BM_GraphicsEmptyFrame)->Unit(benchmark::kMicrosecond);

// Heap growth over a long run, measured once whatever the repetitions asked for: a steady frame
// keeps its command lists and allocates nothing it keeps.
void BM_GraphicsEmptyFrameHeapGrowth(benchmark::State& state) {
    GraphicsRig rig;
    rig.graphics.Update(0.016f);
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        for (int i = 0; i < 2000; ++i) rig.graphics.Update(0.016f);
        state.counters["heap_growth_bytes_2k_frames"] = static_cast<double>(mallinfo2().uordblks - before);
    }
}
BENCHMARK(BM_GraphicsEmptyFrameHeapGrowth)->Iterations(1)->Repetitions(1)->Unit(benchmark::kMillisecond);

void BM_FrameConstants(benchmark::State& state) {
    GraphicsRig rig;
    platform::gfx::Device* device = rig.graphics.GetDeviceLayer().GetDevice();
    for (auto _ : state) {
        rig.graphics.SetFrameConstants();
        device->Present();
    }
}
BENCHMARK(BM_FrameConstants);

void BM_AnchorOneFloatParameter(benchmark::State& state) {
    GraphicsRig rig;
    platform::gfx::Device* device = rig.graphics.GetDeviceLayer().GetDevice();
    Aperture::Resource::Effect* shared = rig.graphics.GetSharedEffect();
    for (auto _ : state) {
        shared->SetFloat("time", 1.0f);
        device->Present();
    }
}
BENCHMARK(BM_AnchorOneFloatParameter);

}  // namespace
