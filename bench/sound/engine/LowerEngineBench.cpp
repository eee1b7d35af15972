// The speaker volumes of 1,000 positioned emitters beside a plain equal-power pan of the same
// emitters, and one frame of 32 buses with an insert effect each beside the bare mixing of the
// same buffers.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "sound/engine/bus/CSxMixBusNode.h"
#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/listener/SxSpeakerVolumes.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/lower/SxMixKernels.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "tests/sound/engine/SxTestPlugins.h"

using namespace SX;

namespace {

constexpr uint32_t kEmitters = 1000;
constexpr uint32_t kBuses = 32;

struct Memory {
    Memory() {
        SxMemoryMgrSettings settings;
        settings.maxPools = 8;
        MemoryMgr::Init(&settings);
        g_DefaultPoolId = MemoryMgr::CreatePool(nullptr, 16 << 20, 16, SxMemPool_Heap);
    }
    ~Memory() {
        MemoryMgr::Term();
        g_DefaultPoolId = SxInvalidPoolId;
    }
};

SxVector EmitterPosition(uint32_t i) {
    const float angle = static_cast<float>(i) * 0.37f;
    const float distance = 5.0f + static_cast<float>(i % 50);
    return {distance * std::cos(angle), static_cast<float>(i % 7) - 3.0f, distance * std::sin(angle)};
}

void BM_SpeakerVolumes1000Emitters(benchmark::State& state) {
    Memory memory;
    CSxLEngine::InitListeners();
    CSxConversionTable dry, spread;
    const SxCurvePoint dryPoints[] = {{0, 0, SxCurve_Linear}, {100, -40, SxCurve_Linear}};
    const SxCurvePoint spreadPoints[] = {{0, 100, SxCurve_Linear}, {50, 0, SxCurve_Linear}};
    dry.Set(dryPoints, 2, SxCurveScaling_None);
    spread.Set(spreadPoints, 2, SxCurveScaling_None);
    SxAttenuationParams attenuation;
    attenuation.dryVolume = &dry;
    attenuation.spread = &spread;
    std::vector<std::unique_ptr<CSxRegisteredObj>> objects;
    for (uint32_t i = 0; i < kEmitters; ++i) {
        objects.push_back(std::make_unique<CSxRegisteredObj>(i + 1));
        const SxSoundPosition position{EmitterPosition(i), {0, 0, 1}};
        objects.back()->SetPositions(&position, 1, 0, 0);
    }
    SxVoiceVolumeParams params;
    params.channelMask = static_cast<uint32_t>(state.range(0));
    params.positioned = true;
    params.positioningType = 3;
    params.attenuation = &attenuation;
    SxVoiceVolumes volumes;
    for (auto _ : state) {
        for (const auto& object : objects) {
            params.gameObject = object.get();
            SxComputeSpeakerVolumes(params, volumes);
            benchmark::DoNotOptimize(volumes.dry[0][0]);
        }
    }
    objects.clear();
    state.SetItemsProcessed(state.iterations() * kEmitters);
}
BENCHMARK(BM_SpeakerVolumes1000Emitters)->Arg(4)->Arg(3)->Arg(63);

// Anchor: distance, angle and an equal-power pair per emitter.
void BM_PlainPan1000Emitters(benchmark::State& state) {
    std::vector<SxVector> positions;
    for (uint32_t i = 0; i < kEmitters; ++i) positions.push_back(EmitterPosition(i));
    float out[2];
    for (auto _ : state) {
        for (const SxVector& p : positions) {
            const float distance = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
            const float angle = std::atan2(p.z, p.x);
            const float gain = std::pow(10.0f, -0.4f * distance / 20.0f);
            out[0] = gain * std::cos(angle * 0.5f);
            out[1] = gain * std::sin(angle * 0.5f);
            benchmark::DoNotOptimize(out);
        }
    }
    state.SetItemsProcessed(state.iterations() * kEmitters);
}
BENCHMARK(BM_PlainPan1000Emitters);

class BusChain : public ISxBusObject {
public:
    explicit BusChain(SxUniqueID id, ISxEffectObject* effect) : m_id(id), m_effect(effect) {}
    SxUniqueID BusID() const override { return m_id; }
    ISxBusObject* ParentBus() const override { return nullptr; }
    float VolumeDb() const override { return -3.0f; }
    float LfeDb() const override { return 0.0f; }
    uint32_t ChannelMask() const override { return 0; }
    bool FeedsEnvironmental() const override { return false; }
    bool HasEffects() const override { return true; }
    bool BypassAllFx() const override { return false; }
    SxFxSlotInfo GetFx(uint32_t slot) const override {
        SxFxSlotInfo info;
        if (slot == 0) info.effect = m_effect;
        return info;
    }
    void AddRef() override {}
    void Release() override {}
    SXRESULT IncrementActivityCount(uint32_t) override { return SX_Success; }
    void DecrementActivityCount(uint32_t) override {}

private:
    SxUniqueID m_id;
    ISxEffectObject* m_effect;
};

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
    float m_db = -1.0f;
};

void BM_Frame32BusesOneEffectEach(benchmark::State& state) {
    Memory memory;
    sxtest::RegisterTestPlugins();
    SxPlatformInitSettings settings;
    settings.channelMask = SxChannelMaskStereo;
    CSxLEngine::Init(settings);
    GainEffect effect;
    std::vector<std::unique_ptr<BusChain>> buses;
    std::vector<CSxMixBusNode*> nodes;
    for (uint32_t b = 0; b < kBuses; ++b) {
        buses.push_back(std::make_unique<BusChain>(100 + b, &effect));
        nodes.push_back(CSxLEngine::GetVPLMixBus(buses.back().get()));
        nodes.back()->Connect();
    }
    std::vector<float> voice(SxFrameLength, 0.01f);
    SxSpeakerGains gains;
    gains.current[0] = gains.current[1] = gains.previous[0] = gains.previous[1] = 0.7f;
    for (auto _ : state) {
        for (CSxMixBusNode* node : nodes) {
            SxAudioBuffer buffer{voice.data(), 4, SX_DataReady, SxFrameLength, SxFrameLength};
            node->MixVoice(buffer, &gains, 0);
        }
        CSxLEngine::Perform();
    }
    for (CSxMixBusNode* node : nodes) node->Release();
    CSxLEngine::Stop();
    CSxLEngine::Term();
    SxPluginTable::Clear();
    state.SetItemsProcessed(state.iterations() * kBuses);
}
BENCHMARK(BM_Frame32BusesOneEffectEach);

// Anchor: the same voices mixed into 32 stereo buffers, a gain over each, and each added to one sum.
void BM_Plain32StereoMixes(benchmark::State& state) {
    std::vector<float> voice(SxFrameLength, 0.01f), sum(2 * SxFrameLength);
    std::vector<std::vector<float>> buses(kBuses, std::vector<float>(2 * SxFrameLength));
    SxSpeakerGains gains;
    gains.current[0] = gains.current[1] = gains.previous[0] = gains.previous[1] = 0.7f;
    const float ones[2] = {0.7f, 0.7f};
    for (auto _ : state) {
        for (auto& bus : buses) {
            std::fill(bus.begin(), bus.end(), 0.0f);
            SxMixKernels::MixIntoStereo(voice.data(), bus.data(), SxFrameLength, gains, 0);
            for (float& s : bus) s *= 0.9f;
            SxMixKernels::MixNode(bus.data(), sum.data(), 2, SxFrameLength, ones, ones);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBuses);
}
BENCHMARK(BM_Plain32StereoMixes);

}  // namespace
