// The world's sound in one audio frame, with the game's own banks: the season music, the string
// pad, the flight wind and rain, the four seasonal ambiences and a positioned water sound,
// mixed through the buses (the master bus's limiter, the narration's ducking) as the game
// plays them. The anchor mixes as many voices of 24 kHz mono sound to the 48 kHz stereo output
// in plain code: resampled, panned by fixed gains, summed and clipped to 16 bits, with no
// buses or effects.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ConfigFile.h"
#include "engine/GameObject.h"
#include "platform/os/Clock.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/voice/CSxVoiceMgr.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/SoundManager.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxRenderProbes.h"

namespace {

constexpr double kAudioFrameSeconds = 1024.0 / 48000.0;
constexpr const char* kWorldEvents[] = {"Play_Spring",         "Play_Epic_Strings",   "Play_Player_Wind",
                                        "Play_Spring_Ambient", "Play_Summer_Ambient", "Play_Fall_Ambient",
                                        "Play_Winter_Ambient"};

// The sound system started on the banks the configuration names, the world's sounds playing;
// the audio thread is stopped so that its frames run where the benchmark says.
class WorldSound {
public:
    WorldSound() {
        platform::audio::control::Reset();
        SD::ConfigFile config(std::string(QV_SOURCE_DIR) + "/Assets/Config/config.ini");
        config.SetSection("GhostEngine");
        ghost_.SetSettings(SD::Manager::Settings{std::string(QV_SOURCE_DIR) + "/Assets/Sound/",
                                                 config.GetString("Banks", ""), config.GetString("Packages", "")});
        ghost_.Initialize();
        if (!Started()) return;
        SX::g_pAudioMgr->StopThread();
        SD::Manager& manager = *ghost_.GetManager();
        for (const char* event : kWorldEvents) manager.PostEvent(event, SD::kDefaultSoundObject);
        manager.SetGlobalVolume(1.0f);
        // Flying at the vehicle's speed, in a light rain.
        manager.SetParameterOnAll(0x26341EDE, 150.0f);
        manager.SetParameterOnAll(0x79CBDEDF, 0.3f);
        water_.GetTransform().SetPos(SD::Vec3{20.0f, 0.0f, 5.0f});
        ghost_.RegisterSoundObject(&water_);
        manager.PostEvent("Play_Water", ghost_.SoundObjectID(&water_));
        for (int i = 0; i < 5; ++i) AudioFrame();
    }
    ~WorldSound() {
        // The stops reach the voices in frames run here, as the stopped audio thread's clock does
        // not move; the banks unload at shutdown once no voice plays from them.
        if (Started()) {
            SX::SoundEngine::StopAll();
            for (int i = 0; i < 5; ++i) AudioFrame();
            SX::SxThreadProperties thread;
            thread.stackSize = 256 * 1024;
            SX::g_pAudioMgr->Start(thread);
        }
        ghost_.Shutdown();
        platform::audio::control::Reset();
    }
    bool Started() { return ghost_.GetManager() && ghost_.GetManager()->Started(); }
    void AudioFrame() {
        ghost_.Update(static_cast<float>(kAudioFrameSeconds));
        clock_.Advance(kAudioFrameSeconds);
        SX::g_pAudioMgr->Perform();
    }
    // The narration line that ducks the music and the ambience, once the last one ended.
    void Speak() { ghost_.GetManager()->PostEvent("Play_1_Long_ago", SD::kDefaultSoundObject); }

private:
    platform::ManualClock clock_;
    platform::ScopedClock scoped_{clock_};
    SD::GhostEngine_ ghost_;
    SD::GameObject water_;
};

void BM_WorldSoundFrame(benchmark::State& state) {
    WorldSound world;
    if (!world.Started()) {
        state.SkipWithError("the sound engine did not start");
        return;
    }
    world.Speak();
    uint32_t frames = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        world.AudioFrame();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // A line every few seconds, as the story's triggers speak them.
        if (++frames % 200 == 0) world.Speak();
    }
    state.counters["voices"] = qvtest::VoiceProbe::VoiceCount();
    // The share of the 1024 output frames' own time that mixing them takes.
    state.counters["share_of_audio_frame_%"] = frames ? seconds / frames / kAudioFrameSeconds * 100.0 : 0.0;
}
BENCHMARK(BM_WorldSoundFrame)->Unit(benchmark::kMicrosecond);

// Anchor: the same number of voices (the world's looping sounds and a narration line) mixed in
// plain code.
void BM_Anchor_PlainMixSameVoices(benchmark::State& state) {
    constexpr size_t kVoices = 10, kFrames = 1024, kSourceLength = 24000;
    std::vector<std::vector<float>> sources(kVoices, std::vector<float>(kSourceLength));
    uint32_t seed = 1;
    for (auto& source : sources)
        for (float& v : source) {
            seed = seed * 1664525u + 1013904223u;
            v = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
        }
    std::vector<double> positions(kVoices, 0.0);
    std::vector<float> mix(2 * kFrames);
    std::vector<int16_t> out(2 * kFrames);
    for (auto _ : state) {
        std::fill(mix.begin(), mix.end(), 0.0f);
        for (size_t v = 0; v < kVoices; ++v) {
            const std::vector<float>& source = sources[v];
            const float left = 0.3f + 0.04f * static_cast<float>(v), right = 0.7f - 0.04f * static_cast<float>(v);
            double at = positions[v];
            for (size_t i = 0; i < kFrames; ++i, at += 0.5) {
                if (at >= kSourceLength - 1) at -= kSourceLength - 1;
                const size_t k = static_cast<size_t>(at);
                const auto t = static_cast<float>(at - static_cast<double>(k));
                const float sample = source[k] + (source[k + 1] - source[k]) * t;
                mix[2 * i] += sample * left;
                mix[2 * i + 1] += sample * right;
            }
            positions[v] = at;
        }
        for (size_t i = 0; i < mix.size(); ++i)
            out[i] = static_cast<int16_t>(std::clamp(mix[i], -1.0f, 1.0f) * 32767.0f);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Anchor_PlainMixSameVoices)->Unit(benchmark::kMicrosecond);

}  // namespace
