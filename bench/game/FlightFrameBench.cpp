// The world's frame in flight, as a player sees it: the whole game in a window on the wall
// clock, driven by keys from the main menu (Return) through the intro into the world, where the
// vehicle flies for 30 s with Space held, turning left with A and right with D in turn. Timed
// are the frames of the flight alone: the CPU time of all the process's threads per frame (a
// software renderer's raster threads among them; on a shared machine the steadier figure) and
// the frames per second, with the cores the process may run on and the load beside them.
// Skipped without a display; tools/window-bench.sh runs it on a virtual display.
#include <benchmark/benchmark.h>
#include <sched.h>
#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "app/GameStartup.h"
#include "bench/game/WholeGame.h"
#include "bench/platform/FrameSplit.h"
#include "core/EngineCore.h"
#include "platform/audio/OutputCapture.h"
#include "platform/sdl/SdlSession.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/Registration.h"
#include "tests/support/HeldKeys.h"

namespace {

using Seconds = std::chrono::duration<double>;
constexpr double kFlightSeconds = 30.0;

// The keys a player holds `t` seconds into the flight: Space throughout; in each 8 s, 2 s
// straight, 2 s to the left, 2 s straight, 2 s to the right.
std::set<uint32_t> FlightKeys(double t) {
    std::set<uint32_t> keys{SD::key_SPACE};
    const double phase = t - 8.0 * static_cast<int>(t / 8.0);
    if (phase >= 2.0 && phase < 4.0) keys.insert(SD::key_A);
    if (phase >= 6.0) keys.insert(SD::key_D);
    return keys;
}

int CoresAllowed() {
    cpu_set_t set;
    CPU_ZERO(&set);
    return sched_getaffinity(0, sizeof(set), &set) == 0 ? CPU_COUNT(&set) : 0;
}

void BM_WorldFlight(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    bench::SampleInstall install(width, height, false);
    if (!getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string error;
    std::unique_ptr<platform::sdl::SdlSession> session = platform::sdl::SdlSession::Open(&error);
    if (!session) {
        state.SkipWithError(error.c_str());
        return;
    }
    QV::SupplyWholeGame(SD::StartupRegistrations());
    platform::audio::control::StartCapture();

    using Clock = std::chrono::steady_clock;
    std::set<uint32_t> keys;
    bool injecting = false;
    unsigned long frames = 0, lastTap = 0;
    Clock::time_point flightStart;
    double cpuStart = 0.0, seconds = 0.0, cpuMs = 0.0;
    SD::RunOptions options;
    options.afterFrame = [&](unsigned long frame) {
        if (!injecting && SD::Input_::GetInstance()) {
            SD::Input_::GetInstance()->AddInjector(std::make_unique<qvtest::HeldKeys>(&keys));
            injecting = true;
        }
        const std::string running = bench::Running();
        if (frames == 0 && running != "World") {
            // Return taps through the splash's logos and controls screen and the menu's Play; a
            // tap is one frame down and a few up, so the menu's start delay passes between taps.
            keys.clear();
            if (frame - lastTap >= 10 && (running == "SplashLevel" || running == "MainMenu")) {
                keys.insert(SD::key_RETURN);
                lastTap = frame;
            }
            if (frame > 20000) SD::Core::GetInstance()->Quit();
            return;
        }
        // In the world, past the intro.
        const Clock::time_point now = Clock::now();
        if (frames == 0) {
            flightStart = now;
            cpuStart = bench::ProcessCpuMicroseconds();
        }
        const double t = Seconds(now - flightStart).count();
        if (t >= kFlightSeconds || running != "World") {
            seconds = t;
            cpuMs = (bench::ProcessCpuMicroseconds() - cpuStart) / 1e3;
            SD::Core::GetInstance()->Quit();
            return;
        }
        keys = FlightKeys(t);
        ++frames;
    };
    for (auto _ : state) {
        SD::RunProgram(options);
        state.SetIterationTime(seconds);
    }
    platform::audio::control::StopCapture();
    bench::EndOfRun();
    if (frames == 0 || seconds < kFlightSeconds) {
        state.SkipWithError("the flight never reached its end in the world");
        return;
    }
    double load[1] = {0.0};
    getloadavg(load, 1);
    state.counters["process_cpu_ms"] = cpuMs / static_cast<double>(frames);
    state.counters["fps"] = static_cast<double>(frames) / seconds;
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["cores"] = CoresAllowed();
    state.counters["load"] = load[0];
}
// One flight per run: its 30 s are the iteration's time.
BENCHMARK(BM_WorldFlight)
    ->Args({640, 400})
    ->Args({1280, 800})
    ->ArgNames({"width", "height"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
