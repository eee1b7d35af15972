// Whole voices through the lower engine's frame: 64 looping sounds of 16-bit mono PCM rendered
// and mixed to stereo at 48 kHz, bare, with an insert effect each, and with two environment
// sends each, against the real-time budget of one 1024-frame audio frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/audio/AudioTestControl.h"
#include "platform/os/Clock.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/bus/ISxBusObject.h"
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

constexpr uint32_t kVoices = 64;
constexpr double kFrameSeconds = 1024 / 48000.0;
constexpr SxUniqueID kSound = 100, kEvent = 1000, kMedia = 77, kEffect = 500;
constexpr SxGameObjectID kObject = 5;

std::vector<uint8_t> g_media;

class GainEffect : public ISxEffectObject {
public:
    uint32_t FxID() const override { return sxtest::kGainKey; }
    const void* ParamsBlock(uint32_t& size) const override {
        size = sizeof m_db;
        return &m_db;
    }
    int32_t MediaID(uint32_t) const override { return -1; }
    void SubscribeRTPC(ISxPluginParam*, CSxRegisteredObj*) override {}

private:
    float m_db = -3.0f;
};
GainEffect g_effect;

// The master bus, feeding the environments.
class MasterBus : public ISxBusObject {
public:
    SxUniqueID BusID() const override { return 1; }
    ISxBusObject* ParentBus() const override { return nullptr; }
    float VolumeDb() const override { return 0.0f; }
    float LfeDb() const override { return 0.0f; }
    uint32_t ChannelMask() const override { return 0; }
    bool FeedsEnvironmental() const override { return true; }
    bool HasEffects() const override { return false; }
    bool BypassAllFx() const override { return false; }
    SxFxSlotInfo GetFx(uint32_t) const override { return {}; }
    void AddRef() override {}
    void Release() override {}
    SXRESULT IncrementActivityCount(uint32_t) override { return SX_Success; }
    void DecrementActivityCount(uint32_t) override {}
};
MasterBus g_master;

enum Variant { kBare = 0, kInsertEffect = 1, kSends = 2 };

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
        g_MediaLookupHooks.findMedia = [](SxUniqueID, const uint8_t*& data, uint32_t& size) {
            data = g_media.data();
            size = static_cast<uint32_t>(g_media.size());
            return true;
        };
        g_BusHooks.effectObject = [](SxUniqueID, bool) -> ISxEffectObject* { return &g_effect; };
        if (variant == kSends) g_BusHooks.masterBus = [] { return static_cast<ISxBusObject*>(&g_master); };

        bw::Source source;
        source.pluginID = 1 << 16 | 1;
        source.mediaID = kMedia;
        source.size = static_cast<uint32_t>(g_media.size());
        bw::NodeBase node;
        node.props = {bw::PropI(SxProp_LoopCount, 0)};
        node.overrideEffects = true;
        if (variant == kInsertEffect) node.effects = {{0, kEffect}};
        const bw::Bytes chunk = bw::HircChunk({
            bw::Record(SxHirc_Sound, bw::SoundBody(kSound, source, node)),
            bw::Record(SxHirc_Action, bw::ActionBody(kEvent + 1, 0x0403, kSound, {}, {}, bw::PlayParams(4, 0))),
            bw::Record(SxHirc_Event, bw::EventBody(kEvent, {kEvent + 1})),
        });
        SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), m_loaded);
        SoundEngine::RegisterGameObj(kObject);
        const SxEnvironmentValue sends[2] = {{900, 0.5f}, {901, 0.25f}};
        SoundEngine::SetGameObjectEnvironmentsValues(kObject, sends, 2);
        for (uint32_t v = 0; v < kVoices; ++v) SoundEngine::PostEvent(kEvent, kObject);
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
        g_BusHooks = SxBusHooks();
        g_MediaLookupHooks.findMedia = nullptr;
        platform::audio::control::Reset();
    }

private:
    platform::ManualClock m_clock;
    platform::ScopedClock m_scoped{m_clock};
    std::vector<CSxIndexable*> m_loaded;
};

void BM_VoiceFrame(benchmark::State& state) {
    Engine engine(static_cast<Variant>(state.range(0)));
    for (auto _ : state) {
        platform::Lock lock(g_csMain);
        CSxLEngine::Perform();
    }
    if (CSxVoiceMgr::Get()->VoiceCount() != kVoices) state.SkipWithError("the voices did not all play");
    state.counters["voices_per_core"] =
        benchmark::Counter(kVoices * kFrameSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VoiceFrame)->ArgName("bare0_effect1_sends2")->Arg(kBare)->Arg(kInsertEffect)->Arg(kSends);

}  // namespace
