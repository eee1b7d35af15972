#include <benchmark/benchmark.h>

#include <string>

#include "platform/pad/Pad.h"
#include "platform/window/Window.h"
#include "runtime/Input.h"
#include "runtime/Window.h"

namespace {

// One frame of input: a pumped batch of raw records, four polled pads and fifty bindings.
void BM_InputFrameWithPadsAndBindings(benchmark::State& state) {
    platform::ResetPads();
    SD::Window_ window("Bench", 640, 480, false, 1);
    SD::Input_ input;
    input.Initialize();
    platform::Window& raw = *window.GetPlatformWindow();
    raw.AddRawInputDevice(1, {platform::RawInputType::Keyboard, 0, 0});
    for (uint32_t pad = 0; pad < platform::kPadCount; ++pad) platform::ConnectPad(pad);
    input.ScanPads();
    for (int i = 0; i < 25; ++i) {
        input.BindDigital("digital" + std::to_string(i), SD::key_A + i);
        input.BindAnalog("analog" + std::to_string(i), SD::xpad1_AXIS_LX_N, SD::xpad1_AXIS_LX_P, 1.0f);
    }
    platform::RawInput key;
    key.type = platform::RawInputType::Keyboard;
    key.device = 1;
    for (auto _ : state) {
        for (uint16_t k = SD::key_A; k < SD::key_A + 8; ++k) {
            key.keyboard.virtualKey = k;
            raw.PostRawInput(key);
        }
        window.Update(0.016f);
        input.Update(0.016f);
        benchmark::DoNotOptimize(input.GetAnalog("analog0"));
    }
    platform::ResetPads();
}
BENCHMARK(BM_InputFrameWithPadsAndBindings);

}  // namespace
