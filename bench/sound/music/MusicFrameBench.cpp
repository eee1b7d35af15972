// The music engine's audio-frame step for 16 music contexts, each a switch container playing a
// minute-long segment with a change to another segment pending on its exit cue (anchor: the
// same 16 contexts with no change pending). The contexts are restarted every 2,000 frames, out
// of the timing, so that the pending changes never complete.
#include <benchmark/benchmark.h>

#include <map>
#include <vector>

#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/music/CSxMusicRenderer.h"
#include "sound/music/SxMusicEngine.h"
#include "sound/music/SxMusicSync.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxMediaMap.h"
#include "tools/bankwriter/MusicRecords.h"
#include "tools/mediawriter/MediaWriter.h"

namespace {

using namespace SX;
namespace bw = bankwriter;

constexpr int kContexts = 16;
constexpr int kFramesPerRun = 2000;
constexpr uint32_t kA = 100, kB = 200, kSwitch = 300, kEvent = 900, kGroup = 50;

sxtest::SxMediaMap::Media g_media;

std::vector<bw::Bytes> Segment(uint32_t id, double ms) {
    QV::media::Signal signal;
    signal.samples.assign(static_cast<size_t>(ms * 48.0), 0.1f);
    g_media[id + 1000] = QV::media::Build(signal, QV::media::Encoding::Pcm16);
    bw::Source source;
    source.pluginID = 1 << 16 | 1;
    source.mediaID = id + 1000;
    source.size = static_cast<uint32_t>(g_media[id + 1000].size());
    bw::MusicTrack track;
    track.sources = {source};
    track.clips = {{0, id + 1000, 0.0, 0.0, 0.0, ms}};
    track.node.parentID = id;
    bw::MusicNode node;
    node.node.parentID = kSwitch;
    node.children = {id + 500};
    return {bw::Record(bw::Hirc_MusicTrack, bw::MusicTrackBody(id + 500, track)),
            bw::Record(bw::Hirc_MusicSegment, bw::MusicSegmentBody(id, node, ms, {{1, 0.0}, {2, 30000.0}, {3, ms}}))};
}

class MusicEngineRun {
public:
    MusicEngineRun() {
        platform::audio::control::SetOpenFails(true);
        SxMemoryMgrSettings memory;
        memory.maxPools = 16;
        MemoryMgr::Init(&memory);
        SxInitSettings settings;
        settings.defaultPoolSize = 64 << 20;
        SoundEngine::Init(&settings, nullptr);
        g_pAudioMgr->StopThread();
        MusicEngine::Init(nullptr);
        std::vector<bw::Bytes> records = Segment(kA, 60000.0);
        const std::vector<bw::Bytes> b = Segment(kB, 60000.0);
        records.insert(records.end(), b.begin(), b.end());
        bw::MusicNode node;
        node.children = {kA, kB};
        node.overrideGrid = true;
        bw::TransitionRule rule;
        rule.syncType = SxSyncType_ExitMarker;
        rule.sourceFade = {500, 0, 0};
        records.push_back(bw::Record(
            bw::Hirc_MusicSwitch, bw::MusicSwitchBody(kSwitch, node, {rule}, 1, kGroup, 1, false, {{1, kA}, {2, kB}})));
        records.push_back(
            bw::Record(SxHirc_Action, bw::ActionBody(kEvent + 1, 0x0403, kSwitch, {}, {}, bw::PlayParams(4, 0))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(kEvent, {kEvent + 1})));
        const bw::Bytes chunk = bw::HircChunk(records);
        SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded);
        platform::Lock lock(g_csMain);
        g_pStateMgr->AddStateGroup(kGroup);
        for (int i = 0; i < kContexts; ++i) SoundEngine::RegisterGameObj(10 + i);
    }
    ~MusicEngineRun() {
        MusicEngine::Term();
        {
            platform::Lock lock(g_csMain);
            for (CSxIndexable* object : loaded) object->Release();
        }
        SoundEngine::Term();
        MemoryMgr::Term();
        platform::audio::control::Reset();
    }
    void EngineFrame() {
        SoundEngine::RenderAudio();
        g_pAudioMgr->Perform();
    }
    // Sixteen contexts on A; with pending, the state moves to B, whose change waits for A's exit.
    void Restart(bool pending) {
        SoundEngine::StopAll();
        SoundEngine::SetState(kGroup, 1);
        EngineFrame();
        for (int i = 0; i < kContexts; ++i) SoundEngine::PostEvent(kEvent, 10 + i, 0x3F00);
        EngineFrame();
        if (pending) SoundEngine::SetState(kGroup, 2);
        EngineFrame();
    }
    std::vector<CSxIndexable*> loaded;
    sxtest::SxMediaMap mediaMap{g_media};
};

void Run(benchmark::State& state, bool pending) {
    MusicEngineRun run;
    int frame = kFramesPerRun;
    for (auto _ : state) {
        if (frame == kFramesPerRun) {
            state.PauseTiming();
            run.Restart(pending);
            frame = 0;
            state.ResumeTiming();
        }
        platform::Lock lock(g_csMain);
        CSxMusicRenderer::PerformFrame(false);
        ++frame;
    }
    state.counters["contexts"] = CSxMusicRenderer::ContextCount();
}

void BM_SixteenContextsWithTransitionsPending(benchmark::State& state) { Run(state, true); }
BENCHMARK(BM_SixteenContextsWithTransitionsPending);

void BM_Anchor_SixteenContextsWithoutTransitions(benchmark::State& state) { Run(state, false); }
BENCHMARK(BM_Anchor_SixteenContextsWithoutTransitions);

}  // namespace
