#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "StudioTestSupport.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/studio/CStudioDeviceSimFX.h"
#include "sound/plugins/studio/StudioPlugins.h"
#include "tests/sound/plugins/SxFxProbes.h"

using namespace SX;
using studiotest::BlockWriter;
using studiotest::CountingAllocator;
using studiotest::PlanarBuffer;

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<float> Sine(double f, float amplitude, size_t frames, double rate = 48000) {
    std::vector<float> s(frames);
    for (size_t i = 0; i < frames; ++i) s[i] = amplitude * float(std::sin(2 * kPi * f * i / rate));
    return s;
}

double Amplitude(const std::vector<float>& s, size_t from) {
    double sum = 0;
    for (size_t i = from; i < s.size(); ++i) sum += double(s[i]) * s[i];
    return std::sqrt(2 * sum / double(s.size() - from));
}

// One DeviceSim with its parameter object on a planar buffer of 1024 frames.
class DeviceSimRig {
public:
    explicit DeviceSimRig(uint32_t mask = SxChannelMaskStereo, uint32_t rate = 48000, bool initNow = true)
        : mask(mask), rate(rate) {
        params = static_cast<CStudioDeviceSimFXParams*>(CreateStudioDeviceSimFXParams(&allocator));
        params->Init(&allocator, nullptr, 0);
        fx = static_cast<CStudioDeviceSimFX*>(CreateStudioDeviceSimFX(&allocator));
        if (initNow) Init();
    }
    ~DeviceSimRig() {
        fx->Term(&allocator);
        params->Term(&allocator);
        EXPECT_EQ(allocator.live, 0) << "everything given back";
    }
    SXRESULT Init() {
        SxAudioFormat format = SxFloatFormat(rate, mask);
        return fx->Init(&allocator, nullptr, params, format);
    }
    void Set(int16_t id, float value) { ASSERT_EQ(params->SetParam(id, &value, 4), SX_Success) << id; }
    void SetU32(int16_t id, uint32_t value) { ASSERT_EQ(params->SetParam(id, &value, 4), SX_Success) << id; }
    void Switch(int16_t id, bool on) {
        const uint8_t value = on ? 1 : 0;
        ASSERT_EQ(params->SetParam(id, &value, 1), SX_Success) << id;
    }
    // Every channel gets the same signal; returns channel 0 (and checks the others match it).
    std::vector<float> Run(const std::vector<float>& in, uint16_t frames = 1024) {
        std::vector<float> out(in.size());
        const uint32_t channels = SxChannelCount(mask);
        for (size_t at = 0; at < in.size(); at += frames) {
            const uint16_t n = uint16_t(std::min<size_t>(frames, in.size() - at));
            PlanarBuffer b(mask, 1024);
            b.buffer.validFrames = n;
            for (uint32_t c = 0; c < channels; ++c) std::copy_n(in.begin() + at, n, b.Channel(c));
            fx->Execute(&b.buffer);
            EXPECT_EQ(b.buffer.validFrames, n) << "no tail";
            EXPECT_EQ(b.buffer.state, uint32_t(SX_DataReady));
            std::copy_n(b.Channel(0), n, out.begin() + at);
        }
        return out;
    }

    CountingAllocator allocator;
    uint32_t mask, rate;
    CStudioDeviceSimFXParams* params = nullptr;
    CStudioDeviceSimFX* fx = nullptr;
};

TEST(StudioDeviceSimTest, EveryStageIsOffByDefault) {
    CStudioDeviceSimFXParams params;
    std::memset(static_cast<void*>(&params.values), 0xAB, sizeof params.values);
    EXPECT_EQ(params.Init(nullptr, nullptr, 0), SX_Success);
    const StudioDeviceSimFXParams& v = params.values;
    EXPECT_EQ(v.filter.on + v.distortion.on + v.eq.on + v.noise.on + v.model.on + v.gate.on + v.lofi.on, 0);
    EXPECT_EQ(v.filter.changed + v.distortion.changed + v.eq.changed + v.noise.changed + v.model.changed +
                  v.gate.changed + v.lofi.changed + v.gainChanged,
              8);
    EXPECT_EQ(v.filter.lowPassFreq, 18000.0f);
    EXPECT_EQ(v.eq.type, 1u);
    EXPECT_EQ(v.noise.duckLevel, -20.0f);
    EXPECT_EQ(v.model.freqScale, 100.0f);
    EXPECT_EQ(v.gate.release, 100.0f);
    EXPECT_EQ(v.inputGain, 1.0f);
    EXPECT_EQ(v.mix, 100.0f);

    DeviceSimRig rig;
    for (uint32_t s = 0; s < DeviceSimStage_Count; ++s)
        EXPECT_FALSE(qvtest::DeviceSimProbe::StageHasMemory(*rig.fx, DeviceSimStageIndex(s)))
            << "no memory for a stage that is off";
}

TEST(StudioDeviceSimTest, WithEveryStageOffTheOutputIsTheInputTimesTheInputGain) {
    DeviceSimRig rig;
    rig.Set(DeviceSim_InputGain, -6.0f);
    const auto in = Sine(440, 0.5f, 3000);
    rig.Run(in);  // the first call ramps from 0 dB
    const auto out = rig.Run(in);
    const float gain = std::pow(10.0f, -6.0f / 20.0f);
    for (size_t i = 0; i < in.size(); ++i) ASSERT_NEAR(out[i], in[i] * gain, 1e-6f) << i;
}

TEST(StudioDeviceSimTest, MixZeroLeavesOnlyTheDryPathWhateverTheStagesDo) {
    DeviceSimRig rig(SxChannelMaskStereo, 48000, false);
    rig.Switch(DeviceSim_DistortionOn, true);
    rig.Set(DeviceSim_DistortionDrive, 100);
    rig.Switch(DeviceSim_ModelOn, true);
    rig.Set(DeviceSim_Mix, 0);
    rig.Set(DeviceSim_InputGain, 6.0f);
    ASSERT_EQ(rig.Init(), SX_Success);
    const auto in = Sine(1000, 0.3f, 4096);
    const auto out = rig.Run(in);
    const float gain = std::pow(10.0f, 6.0f / 20.0f);
    for (size_t i = 0; i < in.size(); ++i) ASSERT_NEAR(out[i], in[i] * gain, 1e-5f) << i;
}

TEST(StudioDeviceSimTest, OutputGainChangesRampOverTheNextBufferFromTheOldValue) {
    DeviceSimRig rig;
    std::vector<float> ones(1024, 1.0f);
    rig.Run(ones);
    rig.Set(DeviceSim_OutputGain, -6.0f);
    const auto out = rig.Run(ones);
    const float target = std::pow(10.0f, -6.0f / 20.0f);
    EXPECT_EQ(out[0], 1.0f) << "starts exactly at the old gain";
    EXPECT_NEAR(out[512], 1.0f + 0.5f * (target - 1.0f), 1e-5f);
    EXPECT_NEAR(out[1023], 1.0f + 1023.0f / 1024.0f * (target - 1.0f), 1e-5f);
    EXPECT_NEAR(rig.Run(ones)[0], target, 1e-6f) << "reached at the next buffer";
}

TEST(StudioDeviceSimTest, ABufferWithoutFramesKeepsTheChangeForTheNextOne) {
    DeviceSimRig rig;
    rig.Set(DeviceSim_OutputGain, -12.0f);
    PlanarBuffer empty(SxChannelMaskStereo, 1024);
    empty.buffer.validFrames = 0;
    rig.fx->Execute(&empty.buffer);
    EXPECT_EQ(rig.params->values.gainChanged, 1);
    rig.Switch(DeviceSim_FilterOn, true);
    rig.fx->Execute(&empty.buffer);
    EXPECT_FALSE(qvtest::DeviceSimProbe::StageHasMemory(*rig.fx, DeviceSimStage_Filter))
        << "nothing happens without frames";
    rig.Run(std::vector<float>(1024, 0.1f));
    EXPECT_EQ(rig.params->values.gainChanged, 0);
    EXPECT_TRUE(qvtest::DeviceSimProbe::StageHasMemory(*rig.fx, DeviceSimStage_Filter));
}

TEST(StudioDeviceSimTest, StagesSwitchedOnAfterStartUpGetTheirMemoryAndRun) {
    struct Case {
        int16_t switchID;
        DeviceSimStageIndex stage;
    };
    const Case cases[] = {
        {DeviceSim_FilterOn, DeviceSimStage_Filter}, {DeviceSim_DistortionOn, DeviceSimStage_Distortion},
        {DeviceSim_EQOn, DeviceSimStage_EQ},         {DeviceSim_NoiseOn, DeviceSimStage_Noise},
        {DeviceSim_ModelOn, DeviceSimStage_Model},   {DeviceSim_GateOn, DeviceSimStage_Gate},
        {DeviceSim_LoFiOn, DeviceSimStage_LoFi},
    };
    for (const Case& k : cases) {
        DeviceSimRig rig;
        const auto in = Sine(5000, 0.5f, 4096);
        EXPECT_EQ(rig.Run(in), in) << "all off: unchanged";
        rig.Set(DeviceSim_LowPassFreq, 500);
        rig.Set(DeviceSim_EQGain, -24);
        rig.Set(DeviceSim_EQFreq, 5000);
        rig.Set(DeviceSim_NoiseLevel, 0);
        rig.Set(DeviceSim_GateThreshold, 0);
        rig.Set(DeviceSim_GateFloor, -40);
        rig.Set(DeviceSim_LoFiBandLimit, 100);
        rig.SetU32(DeviceSim_ModelIndex, 59);
        rig.Set(DeviceSim_DistortionDrive, 100);
        rig.Switch(k.switchID, true);
        const auto out = rig.Run(in);
        EXPECT_TRUE(qvtest::DeviceSimProbe::StageHasMemory(*rig.fx, k.stage)) << k.switchID;
        double difference = 0;
        for (size_t i = 2048; i < in.size(); ++i) difference = std::max(difference, double(std::fabs(out[i] - in[i])));
        EXPECT_GT(difference, 0.05) << "stage " << k.switchID << " changes the sound";
        for (float s : out) ASSERT_TRUE(std::isfinite(s)) << k.switchID;
    }
}

TEST(StudioDeviceSimTest, AStageWhoseMemoryIsRefusedStaysOutUntilItCanHaveIt) {
    DeviceSimRig rig;
    rig.Set(DeviceSim_LowPassFreq, 500);
    rig.Switch(DeviceSim_FilterOn, true);
    const auto in = Sine(5000, 0.5f, 1024);
    // The stage's block is the first request of the call; the scratch buffer is the second.
    rig.allocator.failAfter = rig.allocator.calls;
    PlanarBuffer b(SxChannelMaskStereo, 1024);
    std::copy(in.begin(), in.end(), b.Channel(0));
    rig.fx->Execute(&b.buffer);
    EXPECT_FALSE(qvtest::DeviceSimProbe::StageHasMemory(*rig.fx, DeviceSimStage_Filter));
    EXPECT_TRUE(std::equal(in.begin(), in.end(), b.Channel(0))) << "without scratch the buffer passes unchanged";
    rig.allocator.failAfter = -1;
    rig.allocator.failOnly = rig.allocator.calls + 1;
    const auto without = rig.Run(in);
    EXPECT_FALSE(qvtest::DeviceSimProbe::StageHasMemory(*rig.fx, DeviceSimStage_Filter));
    EXPECT_EQ(without, in) << "the stage stays out, the rest of the chain runs";
    const auto out = rig.Run(Sine(5000, 0.5f, 8192));
    EXPECT_TRUE(qvtest::DeviceSimProbe::StageHasMemory(*rig.fx, DeviceSimStage_Filter));
    EXPECT_LT(Amplitude(out, 4096), 0.05) << "the low-pass runs once it has its memory";
}

TEST(StudioDeviceSimTest, InitRefusesWhenAStageCannotHaveItsMemoryAndTermFreesWhatWasTaken) {
    for (int failAfter = 0; failAfter < 4; ++failAfter) {
        DeviceSimRig rig(SxChannelMask51, 48000, false);
        rig.Switch(DeviceSim_FilterOn, true);
        rig.Switch(DeviceSim_NoiseOn, true);
        rig.Switch(DeviceSim_GateOn, true);
        rig.Switch(DeviceSim_LoFiOn, true);
        rig.allocator.failAfter = rig.allocator.calls + failAfter;
        EXPECT_EQ(rig.Init(), SX_InsufficientMemory) << failAfter;
        rig.allocator.failAfter = -1;
    }
}

TEST(StudioDeviceSimTest, EveryModelIndexGivesAFiniteBoundedSound) {
    DeviceSimRig rig(SxChannelMaskStereo, 48000, false);
    rig.Switch(DeviceSim_ModelOn, true);
    ASSERT_EQ(rig.Init(), SX_Success);
    const auto in = Sine(1000, 0.5f, 2048);
    std::vector<float> last;
    for (uint32_t model = 0; model <= kDeviceSimModelCount + 1; ++model) {
        rig.SetU32(DeviceSim_ModelIndex, model);
        rig.fx->Reset();
        const auto out = rig.Run(in);
        for (float s : out) ASSERT_TRUE(std::isfinite(s) && std::fabs(s) < 8.0f) << "model " << model;
        if (model == kDeviceSimModelCount - 1) last = out;
        if (model >= kDeviceSimModelCount) {
            EXPECT_EQ(out, last) << "an index past the end is the last model";
        }
    }
    rig.SetU32(DeviceSim_ModelIndex, 0xFFFFFFFFu);
    rig.fx->Reset();
    EXPECT_EQ(rig.Run(in), last);
}

TEST(StudioDeviceSimTest, OutOfRangeParametersKeepTheSoundFinite) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const int16_t ids[] = {DeviceSim_LowPassFreq,
                           DeviceSim_LowPassResonance,
                           DeviceSim_HighPassFreq,
                           DeviceSim_HighPassResonance,
                           DeviceSim_DistortionDrive,
                           DeviceSim_DistortionDetector,
                           DeviceSim_DistortionAsymmetry,
                           DeviceSim_EQFreq,
                           DeviceSim_EQResonance,
                           DeviceSim_EQGain,
                           DeviceSim_NoiseLevel,
                           DeviceSim_NoiseLowPassFreq,
                           DeviceSim_NoiseHighPassFreq,
                           DeviceSim_NoiseDuckThreshold,
                           DeviceSim_NoiseDuckLevel,
                           DeviceSim_NoiseRecoveryTime,
                           DeviceSim_ModelFreqScale,
                           DeviceSim_GateThreshold,
                           DeviceSim_GateFloor,
                           DeviceSim_GateAttack,
                           DeviceSim_GateHold,
                           DeviceSim_GateRelease,
                           DeviceSim_LoFiBitsIndex,
                           DeviceSim_LoFiHold,
                           DeviceSim_LoFiBandLimit,
                           DeviceSim_InputGain,
                           DeviceSim_OutputGain,
                           DeviceSim_Mix};
    const float wild[] = {nan, inf, -inf, 1e30f, -1e30f, -5.0f, 1000.0f};
    for (int16_t id : ids) {
        DeviceSimRig rig(SxChannelMaskStereo, 48000, false);
        for (int16_t on : {DeviceSim_FilterOn, DeviceSim_DistortionOn, DeviceSim_EQOn, DeviceSim_NoiseOn,
                           DeviceSim_ModelOn, DeviceSim_GateOn, DeviceSim_LoFiOn})
            rig.Switch(on, true);
        ASSERT_EQ(rig.Init(), SX_Success);
        for (float value : wild) {
            rig.Set(id, value);
            const auto out = rig.Run(Sine(700, 0.5f, 1500));
            for (float s : out) ASSERT_TRUE(std::isfinite(s)) << "parameter " << id << " = " << value;
        }
    }
}

TEST(StudioDeviceSimTest, SetParamReadsEachFieldInItsOwnType) {
    CStudioDeviceSimFXParams params;
    params.Init(nullptr, nullptr, 0);
    params.ClearAllChanged();
    const uint32_t slope = 1, model = 77;
    const uint8_t on = 5;
    const float bits = 7.9f, hold = -3.7f, gainDb = -6.0f, freq = 1234.5f;
    EXPECT_EQ(params.SetParam(DeviceSim_LowPassSlope, &slope, 4), SX_Success);
    EXPECT_EQ(params.SetParam(DeviceSim_GateOn, &on, 1), SX_Success);
    EXPECT_EQ(params.SetParam(DeviceSim_ModelIndex, &model, 4), SX_Success);
    EXPECT_EQ(params.SetParam(DeviceSim_LoFiBitsIndex, &bits, 4), SX_Success);
    EXPECT_EQ(params.SetParam(DeviceSim_LoFiHold, &hold, 4), SX_Success);
    EXPECT_EQ(params.SetParam(DeviceSim_InputGain, &gainDb, 4), SX_Success);
    EXPECT_EQ(params.SetParam(DeviceSim_EQFreq, &freq, 4), SX_Success);
    const StudioDeviceSimFXParams& v = params.values;
    EXPECT_EQ(v.filter.lowPassSlope, 1u);
    EXPECT_EQ(v.gate.on, 1) << "any non-zero byte is on";
    EXPECT_EQ(v.model.index, 77u);
    EXPECT_EQ(v.lofi.bitsIndex, 7);
    EXPECT_EQ(v.lofi.hold, -3);
    EXPECT_NEAR(v.inputGain, 0.501187f, 1e-6f);
    EXPECT_EQ(v.eq.freq, 1234.5f);
    EXPECT_EQ(v.filter.changed + v.gate.changed + v.model.changed + v.lofi.changed + v.gainChanged + v.eq.changed, 6);
    EXPECT_EQ(v.distortion.changed + v.noise.changed, 0) << "only the groups touched";
}

TEST(StudioDeviceSimTest, GameParametersReachEveryFieldAsANumber) {
    CStudioDeviceSimFXParams params;
    params.Init(nullptr, nullptr, 0);
    ISxPluginParam& subscriber = params;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    subscriber.SetRTPCValue(DeviceSim_ModelOn, 1.0f, nullptr);
    subscriber.SetRTPCValue(DeviceSim_GateOn, 0.0f, nullptr);
    subscriber.SetRTPCValue(DeviceSim_NoiseOn, nan, nullptr);
    subscriber.SetRTPCValue(DeviceSim_ModelIndex, 42.7f, nullptr);
    subscriber.SetRTPCValue(DeviceSim_DistortionType, -3.0f, nullptr);
    subscriber.SetRTPCValue(DeviceSim_LowPassSlope, 1e20f, nullptr);
    subscriber.SetRTPCValue(DeviceSim_EQFreq, 2500.0f, nullptr);
    subscriber.SetRTPCValue(DeviceSim_OutputGain, -6.0f, nullptr);
    const StudioDeviceSimFXParams& v = params.values;
    EXPECT_EQ(v.model.on, 1);
    EXPECT_EQ(v.gate.on, 0);
    EXPECT_EQ(v.noise.on, 0);
    EXPECT_EQ(v.model.index, 42u);
    EXPECT_EQ(v.distortion.type, 0u);
    EXPECT_EQ(v.filter.lowPassSlope, 4294967040u);
    EXPECT_EQ(v.eq.freq, 2500.0f);
    EXPECT_NEAR(v.outputGain, 0.501187f, 1e-6f);
}

TEST(StudioDeviceSimTest, SetParamRefusesUnknownIDsNullValuesAndShortValues) {
    CStudioDeviceSimFXParams params;
    params.Init(nullptr, nullptr, 0);
    params.ClearAllChanged();
    const StudioDeviceSimFXParams before = params.values;
    const float value = 3.0f;
    const uint8_t byte = 1;
    for (int16_t id : {5, 16, 43, 57, 65, 77, -1, 1000})
        EXPECT_EQ(params.SetParam(id, &value, 4), SX_InvalidParameter) << id;
    EXPECT_EQ(params.SetParam(DeviceSim_EQGain, nullptr, 4), SX_InvalidParameter);
    EXPECT_EQ(params.SetParam(DeviceSim_EQGain, &byte, 1), SX_InvalidParameter) << "one byte is not a number";
    EXPECT_EQ(params.SetParam(DeviceSim_EQOn, &byte, 0), SX_InvalidParameter);
    EXPECT_EQ(std::memcmp(&before, &params.values, sizeof before), 0) << "nothing changed";
}

BlockWriter FullBlock() {
    BlockWriter w;
    w.Put(uint8_t(1)).Put(uint32_t(1)).Put(5000.0f).Put(20.0f).Put(uint32_t(0)).Put(80.0f).Put(10.0f);  // filters
    w.Put(uint8_t(0)).Put(uint32_t(3)).Put(40.0f).Put(30.0f).Put(20.0f);                                // distortion
    w.Put(uint8_t(1)).Put(uint32_t(2)).Put(3000.0f).Put(50.0f).Put(6.0f);                               // EQ
    w.Put(uint8_t(2)).Put(-30.0f).Put(8000.0f).Put(100.0f).Put(-10.0f).Put(-30.0f).Put(50.0f);          // noise
    w.Put(uint8_t(1)).Put(uint32_t(21)).Put(80.0f);                                                     // model
    w.Put(uint8_t(0)).Put(-50.0f).Put(-10.0f).Put(2.0f).Put(20.0f).Put(200.0f);                         // gate
    w.Put(uint8_t(1)).Put(int32_t(9)).Put(int32_t(2)).Put(25.0f);                                       // lo-fi
    w.Put(-6.0f).Put(6.0f).Put(75.0f);                                                                  // gains
    return w;
}

TEST(StudioDeviceSimTest, BlocksLoadEveryFieldInOrder) {
    const BlockWriter block = FullBlock();
    ASSERT_EQ(block.Size(), kStudioDeviceSimBlockSize);
    CStudioDeviceSimFXParams params;
    ASSERT_EQ(params.Init(nullptr, block.Data(), block.Size()), SX_Success);
    const StudioDeviceSimFXParams& v = params.values;
    EXPECT_EQ(v.filter.on, 1);
    EXPECT_EQ(v.filter.lowPassSlope, 1u);
    EXPECT_EQ(v.filter.lowPassFreq, 5000.0f);
    EXPECT_EQ(v.filter.highPassResonance, 10.0f);
    EXPECT_EQ(v.distortion.on, 0);
    EXPECT_EQ(v.distortion.type, 3u);
    EXPECT_EQ(v.distortion.asymmetry, 20.0f);
    EXPECT_EQ(v.eq.type, 2u);
    EXPECT_EQ(v.eq.gain, 6.0f);
    EXPECT_EQ(v.noise.on, 1) << "stored as 0 or 1";
    EXPECT_EQ(v.noise.level, -30.0f);
    EXPECT_EQ(v.noise.recoveryTime, 50.0f);
    EXPECT_EQ(v.model.index, 21u);
    EXPECT_EQ(v.model.freqScale, 80.0f);
    EXPECT_EQ(v.gate.threshold, -50.0f);
    EXPECT_EQ(v.gate.release, 200.0f);
    EXPECT_EQ(v.lofi.bitsIndex, 9);
    EXPECT_EQ(v.lofi.hold, 2);
    EXPECT_EQ(v.lofi.bandLimit, 25.0f);
    EXPECT_NEAR(v.inputGain, 0.501187f, 1e-6f);
    EXPECT_NEAR(v.outputGain, 1.995262f, 1e-5f);
    EXPECT_EQ(v.mix, 75.0f);
    EXPECT_EQ(v.gate.changed + v.lofi.changed + v.gainChanged, 3) << "every flag set";
}

TEST(StudioDeviceSimTest, MalformedBlocksAreRefusedAndKeepTheDefaults) {
    const BlockWriter block = FullBlock();
    for (uint32_t size : {1u, 42u, 138u, 140u, 400u}) {
        std::vector<uint8_t> bytes(block.bytes);
        bytes.resize(size, 0x7F);
        CStudioDeviceSimFXParams params;
        EXPECT_EQ(params.Init(nullptr, bytes.data(), size), SX_InvalidParameter) << size;
        EXPECT_EQ(params.values.filter.on, 0) << size;
        EXPECT_EQ(params.values.filter.lowPassFreq, 18000.0f) << size;
        EXPECT_EQ(params.values.mix, 100.0f) << size;
        EXPECT_EQ(params.values.inputGain, 1.0f) << size;
    }
    CStudioDeviceSimFXParams params;
    EXPECT_EQ(params.SetParamsBlock(nullptr, kStudioDeviceSimBlockSize), SX_InvalidParameter);
}

TEST(StudioDeviceSimTest, CloneCopiesValuesWithEveryStageMarkedChanged) {
    CountingAllocator allocator;
    CStudioDeviceSimFXParams params;
    const BlockWriter block = FullBlock();
    params.Init(&allocator, block.Data(), block.Size());
    params.ClearAllChanged();
    auto* copy = static_cast<CStudioDeviceSimFXParams*>(params.Clone(&allocator));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->values.model.index, 21u);
    EXPECT_EQ(copy->values.noise.changed + copy->values.model.changed + copy->values.filter.changed, 3);
    copy->Term(&allocator);
    allocator.failAfter = allocator.calls;
    EXPECT_EQ(params.Clone(&allocator), nullptr);
    EXPECT_EQ(allocator.live, 0);
}

TEST(StudioDeviceSimTest, InstancesAtDifferentRatesDoNotDisturbEachOther) {
    auto configure = [](DeviceSimRig& rig) {
        rig.Switch(DeviceSim_FilterOn, true);
        rig.Switch(DeviceSim_ModelOn, true);
        rig.Set(DeviceSim_LowPassFreq, 2000);
        ASSERT_EQ(rig.Init(), SX_Success);
    };
    DeviceSimRig alone(SxChannelMaskStereo, 48000, false), a(SxChannelMaskStereo, 48000, false),
        b(SxChannelMaskStereo, 24000, false);
    configure(alone);
    configure(a);
    configure(b);
    const auto in = Sine(3000, 0.4f, 1024);
    std::vector<float> expected, got;
    for (int call = 0; call < 4; ++call) {
        expected = alone.Run(in);
        got = a.Run(in);
        b.Set(DeviceSim_LowPassFreq, 1500.0f + call);  // b designs again at its own rate between a's calls
        b.Run(in);
        ASSERT_EQ(got, expected) << call;
    }
}

TEST(StudioDeviceSimTest, ResetClearsHistoriesSoThatABadInputDoesNotStay) {
    DeviceSimRig rig(SxChannelMaskStereo, 48000, false);
    rig.Switch(DeviceSim_FilterOn, true);
    rig.Switch(DeviceSim_ModelOn, true);
    ASSERT_EQ(rig.Init(), SX_Success);
    rig.Run(std::vector<float>(64, std::numeric_limits<float>::infinity()));
    rig.fx->Reset();
    const auto out = rig.Run(Sine(1000, 0.5f, 2048));
    for (float s : out) ASSERT_TRUE(std::isfinite(s));
    EXPECT_GT(Amplitude(out, 1024), 0.05);
}

TEST(StudioDeviceSimTest, ExtraChannelsBeyondTheInitLayoutPassTheStagesBy) {
    DeviceSimRig rig(SxChannelMaskStereo, 48000, false);
    rig.Switch(DeviceSim_FilterOn, true);
    rig.Set(DeviceSim_LowPassFreq, 200);
    ASSERT_EQ(rig.Init(), SX_Success);
    PlanarBuffer b(SxChannelMask51, 1024);
    const auto in = Sine(5000, 0.5f, 1024);
    for (uint32_t c = 0; c < 6; ++c) std::copy(in.begin(), in.end(), b.Channel(c));
    rig.fx->Execute(&b.buffer);
    EXPECT_LT(std::fabs(b.Channel(1)[1000]), 0.05f) << "the two channels with records are filtered";
    EXPECT_EQ(b.Channel(5)[1000], in[1000]) << "the others have no records and pass";
}

TEST(StudioDeviceSimTest, RegistersUnderTheStudioCompany) {
    SxPluginTable::Clear();
    EXPECT_EQ(RegisterStudioPlugins(), SX_Success);
    EXPECT_EQ(RegisterStudioPlugins(), SX_Fail) << "a second registration keeps the first";
    CountingAllocator allocator;
    ISxPlugin* plugin = nullptr;
    ISxPluginParam* params = nullptr;
    const uint32_t key = SxPluginKey(SxPluginType_Effect, 256, 110);
    ASSERT_EQ(SxPluginTable::CreatePlugin(key, &allocator, plugin), SX_Success);
    ASSERT_EQ(SxPluginTable::CreateParam(key, &allocator, params), SX_Success);
    EXPECT_NE(dynamic_cast<CStudioDeviceSimFX*>(plugin), nullptr);
    EXPECT_NE(dynamic_cast<CStudioDeviceSimFXParams*>(params), nullptr);
    SxPluginInfo info;
    EXPECT_EQ(plugin->GetPluginInfo(info), SX_Success);
    EXPECT_EQ(info.type, uint32_t(SxPluginType_Effect));
    EXPECT_EQ(info.inPlace, 1);
    EXPECT_EQ(static_cast<ISxInPlaceEffectPlugin*>(static_cast<CStudioDeviceSimFX*>(plugin))->TimeSkip(100),
              SX_DataReady);
    plugin->Term(&allocator);
    params->Term(&allocator);
    EXPECT_EQ(allocator.live, 0);
    SxPluginTable::Clear();
}

}  // namespace
