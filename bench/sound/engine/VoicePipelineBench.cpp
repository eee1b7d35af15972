// Whole voices through the lower engine's frame: 64 looping sounds of 16-bit mono PCM rendered
// and mixed to stereo at 48 kHz, bare, with an insert effect each, with two environment sends
// each, and over 8 mix buses of a bank with an insert effect and a volume each, against the
// real-time budget of one 1024-frame audio frame; the mix buses beside the same mix done in a
// plain loop.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/os/Clock.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/voice/CSxVoiceMgr.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxMediaMap.h"
#include "tests/sound/engine/SxRenderProbes.h"
#include "tests/sound/engine/SxTestPlugins.h"
#include "tools/bankwriter/BankWriter.h"
#include "tools/mediawriter/MediaWriter.h"

namespace {

using namespace SX;
namespace bw = bankwriter;

constexpr uint32_t kVoices = 64;
constexpr double kFrameSeconds = 1024 / 48000.0;
constexpr SxUniqueID kSound = 100, kEvent = 1000, kMedia = 77, kEffect = 500;
constexpr SxGameObjectID kObject = 5;
constexpr uint32_t kBuses = 8;
constexpr SxUniqueID kMaster = 1, kFirstBus = 10;
constexpr float kEffectDb = -3.0f, kBusDb = -6.0f;

sxtest::SxMediaMap::Media g_mediaByID;
std::vector<uint8_t>& g_media = g_mediaByID[kMedia];

enum Variant { kBare = 0, kInsertEffect = 1, kSends = 2, kMixBuses = 3 };

// The master bus and 8 buses below it with the gain effect and a volume; sound b plays
// through bus b, event b plays sound b.
std::vector<bw::Bytes> MixBusRecords(const bw::Source& source) {
    std::vector<bw::Bytes> records = {
        bw::Record(SxHirc_FxShareSet, bw::EffectBody(kEffect, {sxtest::kGainKey, sxtest::DbBlock(kEffectDb), {}, {}})),
        bw::Record(SxHirc_Bus, bw::BusBody(kMaster, bw::Bus()))};
    for (uint32_t b = 0; b < kBuses; ++b) {
        bw::Bus bus;
        bus.parentBusID = kMaster;
        bus.props = {bw::PropF(0, kBusDb)};
        bus.effects = {{0, kEffect, 1}};
        records.push_back(bw::Record(SxHirc_Bus, bw::BusBody(kFirstBus + b, bus)));
        bw::NodeBase node;
        node.busID = kFirstBus + b;
        node.props = {bw::PropI(SxProp_LoopCount, 0)};
        records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(kSound + b, source, node)));
        records.push_back(bw::Record(
            SxHirc_Action, bw::ActionBody(kEvent + 100 + b, 0x0403, kSound + b, {}, {}, bw::PlayParams(4, 0))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(kEvent + b, {kEvent + 100 + b})));
    }
    return records;
}

// One looping sound played by the event; with the gain effect inserted, or under a master bus
// that feeds the environments.
std::vector<bw::Bytes> SoundRecords(Variant variant, const bw::Source& source) {
    bw::NodeBase node;
    node.props = {bw::PropI(SxProp_LoopCount, 0)};
    node.overrideEffects = true;
    std::vector<bw::Bytes> records;
    if (variant == kInsertEffect) {
        node.effects = {{0, kEffect}};
        records.push_back(bw::Record(SxHirc_FxCustom,
                                     bw::EffectBody(kEffect, {sxtest::kGainKey, sxtest::DbBlock(kEffectDb), {}, {}})));
    }
    if (variant == kSends) {
        bw::Bus master;
        master.environmental = true;
        records.push_back(bw::Record(SxHirc_Bus, bw::BusBody(kMaster, master)));
    }
    records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(kSound, source, node)));
    records.push_back(
        bw::Record(SxHirc_Action, bw::ActionBody(kEvent + 1, 0x0403, kSound, {}, {}, bw::PlayParams(4, 0))));
    records.push_back(bw::Record(SxHirc_Event, bw::EventBody(kEvent, {kEvent + 1})));
    return records;
}

class Engine {
public:
    explicit Engine(Variant variant) {
        platform::audio::control::SetOpenFails(true);
        SxMemoryMgrSettings memory;
        memory.maxPools = 8;
        MemoryMgr::Init(&memory);
        SoundEngine::Init(nullptr, nullptr);
        g_pAudioMgr->StopThread();
        sxtest::RegisterTestPlugins();
        g_media = QV::media::Build(QV::media::Sine(440.0, 0.5, 48000, 48000, 0x4), QV::media::Encoding::Pcm16);
        bw::Source source;
        source.pluginID = 1 << 16 | 1;
        source.mediaID = kMedia;
        source.size = static_cast<uint32_t>(g_media.size());
        const bw::Bytes chunk =
            bw::HircChunk(variant == kMixBuses ? MixBusRecords(source) : SoundRecords(variant, source));
        SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), m_loaded);
        SoundEngine::RegisterGameObj(kObject);
        const SxEnvironmentValue sends[2] = {{900, 0.5f}, {901, 0.25f}};
        SoundEngine::SetGameObjectEnvironmentsValues(kObject, sends, 2);
        for (uint32_t v = 0; v < kVoices; ++v)
            SoundEngine::PostEvent(variant == kMixBuses ? kEvent + v % kBuses : kEvent, kObject);
        // The messages apply without a frame; the voices are made at once and start with the
        // first frame measured.
        SoundEngine::RenderAudio();
        g_pAudioMgr->Perform();
        platform::Lock lock(g_csMain);
        CSxLEngineCmds::ExecuteCommands();
    }
    ~Engine() {
        {
            platform::Lock lock(g_csMain);
            for (CSxIndexable* object : m_loaded) object->Release();
        }
        SoundEngine::Term();
        MemoryMgr::Term();
        platform::audio::control::Reset();
    }

private:
    platform::ManualClock m_clock;
    platform::ScopedClock m_scoped{m_clock};
    std::vector<CSxIndexable*> m_loaded;
    sxtest::SxMediaMap m_mediaMap{g_mediaByID};
};

void BM_VoiceFrame(benchmark::State& state) {
    Engine engine(static_cast<Variant>(state.range(0)));
    for (auto _ : state) {
        platform::Lock lock(g_csMain);
        CSxLEngine::Perform();
    }
    if (qvtest::VoiceProbe::VoiceCount() != kVoices) state.SkipWithError("the voices did not all play");
    if (state.range(0) == kMixBuses && CSxLEngine::BusNodeCount() != kBuses)
        state.SkipWithError("the voices did not play through their buses");
    state.counters["voices_per_core"] =
        benchmark::Counter(kVoices * kFrameSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VoiceFrame)
    ->ArgName("bare0_effect1_sends2_buses3")
    ->Arg(kBare)
    ->Arg(kInsertEffect)
    ->Arg(kSends)
    ->Arg(kMixBuses);

// Anchor: the same 64 voices read from 16-bit media and panned into their bus's stereo buffer,
// each bus's effect gain and then its volume applied, the buses summed and written as 16-bit
// interleaved output.
void BM_Plain64VoicesOver8Buses(benchmark::State& state) {
    const std::vector<uint8_t> media =
        QV::media::Build(QV::media::Sine(440.0, 0.5, 48000, 48000, 0x4), QV::media::Encoding::Pcm16);
    // The samples, with one frame more at the end for reads across the loop point.
    std::vector<int16_t> samples(48000 + SxFrameLength);
    std::memcpy(samples.data(), media.data() + media.size() - 48000 * 2, 48000 * 2);
    std::copy(samples.begin(), samples.begin() + SxFrameLength, samples.begin() + 48000);
    std::vector<std::vector<float>> buses(kBuses, std::vector<float>(2 * SxFrameLength));
    std::vector<float> master(2 * SxFrameLength);
    std::vector<int16_t> out(2 * SxFrameLength);
    const float pan = 0.7071f / 32768.0f, busGain = std::pow(10.0f, (kEffectDb + kBusDb) / 20.0f);
    size_t position = 0;
    for (auto _ : state) {
        for (auto& bus : buses) std::fill(bus.begin(), bus.end(), 0.0f);
        for (uint32_t v = 0; v < kVoices; ++v) {
            float* bus = buses[v % kBuses].data();
            const int16_t* in = samples.data() + position;
            for (uint32_t i = 0; i < SxFrameLength; ++i) {
                const float s = in[i] * pan;
                bus[2 * i] += s;
                bus[2 * i + 1] += s;
            }
        }
        std::fill(master.begin(), master.end(), 0.0f);
        for (auto& bus : buses)
            for (size_t i = 0; i < bus.size(); ++i) master[i] += bus[i] * busGain;
        for (size_t i = 0; i < master.size(); ++i)
            out[i] = static_cast<int16_t>(std::clamp(master[i], -1.0f, 1.0f) * 32767.0f);
        position = (position + SxFrameLength) % 48000;
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["voices_per_core"] =
        benchmark::Counter(kVoices * kFrameSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Plain64VoicesOver8Buses);

}  // namespace
