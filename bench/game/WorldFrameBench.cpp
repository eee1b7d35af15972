// One frame of the whole sample game in its world state: every system, the recording graphics
// device and the sound engine with its output captured, with the world's objects as the level
// loads them and copied to four and sixteen times as many. The frame is split in two: the
// device's handling of the frame's commands (the last frame replayed on a device of its own) and
// the rest, the game's update and the building of those commands. Anchor: the same commands
// copied into a buffer made for them beforehand, the least any device that keeps a frame's
// commands can do with them.
// Beside them the world's frame in play (the story's opening cards gone, the play HUD shown) in a
// 640 x 400 and a 1280 x 800 window, once on the recording device alone and once drawn by OpenGL
// in a real window (skipped without a display; tools/window-bench.sh runs them on a virtual
// display with the software renderer).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "app/GameStartup.h"
#include "bench/game/WholeGame.h"
#include "bench/platform/FrameSplit.h"
#include "core/EngineCore.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Level.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "physics/PhysicsSystem.h"
#include "platform/audio/OutputCapture.h"
#include "platform/sdl/SdlSession.h"
#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakInspect.h"
#include "runtime/Registration.h"

namespace {

// Every object of the running state once more `extra` times, from its blueprint, beside it.
void CopyStateObjects(int extra) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    std::vector<SD::GameObject*> originals;
    for (const SD::GameObjectHandle& handle : SD::GameStateManager_::GetInstance()->GetCurrentLevel()->GetObjects())
        if (SD::GameObject* object = handle.get(); object && !object->GetParent()) originals.push_back(object);
    for (SD::GameObject* original : originals) {
        for (int i = 1; i <= extra; ++i) {
            SD::GameObject* copy = factory->CreateObject(original->GetBlueprintName().c_str(), nullptr);
            if (!copy) continue;
            copy->GetTransform().SetPos(original->GetTransform().GetLocalPos() + SD::Vec3(6.0f * i, 0.0f, 0.0f));
            copy->Initialize(false);
        }
    }
    if (Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::Peek()) physics->BuildTree();
}

// The level editor's two bars shown, and a bar of its own with a float variable for each value.
void ShowBars(std::vector<float>& values) {
    namespace tw = platform::tweak;
    tw::Define("'Object Templates' visible=true");
    tw::Define("'Level Objects' visible=true");
    tw::Bar* bar = tw::NewBar("Bench");
    tw::Define("Bench position='10 10' size='220 360'");
    for (size_t i = 0; i < values.size(); ++i)
        tw::AddVarRW(bar, ("Value " + std::to_string(i)).c_str(), tw::kTypeFloat, &values[i], "");
}

// Runs the game to `target` (the menu, then the world when asked), copies its objects and times
// the frames that follow without the frame limiter. A small window by default: the headless
// device's full-screen clears would hide the game's own cost. The world is timed in play, as a
// player sees it after the intro: the story's opening card shows while the state comes in.
void MeasureFrames(benchmark::State& state, const std::string& target, int times, bool window = false, int width = 320,
                   int height = 200, int barItems = 0, bool split = false) {
    bench::SampleInstall install(width, height);
    std::unique_ptr<platform::sdl::SdlSession> session;
    if (window) {
        if (!getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::string error;
        session = platform::sdl::SdlSession::Open(&error);
        if (!session) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    SD::Registrations& registrations = SD::StartupRegistrations();
    QV::SupplyWholeGame(registrations);
    platform::audio::control::StartCapture();

    bool measured = false;
    bool measuring = false;
    SD::RunOptions options;
    // No bound of the run's own: it would ask the state to quit in the middle of the timing.
    options.afterFrame = [&](unsigned long frames) {
        if (measuring || measured) return;
        if (frames > 6000) SD::Core::GetInstance()->Quit();
        const std::string running = bench::Running();
        // The splash waits for a key on its controls screen; the benchmark goes on at once.
        if (running == "SplashLevel") SD::GameStateManager_::ChangeLevel("LoadLevel");
        if (running == "MainMenu" && target != running) SD::GameStateManager_::ChangeLevel(target);
        if (bench::Running() != target) return;
        // No sprite may hide the scene still.
        if (Aperture::Graphics_::Peek() && Aperture::Graphics_::Peek()->SpritesHideScene()) return;
        CopyStateObjects(times - 1);
        std::vector<float> values(static_cast<size_t>(barItems), 1.0f);
        if (barItems > 0) ShowBars(values);
        SD::Core* core = SD::Core::GetInstance();
        core->GetFrameTimer().SetFrameRate(0.0);
        measuring = true;
        const double cpuStart = bench::ThreadCpuMicroseconds();
        const double processCpuStart = bench::ProcessCpuMicroseconds();
        for (auto _ : state) core->RunFrame();
        const double frameCpuUs = (bench::ThreadCpuMicroseconds() - cpuStart) / static_cast<double>(state.iterations());
        // All threads' CPU per frame: the steadier figure where a software renderer's threads
        // draw and the machine is shared.
        state.counters["process_cpu_ms"] =
            (bench::ProcessCpuMicroseconds() - processCpuStart) / 1e3 / static_cast<double>(state.iterations());
        measuring = false;
        measured = true;
        state.counters["objects"] = static_cast<double>(SD::Factory_::GetInstance()->GetPool().GetLiveCount());
        state.counters["fps"] =
            benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
        if (split)
            if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek())
                if (const platform::gfx::Device* device = graphics->GetDeviceLayer().GetDevice())
                    bench::SplitFrame(state, *device, frameCpuUs);
        core->Quit();
    };
    SD::RunProgram(options);
    if (barItems > 0) platform::tweak::DeleteBar(platform::tweak::FindBar("Bench"));
    platform::audio::control::StopCapture();
    bench::EndOfRun();
    if (!measured) state.SkipWithError(("the game never ran " + target).c_str());
}

void BM_WorldFrame(benchmark::State& state) {
    MeasureFrames(state, "World", static_cast<int>(state.range(0)), false, 320, 200, 0, true);
}
BENCHMARK(BM_WorldFrame)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMicrosecond);

// Argument 0: the recording device alone; 1: drawn by OpenGL and shown in the window. Real
// time: the software renderer draws on threads of its own.
void BM_WorldFrame640x400(benchmark::State& state) { MeasureFrames(state, "World", 1, state.range(0) != 0, 640, 400); }
BENCHMARK(BM_WorldFrame640x400)->ArgName("window")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// The world's frame in the window with the tweak bars drawn over it by Dear ImGui: the editor's
// two bars and one of as many variables as the argument. Anchor: argument 0, no bar shown.
void BM_WorldFrameWithTweakBars640x400(benchmark::State& state) {
    MeasureFrames(state, "World", 1, true, 640, 400, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_WorldFrameWithTweakBars640x400)
    ->ArgName("variables")
    ->Arg(0)
    ->Arg(24)
    ->Arg(96)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
void BM_WorldFrame1280x800(benchmark::State& state) {
    MeasureFrames(state, "World", 1, state.range(0) != 0, 1280, 800);
}
BENCHMARK(BM_WorldFrame1280x800)->ArgName("window")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
