// One frame of 64 looping voices over 8 mix buses with an insert effect each, posted as events
// and rendered by the lower engine (voices, bus nodes with their effects and levels, the
// master node and the output), beside the same mix done in a plain loop.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/audio/AudioTestControl.h"
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
#include "sound/engine/voice/CSxSrcBaseEx.h"
#include "sound/engine/voice/CSxVoiceMgr.h"
#include "tests/sound/engine/SxTestPlugins.h"
#include "tools/bankwriter/BankWriter.h"
#include "tools/mediawriter/MediaWriter.h"

namespace {

using namespace SX;
namespace bw = bankwriter;

constexpr uint32_t kVoices = 64, kBuses = 8;
constexpr SxUniqueID kMaster = 1, kFirstBus = 10, kFirstSound = 100, kFirstEvent = 1000, kMedia = 77, kEffect = 500;
constexpr SxGameObjectID kObject = 5;
constexpr float kEffectDb = -3.0f, kBusDb = -6.0f;

std::vector<uint8_t> g_media;

bw::Bytes DbBlock(float db) {
    bw::Bytes block(4);
    std::memcpy(block.data(), &db, 4);
    return block;
}

class Engine {
public:
    Engine() {
        platform::audio::control::SetOpenFails(true);
        SxMemoryMgrSettings memory;
        memory.maxPools = 8;
        MemoryMgr::Init(&memory);
        SoundEngine::Init(nullptr, nullptr);
        g_pAudioMgr->StopThread();
        sxtest::RegisterTestPlugins();
        g_media = QV::media::Build(QV::media::Sine(440.0, 0.5, 48000, 48000, 0x4), QV::media::Encoding::Pcm16);
        g_MediaLookupHooks.findMedia = [](SxUniqueID, const uint8_t*& data, uint32_t& size) {
            data = g_media.data();
            size = static_cast<uint32_t>(g_media.size());
            return true;
        };
        std::vector<bw::Bytes> records = {
            bw::Record(SxHirc_FxShareSet, bw::EffectBody(kEffect, {sxtest::kGainKey, DbBlock(kEffectDb), {}, {}})),
            bw::Record(SxHirc_Bus, bw::BusBody(kMaster, bw::Bus()))};
        bw::Source source;
        source.pluginID = 1 << 16 | 1;
        source.mediaID = kMedia;
        source.size = static_cast<uint32_t>(g_media.size());
        for (uint32_t b = 0; b < kBuses; ++b) {
            bw::Bus bus;
            bus.parentBusID = kMaster;
            bus.props = {bw::PropF(0, kBusDb)};
            bus.effects = {{0, kEffect, 1}};
            records.push_back(bw::Record(SxHirc_Bus, bw::BusBody(kFirstBus + b, bus)));
            bw::NodeBase node;
            node.busID = kFirstBus + b;
            node.props = {bw::PropI(SxProp_LoopCount, 0)};
            records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(kFirstSound + b, source, node)));
            records.push_back(bw::Record(
                SxHirc_Action, bw::ActionBody(kFirstEvent + 100 + b, 0x0403, kFirstSound + b, {}, {}, bw::PlayParams(4, 0))));
            records.push_back(bw::Record(SxHirc_Event, bw::EventBody(kFirstEvent + b, {kFirstEvent + 100 + b})));
        }
        const bw::Bytes chunk = bw::HircChunk(records);
        SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), m_loaded);
        SoundEngine::RegisterGameObj(kObject);
        for (uint32_t v = 0; v < kVoices; ++v) SoundEngine::PostEvent(kFirstEvent + v % kBuses, kObject);
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
        g_MediaLookupHooks.findMedia = nullptr;
        platform::audio::control::Reset();
    }

private:
    platform::ManualClock m_clock;
    platform::ScopedClock m_scoped{m_clock};
    std::vector<CSxIndexable*> m_loaded;
};

void BM_Frame64VoicesOver8MixBuses(benchmark::State& state) {
    Engine engine;
    for (auto _ : state) {
        platform::Lock lock(g_csMain);
        CSxLEngine::Perform();
    }
    if (CSxVoiceMgr::Get()->VoiceCount() != kVoices || CSxLEngine::BusNodeCount() != kBuses)
        state.SkipWithError("the voices did not all play through their buses");
    state.SetItemsProcessed(state.iterations() * kVoices);
}
BENCHMARK(BM_Frame64VoicesOver8MixBuses);

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
    const float pan = 0.7071f / 32768.0f, busGain = 0.7079f * 0.5012f;
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
    state.SetItemsProcessed(state.iterations() * kVoices);
}
BENCHMARK(BM_Plain64VoicesOver8Buses);

}  // namespace
