// The audio thread's cost of posted events that each play one sound under a five-level tree
// with three game-parameter curves (anchor: the same posts of an event without actions), and
// the reading of 10,000 hierarchy records (anchor: a copy of the same bytes), the choices of
// 256 containers in one frame (anchor: finding the same children by ID), and frames while 16
// buses are being ducked (anchor: the same frames with nothing ducked), and frames of 256
// continuous chains whose items end every frame, each chain going through a switch container
// whose switch changes every frame (anchor: 256 posted sounds starting and ending every frame).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/os/Clock.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/buses/CSxBus.h"
#include "sound/engine/containers/CSxRanSeqCntr.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxRenderProbes.h"
#include "tests/sound/engine/SxStopOnlyVoices.h"
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
    records.push_back(
        bw::Record(SxHirc_Action, bw::ActionBody(kPlayEvent + 1, 0x0403, 14, {}, {}, bw::PlayParams(4, 0))));
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
    for (uint32_t i = 0; i < 5000; ++i)
        records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(100000 + i, bw::Source(), node)));
    for (uint32_t i = 0; i < 2500; ++i)
        records.push_back(bw::Record(SxHirc_Action, bw::ActionBody(200000 + i, 0x0403, 100000 + i, {bw::PropI(13, 10)},
                                                                   {}, bw::PlayParams(4, 0))));
    for (uint32_t i = 0; i < 2500; ++i)
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(300000 + i, {200000 + i})));
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

constexpr uint32_t kContainers = 256, kChildren = 8;

// Containers 1000 + i over sounds 2000 + i * 8 ...: standard random avoiding 2, shuffle,
// weighted random and sequence in turn.
bw::Bytes Containers() {
    std::vector<bw::Bytes> records;
    for (uint32_t c = 0; c < kContainers; ++c) {
        bw::RanSeq settings;
        settings.avoidRepeat = 2;
        settings.randomType = c % 4 == 1;
        settings.playMode = c % 4 == 3;
        for (uint32_t k = 0; k < kChildren; ++k) {
            const uint32_t id = 2000 + c * kChildren + k;
            records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(id, bw::Source(), bw::NodeBase())));
            settings.children.push_back(id);
            settings.playList.push_back({id, c % 4 == 2 ? 10000 * (k + 1) : 50000});
        }
        records.push_back(bw::Record(SxHirc_RanSeq, bw::RanSeqBody(1000 + c, bw::NodeBase(), settings)));
    }
    return bw::HircChunk(records);
}

template <typename Choose>
void ContainerFrames(benchmark::State& state, Choose choose) {
    Engine engine;
    engine.Load(Containers());
    SoundEngine::RegisterGameObj(5);
    SoundEngine::RenderAudio();
    g_pAudioMgr->Perform();
    CSxRegisteredObj* object = g_pRegistryMgr->GetObjAndAddref(5);
    std::vector<CSxRanSeqCntr*> containers;
    for (uint32_t c = 0; c < kContainers; ++c) {
        CSxIndexable* found = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, 1000 + c);
        containers.push_back(static_cast<CSxRanSeqCntr*>(found));
        found->Release();
    }
    uint32_t frame = 0;
    for (auto _ : state) {
        for (uint32_t c = 0; c < kContainers; ++c) {
            // Releasing the child keeps the choice from being optimised away.
            CSxParameterNodeBase* child = choose(*containers[c], object, frame);
            if (child) child->Release();
        }
        ++frame;
    }
    object->Release();
    state.SetItemsProcessed(state.iterations() * kContainers);
}

void BM_ContainerChoicesPerFrame(benchmark::State& state) {
    ContainerFrames(state, [](CSxRanSeqCntr& container, CSxRegisteredObj* object, uint32_t) {
        uint16_t position;
        SxUniqueID id;
        return container.SelectStepChild(object, position, id);
    });
}
BENCHMARK(BM_ContainerChoicesPerFrame)->Unit(benchmark::kMicrosecond);

void BM_Anchor_ContainerChildrenByID(benchmark::State& state) {
    ContainerFrames(state, [](CSxRanSeqCntr& container, CSxRegisteredObj*, uint32_t frame) {
        const auto id = container.ID() - 1000;
        return static_cast<CSxParameterNodeBase*>(
            g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, 2000 + id * kChildren + frame % kChildren));
    });
}
BENCHMARK(BM_Anchor_ContainerChildrenByID)->Unit(benchmark::kMicrosecond);

// Bus 1 is the master; bus 2 ducks buses 3 to 18 over a fade that never ends while each of
// them plays a sound (events 100 + bus).
void DuckFrames(benchmark::State& state, bool duck) {
    Engine engine;
    sxtest::EndlessVoices voices;
    CSxLEngineCmds::SetVoiceLayer(&voices);
    std::vector<bw::Bytes> records = {bw::Record(SxHirc_Bus, bw::BusBody(1, bw::Bus()))};
    bw::Bus ducker;
    ducker.parentBusID = 1;
    ducker.maxDuckVolume = -96.3f;
    for (uint32_t b = 3; b < 19; ++b) ducker.duckTargets.push_back({b, -12.0f, 100000000, 100000000, 4});
    records.push_back(bw::Record(SxHirc_Bus, bw::BusBody(2, ducker)));
    for (uint32_t b = 3; b < 19; ++b) {
        bw::Bus ducked;
        ducked.parentBusID = 1;
        ducked.maxDuckVolume = -96.3f;
        records.push_back(bw::Record(SxHirc_Bus, bw::BusBody(b, ducked)));
    }
    for (uint32_t b = 2; b < 19; ++b) {
        bw::NodeBase node;
        node.busID = b;
        records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(500 + b, bw::Source(), node)));
        records.push_back(
            bw::Record(SxHirc_Action, bw::ActionBody(600 + b, 0x0403, 500 + b, {}, {}, bw::PlayParams(4, 0))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(100 + b, {600 + b})));
    }
    engine.Load(bw::HircChunk(records));
    SoundEngine::RegisterGameObj(5);
    SoundEngine::SetMaxNumVoicesLimit(2 * kEventsPerFrame);
    for (uint32_t b = duck ? 2 : 3; b < 19; ++b) SoundEngine::PostEvent(100 + b, 5);
    for (auto _ : state) {
        state.PauseTiming();
        SoundEngine::RenderAudio();
        engine.clock.Advance(0.022);
        state.ResumeTiming();
        g_pAudioMgr->Perform();
    }
    CSxBus* ducked = static_cast<CSxBus*>(g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, 18));
    if (duck && ducked->TotalDuck() == 0.0f) state.SkipWithError("nothing was ducked");
    ducked->Release();
    SoundEngine::StopAll();
    SoundEngine::RenderAudio();
    g_pAudioMgr->Perform();
    CSxLEngineCmds::SetVoiceLayer(nullptr);
}

void BM_FramesDucking16Buses(benchmark::State& state) { DuckFrames(state, true); }
BENCHMARK(BM_FramesDucking16Buses)->Unit(benchmark::kMicrosecond);

void BM_Anchor_FramesWithNothingDucked(benchmark::State& state) { DuckFrames(state, false); }
BENCHMARK(BM_Anchor_FramesWithNothingDucked)->Unit(benchmark::kMicrosecond);

// Voices that end, stopped short, at the frame after their start.
class OneFrameVoices : public ISxVoiceLayer {
public:
    bool StartVoice(CSxPBI& instance, bool) override {
        instance.SetVoiceContext(this);
        instance.NotifyStarted(0.0f);
        started.push_back(&instance);
        return true;
    }
    void Command(CSxPBI& instance, SxLowerCommand command) override {
        if (command != SxLowerCmd_Stop) return;
        for (CSxPBI*& playing : started)
            if (playing == &instance) playing = nullptr;
        instance.Destroy(0);
    }
    void EndAll() {
        platform::Lock lock(g_csMain);
        for (CSxPBI* instance : started)
            if (instance) instance->Destroy(0);
        started.clear();
    }
    std::vector<CSxPBI*> started;
};

constexpr uint32_t kChains = 256, kChainGroup = 0x30, kChainA = 0x31, kChainB = 0x32;

// Chain 5000 + c plays, for ever, switch container 4000 + c (A: sound 3000 + 3c, B: 3001 + 3c)
// then sound 3002 + 3c; event 6000 + c plays it. Events 7000 + c play sound 3002 + 3c alone.
void ChainFrames(benchmark::State& state, bool chains) {
    Engine engine;
    OneFrameVoices voices;
    CSxLEngineCmds::SetVoiceLayer(&voices);
    std::vector<bw::Bytes> records;
    for (uint32_t c = 0; c < kChains; ++c) {
        const uint32_t a = 3000 + 3 * c, b = a + 1, d = a + 2;
        for (uint32_t id : {a, b, d})
            records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(id, bw::Source(), bw::NodeBase())));
        bw::Switch sw;
        sw.groupID = kChainGroup;
        sw.defaultSwitch = kChainA;
        // Built, then moved in: a list assigned to the empty vector makes GCC 12 at -O3 see a
        // copy into null storage.
        sw.children = std::vector<uint32_t>{a, b};
        sw.switches = {{kChainA, {a}}, {kChainB, {b}}};
        records.push_back(bw::Record(SxHirc_Switch, bw::SwitchBody(4000 + c, bw::NodeBase(), sw)));
        bw::RanSeq chain;
        chain.playMode = 1;
        chain.continuous = true;
        chain.loopCount = 0;
        chain.children = {d, 4000 + c};
        chain.playList = {{4000 + c, 50000}, {d, 50000}};
        records.push_back(bw::Record(SxHirc_RanSeq, bw::RanSeqBody(5000 + c, bw::NodeBase(), chain)));
        records.push_back(
            bw::Record(SxHirc_Action, bw::ActionBody(8000 + c, 0x0403, 5000 + c, {}, {}, bw::PlayParams(4, 0))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(6000 + c, {8000 + c})));
        records.push_back(bw::Record(SxHirc_Action, bw::ActionBody(9000 + c, 0x0403, d, {}, {}, bw::PlayParams(4, 0))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(7000 + c, {9000 + c})));
    }
    engine.Load(bw::HircChunk(records));
    SoundEngine::RegisterGameObj(5);
    SoundEngine::SetMaxNumVoicesLimit(4 * kChains);
    if (chains)
        for (uint32_t c = 0; c < kChains; ++c) SoundEngine::PostEvent(6000 + c, 5);
    uint32_t frame = 0;
    for (auto _ : state) {
        state.PauseTiming();
        voices.EndAll();
        if (chains) {
            SoundEngine::SetSwitch(kChainGroup, frame % 2 ? kChainA : kChainB, 5);
        } else {
            for (uint32_t c = 0; c < kChains; ++c) SoundEngine::PostEvent(7000 + c, 5);
        }
        SoundEngine::RenderAudio();
        engine.clock.Advance(0.022);
        state.ResumeTiming();
        g_pAudioMgr->Perform();
        ++frame;
    }
    if (qvtest::URendererProbe::ActiveCount() < kChains) state.SkipWithError("the sounds did not go on");
    SoundEngine::StopAll();
    SoundEngine::RenderAudio();
    g_pAudioMgr->Perform();
    voices.EndAll();
    SoundEngine::RenderAudio();
    g_pAudioMgr->Perform();
    CSxLEngineCmds::SetVoiceLayer(nullptr);
    state.SetItemsProcessed(state.iterations() * kChains);
}

void BM_FramesOf256ContinuousChains(benchmark::State& state) { ChainFrames(state, true); }
BENCHMARK(BM_FramesOf256ContinuousChains)->Unit(benchmark::kMicrosecond);

void BM_Anchor_FramesOf256PostedSounds(benchmark::State& state) { ChainFrames(state, false); }
BENCHMARK(BM_Anchor_FramesOf256PostedSounds)->Unit(benchmark::kMicrosecond);

}  // namespace
