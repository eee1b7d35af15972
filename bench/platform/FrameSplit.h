#pragma once
// A recorded frame's CPU time split in two: the headless device's handling of its commands (the
// frame replayed on a device of its own) and the rest, the work that decided them. Beside them
// the anchor, the floor of any device that keeps a frame's commands: the same commands copied.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "bench/platform/FrameReplay.h"

namespace bench {

// The least time, in microseconds, of `runs` runs of the work.
template <class Work>
double LeastMicroseconds(int runs, Work&& work) {
    double least = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        least = std::min(least,
                         std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    return least;
}

// The frame's CPU time split into the device's part and the rest, beside the anchor: the
// frame's commands copied, element by element, into a buffer of as many commands made
// beforehand (the same bytes; names fit in place or in the capacity of the first copy).
inline void SplitFrame(benchmark::State& state, const platform::gfx::Device& device, double frameCpuMicroseconds) {
    const std::vector<platform::gfx::Command> frame = device.LastFrame();
    bench::FrameReplay replay(device.GetPresentParameters(), frame);
    replay.Run();
    if (!replay.Ready() || !replay.Matches()) {
        state.SkipWithError("the replayed frame differs from the recorded one");
        return;
    }
    std::vector<platform::gfx::Command> copy(frame.size());
    const double copyUs = LeastMicroseconds(200, [&] {
        std::copy(frame.begin(), frame.end(), copy.begin());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    });
    if (copy != frame) state.SkipWithError("the anchor's copy differs from the frame");
    const double deviceUs = LeastMicroseconds(200, [&] { replay.Run(); });
    state.counters["commands"] = static_cast<double>(frame.size());
    state.counters["copy_commands_us"] = copyUs;
    state.counters["device_us"] = deviceUs;
    state.counters["device_per_copy"] = deviceUs / copyUs;
    state.counters["update_us"] = frameCpuMicroseconds - deviceUs;
}

inline double CpuMicroseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// CPU time of the calling thread, in microseconds.
inline double ThreadCpuMicroseconds() { return CpuMicroseconds(CLOCK_THREAD_CPUTIME_ID); }

// CPU time of all the process's threads (a software renderer's own among them), in microseconds.
inline double ProcessCpuMicroseconds() { return CpuMicroseconds(CLOCK_PROCESS_CPUTIME_ID); }

}  // namespace bench
