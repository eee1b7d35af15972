// The audio thread's cost of posted events that each play one sound under a five-level tree
// with three game-parameter curves (anchor: the same posts of an event without actions), and
// the reading of 10,000 hierarchy records (anchor: a copy of the same bytes).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/audio/AudioTestControl.h"
#include "platform/os/Clock.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "tools/bankwriter/BankWriter.h"

namespace {

using namespace SX;
namespace bw = bankwriter;

constexpr int kEventsPerFrame = 1000;
constexpr SxUniqueID kPlayEvent = 900, kEmptyEvent = 950;

// A whole engine with its audio thread stopped; the benchmark runs the frames.
class Engine {
public:
    Engine() {
        platform::audio::control::SetOpenFails(true);
        SxMemoryMgrSettings memory;
        memory.maxPools = 8;
        MemoryMgr::Init(&memory);
        SxInitSettings settings;
        settings.commandQueueSize = 1 << 20;
        settings.defaultPoolSize = 64 << 20;
        SoundEngine::Init(&settings, nullptr);
        g_pAudioMgr->StopThread();
    }
    ~Engine() {
        {
            platform::Lock lock(g_csMain);
            for (CSxIndexable* object : loaded) object->Release();
        }
        SoundEngine::Term();
        MemoryMgr::Term();
        platform::audio::control::Reset();
    }
    void Load(const bw::Bytes& chunk) { SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded); }

    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::vector<CSxIndexable*> loaded;
};

bw::Bytes FiveLevelTree() {
    // Mixers 10 (top) to 13, sound 14; game parameters 1, 2, 3 drive volume, pitch and low-pass
    // at three levels.
    std::vector<bw::Bytes> records;
    bw::NodeBase leaf;
    leaf.props = {bw::PropF(0, -1.0f), bw::PropF(2, 10.0f)};
    leaf.rtpcs = {{1, 0, 0, 0, {{0, -12, 4}, {100, 0, 4}}}};
    records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(14, bw::Source(), leaf)));
    for (uint32_t id = 13; id >= 10; --id) {
        bw::NodeBase mixer;
        mixer.props = {bw::PropF(0, -0.5f), bw::PropF(3, 5.0f)};
        if (id == 12) mixer.rtpcs = {{2, 2, 0, 0, {{0, 0, 4}, {100, 1200, 4}}}};
        if (id == 10) mixer.rtpcs = {{3, 3, 0, 0, {{0, 0, 4}, {100, 50, 4}}}};
        records.push_back(bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(id, mixer, {id + 1})));
    }
    records.push_back(bw::Record(SxHirc_Action, bw::ActionBody(kPlayEvent + 1, 0x0403, 14, {}, {}, bw::PlayParams(4, 0))));
    records.push_back(bw::Record(SxHirc_Event, bw::EventBody(kPlayEvent, {kPlayEvent + 1})));
    records.push_back(bw::Record(SxHirc_Event, bw::EventBody(kEmptyEvent, {})));
    return bw::HircChunk(records);
}

void PostFrames(benchmark::State& state, SxUniqueID event) {
    Engine engine;
    engine.Load(FiveLevelTree());
    SoundEngine::RegisterGameObj(5);
    // Room for every instance of the frame: the voice limit's evictions are not measured here.
    SoundEngine::SetMaxNumVoicesLimit(2 * kEventsPerFrame);
    for (uint32_t parameter = 1; parameter <= 3; ++parameter) SoundEngine::SetRTPCValue(parameter, 50.0f);
    SoundEngine::RenderAudio();
    g_pAudioMgr->Perform();
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < kEventsPerFrame; ++i) SoundEngine::PostEvent(event, 5);
        SoundEngine::RenderAudio();
        engine.clock.Advance(0.022);
        state.ResumeTiming();
        g_pAudioMgr->Perform();  // applies the posts, plays, and ends the instances
    }
    state.SetItemsProcessed(state.iterations() * kEventsPerFrame);
}

void BM_PostedEventsPlayingOneSoundEach(benchmark::State& state) { PostFrames(state, kPlayEvent); }
BENCHMARK(BM_PostedEventsPlayingOneSoundEach)->Unit(benchmark::kMicrosecond);

void BM_Anchor_PostedEventsWithoutActions(benchmark::State& state) { PostFrames(state, kEmptyEvent); }
BENCHMARK(BM_Anchor_PostedEventsWithoutActions)->Unit(benchmark::kMicrosecond);

bw::Bytes TenThousandRecords() {
    std::vector<bw::Bytes> records;
    bw::NodeBase node;
    node.props = {bw::PropF(0, -3.0f), bw::PropF(2, 100.0f), bw::PropI(6, 2)};
    node.ranges = {bw::RangeF(2, -50.0f, 50.0f)};
    for (uint32_t i = 0; i < 5000; ++i) records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(100000 + i, bw::Source(), node)));
    for (uint32_t i = 0; i < 2500; ++i)
        records.push_back(bw::Record(SxHirc_Action, bw::ActionBody(200000 + i, 0x0403, 100000 + i, {bw::PropI(13, 10)}, {},
                                                                   bw::PlayParams(4, 0))));
    for (uint32_t i = 0; i < 2500; ++i) records.push_back(bw::Record(SxHirc_Event, bw::EventBody(300000 + i, {200000 + i})));
    return bw::HircChunk(records);
}

void BM_ReadTenThousandRecords(benchmark::State& state) {
    Engine engine;
    const bw::Bytes chunk = TenThousandRecords();
    for (auto _ : state) {
        engine.Load(chunk);
        state.PauseTiming();
        {
            platform::Lock lock(g_csMain);
            for (CSxIndexable* object : engine.loaded) object->Release();
        }
        engine.loaded.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(chunk.size()));
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_ReadTenThousandRecords)->Unit(benchmark::kMicrosecond);

void BM_Anchor_CopyTheSameBytes(benchmark::State& state) {
    const bw::Bytes chunk = TenThousandRecords();
    std::vector<uint8_t> copy(chunk.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), chunk.data(), chunk.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(chunk.size()));
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_Anchor_CopyTheSameBytes)->Unit(benchmark::kMicrosecond);

}  // namespace
