// A game frame with 100 phantoms playing: the sound system's share of the game thread (its
// update: the playing IDs pruned, the frame's batch closed; without a listener object from the
// factory's pool the emitter positions are not pushed) and the audio thread's cost
// of one audio frame mixing their voices. The anchor is the same frame's distance arithmetic
// without the sound engine.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "engine/GameObject.h"
#include "platform/os/Clock.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/Phantom.h"
#include "tests/sound/system/SoundSystemBanks.h"

namespace {

constexpr int kPhantoms = 100;

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// 100 game objects with phantoms playing the tone, a listener, and the sound system started
// from bank files in a temporary folder.
struct Scene {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "qv_phantom_bench";
    SD::GhostEngine_ ghost;
    std::vector<std::unique_ptr<SD::GameObject>> objects;
    std::vector<SD::Phantom*> phantoms;

    Scene() {
        std::filesystem::create_directories(folder);
        WriteFile(folder / "Init.bnk", soundtest::InitBank());
        WriteFile(folder / "Game.bnk", soundtest::GameBank());
        ghost.SetSettings(SD::Manager::Settings{folder.string() + "/", "Game.bnk", ""});
        ghost.Initialize();
        for (int i = 0; i < kPhantoms; ++i) {
            objects.push_back(std::make_unique<SD::GameObject>());
            objects.back()->GetTransform().SetPos(SD::Vec3(float(i), 0.0f, float(i % 7)));
            auto* phantom = new SD::Phantom();
            phantom->SetOwner(objects.back().get());
            phantom->SetEventName("Play_Tone");
            phantom->Set3D(true);
            phantom->VInitialize(false);
            phantom->VRegister();
            phantoms.push_back(phantom);
        }
    }
    ~Scene() {
        for (SD::Phantom* phantom : phantoms) {
            phantom->VUnregister();
            delete phantom;
        }
        ghost.Shutdown();
    }
    // Every phantom whose tone has ended plays again.
    void KeepPlaying() {
        if (ghost.GetManager()->RememberedPlayingIDs() >= kPhantoms) return;
        for (SD::Phantom* phantom : phantoms) phantom->Play();
    }
};

void BM_GameThreadSoundUpdate100Phantoms(benchmark::State& state) {
    Scene scene;
    if (!scene.ghost.GetManager()->Started()) {
        state.SkipWithError("the sound engine did not start");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        scene.KeepPlaying();
        state.ResumeTiming();
        scene.ghost.Update(1.0f / 60.0f);
    }
}
BENCHMARK(BM_GameThreadSoundUpdate100Phantoms);

void BM_AudioFrame100Phantoms(benchmark::State& state) {
    platform::ManualClock clock;
    platform::ScopedClock scoped(clock);
    Scene scene;
    if (!scene.ghost.GetManager()->Started()) {
        state.SkipWithError("the sound engine did not start");
        return;
    }
    SX::g_pAudioMgr->StopThread();
    for (auto _ : state) {
        state.PauseTiming();
        scene.KeepPlaying();
        scene.ghost.Update(0.0214f);
        clock.Advance(0.0214);
        state.ResumeTiming();
        SX::g_pAudioMgr->Perform();
    }
    // The voices end here, on this clock, before the banks they play from are unloaded.
    SX::SoundEngine::StopAll();
    for (int frame = 0; frame < 10; ++frame) {
        scene.ghost.Update(0.0214f);
        clock.Advance(0.0214);
        SX::g_pAudioMgr->Perform();
    }
    SX::g_pAudioMgr->Start(SX::SxThreadProperties());
}
BENCHMARK(BM_AudioFrame100Phantoms);

// Anchor: the distances of 100 objects to a listener, as the emitter update works them out.
void BM_Anchor_Distances100Objects(benchmark::State& state) {
    std::vector<SD::Vec3> at(kPhantoms);
    for (int i = 0; i < kPhantoms; ++i) at[i] = SD::Vec3(float(i), 0.0f, float(i % 7));
    std::vector<float> last(kPhantoms);
    for (auto _ : state) {
        for (int i = 0; i < kPhantoms; ++i) {
            const double d = std::sqrt(double(at[i].x) * at[i].x + double(at[i].z) * at[i].z);
            benchmark::DoNotOptimize(float(d) - last[i]);
            last[i] = float(d);
        }
    }
}
BENCHMARK(BM_Anchor_Distances100Objects);

}  // namespace
