// A game frame with 100 phantoms playing a looping tone around a listener from the factory's
// pool: the sound system's share of the game thread (the listener, 100 emitter positions and
// distances pushed, the playing IDs pruned, the frame's batch closed) and the audio thread's
// cost of one audio frame mixing their voices. The anchor is the same frame's distance
// arithmetic without the sound engine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "engine/GameObject.h"
#include "engine/ObjectPool.h"
#include "platform/os/Clock.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/voice/CSxVoiceMgr.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/Phantom.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxRenderProbes.h"
#include "tools/bankwriter/BankFile.h"
#include "tools/mediawriter/MediaWriter.h"

namespace {

namespace bw = bankwriter;
constexpr int kPhantoms = 100;
constexpr float kFrameSeconds = 1.0f / 60.0f;

uint32_t ID(const char* name) { return SX::SoundEngine::GetIDFromString(name); }

void WriteFile(const std::filesystem::path& path, const bw::Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
}

// "Init.bnk" and "Loop.bnk", whose "Play_Loop" loops a quiet mono tone for ever.
void WriteBanks(const std::filesystem::path& folder) {
    bw::BankFile init;
    init.id = ID("Init");
    WriteFile(folder / "Init.bnk", bw::WriteBank(init));
    bw::BankFile bank;
    bank.id = ID("Loop");
    const auto tone = QV::media::Sine(500.0, 0.01, 48000, 48000, 0x4);
    bank.media = {{ID("Loop_Tone"), QV::media::Build(tone, QV::media::Encoding::Pcm16)}};
    bw::Source source;
    source.pluginID = 1u << 16 | 1;
    source.mediaID = ID("Loop_Tone");
    source.size = uint32_t(bank.media[0].bytes.size());
    bw::NodeBase node;
    node.props = {bw::PropI(SX::SxProp_LoopCount, 0)};
    bank.records = {
        bw::Record(SX::SxHirc_Sound, bw::SoundBody(ID("Loop_Sound"), source, node)),
        bw::Record(SX::SxHirc_Action,
                   bw::ActionBody(ID("Play_Loop.play"), 0x0403, ID("Loop_Sound"), {}, {}, bw::PlayParams(4, bank.id))),
        bw::Record(SX::SxHirc_Event, bw::EventBody(ID("Play_Loop"), {ID("Play_Loop.play")})),
    };
    WriteFile(folder / "Loop.bnk", bw::WriteBank(bank));
}

// The sound system started on the banks with 100 playing Phantoms on moving objects; the audio
// thread is stopped so that its frames run where the benchmark says.
class PhantomWorld {
public:
    PhantomWorld() : folder_(std::filesystem::temp_directory_path() / "qv_phantom_bench") {
        std::filesystem::create_directories(folder_);
        WriteBanks(folder_);
        platform::audio::control::Reset();
        ghost_.SetSettings(SD::Manager::Settings{folder_.string() + "/", "Loop.bnk", ""});
        ghost_.Initialize();
        if (!Started()) return;
        // The listener stands among the emitters, so that their distances are measured.
        listener_.GetTransform().SetPos(SD::Vec3{18.0f, 1.5f, 18.0f});
        ghost_.GetManager()->SetListener(pool_.Acquire(&listener_));
        SX::g_pAudioMgr->StopThread();
        for (int i = 0; i < kPhantoms; ++i) {
            auto object = std::make_unique<SD::GameObject>();
            object->GetTransform().SetPos(SD::Vec3{float(i % 10) * 4.0f, 1.0f, float(i / 10) * 4.0f});
            auto* phantom = new SD::Phantom();
            phantom->SetOwner(object.get());
            phantom->SetEventName("Play_Loop");
            phantom->SetBegin(true);
            phantom->Set3D(true);
            phantom->VInitialize(false);
            phantom->VRegister();
            phantoms_.push_back(phantom);
            objects_.push_back(std::move(object));
        }
        AudioFrame();
    }
    ~PhantomWorld() {
        for (SD::Phantom* phantom : phantoms_) {
            phantom->VUnregister();
            delete phantom;
        }
        // The stops reach the voices here, as the stopped audio thread's clock does not move;
        // the banks unload at shutdown once no voice plays from them.
        if (Started()) {
            for (int i = 0; i < 5; ++i) {
                ghost_.Update(kFrameSeconds);
                AudioFrame();
            }
            SX::g_pAudioMgr->Start(SX::SxThreadProperties());
        }
        ghost_.Shutdown();
        platform::audio::control::Reset();
        std::filesystem::remove_all(folder_);
    }
    // What the game thread does for sound in a frame, after the objects moved.
    void GameFrame() {
        step_ += 0.01f;
        for (auto& object : objects_) object->GetTransform().SetPosY(1.0f + step_);
        ghost_.Update(kFrameSeconds);
    }
    void AudioFrame() {
        clock_.Advance(0.0214);
        SX::g_pAudioMgr->Perform();
    }
    SD::GhostEngine_& Ghost() { return ghost_; }
    bool Started() { return ghost_.GetManager() && ghost_.GetManager()->Started(); }

private:
    std::filesystem::path folder_;
    platform::ManualClock clock_;
    platform::ScopedClock scoped_{clock_};
    SD::GhostEngine_ ghost_;
    SD::ObjectPool pool_{4};
    SD::GameObject listener_;
    std::vector<std::unique_ptr<SD::GameObject>> objects_;
    std::vector<SD::Phantom*> phantoms_;
    float step_ = 0.0f;
};

// The share of a frame's time that the measured work takes, in percent.
void ReportShare(benchmark::State& state, const char* name, double seconds, double frameSeconds) {
    const double frames = double(state.iterations());
    state.counters[name] = frames > 0.0 ? seconds / frames / frameSeconds * 100.0 : 0.0;
}

void BM_GameThreadSoundUpdate100Phantoms(benchmark::State& state) {
    PhantomWorld world;
    if (!world.Started()) {
        state.SkipWithError("the sound engine did not start");
        return;
    }
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        world.GameFrame();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        world.AudioFrame();
        state.ResumeTiming();
    }
    ReportShare(state, "share_of_60Hz_frame_%", seconds, kFrameSeconds);
}
BENCHMARK(BM_GameThreadSoundUpdate100Phantoms)->Unit(benchmark::kMicrosecond);

void BM_AudioFrame100Phantoms(benchmark::State& state) {
    PhantomWorld world;
    if (!world.Started()) {
        state.SkipWithError("the sound engine did not start");
        return;
    }
    double seconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        world.GameFrame();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        world.AudioFrame();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    // An audio frame is 1024 frames of output at 48 kHz.
    ReportShare(state, "share_of_audio_frame_%", seconds, 1024.0 / 48000.0);
    state.counters["phantoms"] = double(world.Ghost().PhantomCount());
    state.counters["voices"] = qvtest::VoiceProbe::VoiceCount();
}
BENCHMARK(BM_AudioFrame100Phantoms)->Unit(benchmark::kMicrosecond);

// Anchor: the distances of 100 objects to a listener, as the emitter update works them out.
void BM_Anchor_Distances100Objects(benchmark::State& state) {
    std::vector<SD::Vec3> at(kPhantoms);
    for (int i = 0; i < kPhantoms; ++i) at[i] = SD::Vec3(float(i % 10) * 4.0f, 1.0f, float(i / 10) * 4.0f);
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
