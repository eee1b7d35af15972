#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <vector>

#include "StudioTestSupport.h"
#include "sound/plugins/studio/DeviceSimStages.h"
#include "sound/plugins/studio/StudioFilterDesign.h"

using namespace SX;
using studiotest::CountingAllocator;

namespace {

constexpr double kPi = 3.14159265358979323846;

double Magnitude(const BiquadDesign& d, double f, double rate) {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * f / rate);
    return std::abs((d.b0 + d.b1 * z1 + d.b2 * z1 * z1) / (d.a0 + d.a1 * z1 + d.a2 * z1 * z1));
}

std::vector<float> Sine(double f, double rate, float amplitude, size_t frames) {
    std::vector<float> s(frames);
    for (size_t i = 0; i < frames; ++i) s[i] = amplitude * float(std::sin(2 * kPi * f * i / rate));
    return s;
}

// The amplitude of a sine from its power over whole cycles (sample peaks miss the crest).
double Amplitude(const std::vector<float>& s, size_t from) {
    double sum = 0;
    for (size_t i = from; i < s.size(); ++i) sum += double(s[i]) * s[i];
    return std::sqrt(2 * sum / double(s.size() - from));
}

float Peak(const std::vector<float>& s, size_t from) {
    float p = 0;
    for (size_t i = from; i < s.size(); ++i) p = std::max(p, std::fabs(s[i]));
    return p;
}

// One stage's records for a number of channels, with the contexts of one effect instance.
template <typename Stage>
class StageRig {
public:
    using Record = typename Stage::Record;
    explicit StageRig(uint32_t rate = 48000, uint32_t channels = 1) : rate(rate) {
        EXPECT_EQ(arena.Allocate(&allocator, DSPStageHeader::SizeFor<Record>(channels)), SX_Success);
        EXPECT_EQ(header.template Init<Record>(arena, channels, rate), SX_Success);
        design.Get(int32_t(rate));
        time.Get(int32_t(rate));
    }
    ~StageRig() { arena.Free(&allocator); }
    template <typename Params>
    void SetUp(const Params& p) {
        Stage::SetUp(DeviceSimSetUp{header, design, time}, p);
    }
    Record& At(uint32_t c = 0) { return *header.template RecordAt<Record>(c); }
    // Runs the signal through channel 0 in buffers of 1024 frames.
    std::vector<float> Run(std::vector<float> s) {
        for (size_t at = 0; at < s.size(); at += 1024)
            Stage::Process(&At(), s.data() + at, uint32_t(std::min<size_t>(1024, s.size() - at)));
        return s;
    }

    uint32_t rate;
    CountingAllocator allocator;
    DSPMemoryArena arena;
    DSPStageHeader header;
    StudioDesignContext design;
    StudioTimeContext time;
};

TEST(DeviceSimStagesTest, DampingFollowsTheResonance) {
    EXPECT_DOUBLE_EQ(DeviceSimDamping(0), 1.414);
    EXPECT_DOUBLE_EQ(DeviceSimDamping(25), 1.414 * (1 - 0.8 * 0.5));
    EXPECT_NEAR(DeviceSimDamping(100), 0.2828, 1e-12);
}

TEST(DeviceSimStagesTest, FilterStageCascadesItsSectionsAsDesigned) {
    struct Case {
        uint32_t lowSlope, highSlope;
        float lowFreq, highFreq, lowRes, highRes;
    };
    const Case cases[] = {
        {0, 0, 18000, 40, 0, 0}, {1, 0, 2000, 40, 0, 0}, {0, 1, 18000, 500, 0, 0}, {1, 1, 4000, 200, 50, 80}};
    for (const Case& k : cases) {
        StageRig<DeviceSimFilterStage> rig;
        DeviceSimFilterParams p;
        p.lowPassSlope = k.lowSlope;
        p.highPassSlope = k.highSlope;
        p.lowPassFreq = k.lowFreq;
        p.highPassFreq = k.highFreq;
        p.lowPassResonance = k.lowRes;
        p.highPassResonance = k.highRes;
        rig.SetUp(p);
        const BiquadDesign hp = DesignHighPass2(rig.design, k.highFreq, DeviceSimDamping(k.highRes));
        const BiquadDesign lp = DesignLowPass2(rig.design, k.lowFreq, DeviceSimDamping(k.lowRes));
        EXPECT_EQ(rig.At().sections[1].b0, k.highSlope == 1 ? float(hp.b0) : 1.0f);
        EXPECT_EQ(rig.At().sections[3].a1, k.lowSlope == 1 ? float(lp.a1) : 0.0f);
        for (double f : {100.0, 1000.0, 3000.0, 9000.0}) {
            const double one = Magnitude(hp, f, 48000) * Magnitude(lp, f, 48000);
            const double expected = one * (k.highSlope == 1 ? Magnitude(hp, f, 48000) : 1) *
                                    (k.lowSlope == 1 ? Magnitude(lp, f, 48000) : 1);
            StageRig<DeviceSimFilterStage> run;
            run.SetUp(p);
            const auto out = run.Run(Sine(f, 48000, 0.5f, 24000));
            EXPECT_NEAR(Amplitude(out, 12000), 0.5 * expected, 0.005 * 0.5 * expected + 1e-5)
                << f << " Hz, case " << k.lowFreq;
        }
    }
}

TEST(DeviceSimStagesTest, SetUpChangesCoefficientsButKeepsTheHistory) {
    StageRig<DeviceSimFilterStage> rig;
    DeviceSimFilterParams p;
    rig.SetUp(p);
    rig.Run(Sine(500, 48000, 0.5f, 100));
    const BiquadState before = rig.At().states[0];
    p.lowPassFreq = 1000;
    rig.SetUp(p);
    EXPECT_EQ(std::memcmp(&before, &rig.At().states[0], sizeof before), 0);
}

TEST(DeviceSimStagesTest, DistortionWithoutDriveOnlyClipsAndRemovesDC) {
    StageRig<DeviceSimDistortionStage> rig;
    DeviceSimDistortionParams p;
    rig.SetUp(p);
    EXPECT_FLOAT_EQ(rig.At().makeup, 1.0f);
    for (int i = 0; i < 256; ++i) ASSERT_FLOAT_EQ(rig.At().table[i], 1.0f);
    const auto quiet = rig.Run(Sine(1000, 48000, 0.5f, 24000));
    EXPECT_NEAR(rig.At().gain, 1.0f, 1e-4f) << "the gain state settles at one";
    EXPECT_NEAR(Peak(quiet, 12000), 0.5f, 0.005f);
    const auto loud = rig.Run(Sine(1000, 48000, 3.0f, 24000));
    EXPECT_LE(Peak(loud, 12000), 1.05f) << "clipped to [-1, 1], then tilted a little by the 20 Hz high-pass";
    EXPECT_GT(Peak(loud, 12000), 0.95f);
    StageRig<DeviceSimDistortionStage> dc;
    dc.SetUp(p);
    const auto offset = dc.Run(std::vector<float>(96000, 0.3f));
    EXPECT_LT(std::fabs(offset.back()), 0.01f) << "a constant level dies away below 20 Hz";
}

TEST(DeviceSimStagesTest, DistortionAsymmetryLowersTheNegativeHalf) {
    const struct {
        float asymmetry;
        float peakToPeak;
    } cases[] = {{0, 0.8f}, {25, 0.7f}, {50, 0.6f}, {100, 0.4f}};
    for (const auto& k : cases) {
        StageRig<DeviceSimDistortionStage> rig;
        DeviceSimDistortionParams p;
        p.asymmetry = k.asymmetry;
        rig.SetUp(p);
        const auto out = rig.Run(Sine(1000, 48000, 0.4f, 24000));
        const auto [lo, hi] = std::minmax_element(out.begin() + 12000, out.end());
        EXPECT_NEAR(*hi - *lo, k.peakToPeak, 0.01f) << k.asymmetry;
    }
}

TEST(DeviceSimStagesTest, EveryDistortionTypeAndDriveStaysBounded) {
    for (uint32_t type = 0; type <= 12; ++type) {
        for (float drive : {0.0f, 30.0f, 100.0f, 250.0f, -40.0f, std::numeric_limits<float>::quiet_NaN()}) {
            StageRig<DeviceSimDistortionStage> rig;
            DeviceSimDistortionParams p;
            p.type = type;
            p.drive = drive;
            p.detector = 100;
            rig.SetUp(p);
            const auto out = rig.Run(Sine(3000, 48000, 2.0f, 4800));
            for (float s : out) ASSERT_TRUE(std::isfinite(s) && std::fabs(s) <= 1.2f) << type << " " << drive;
            EXPECT_GT(Peak(out, 2400), 0.1f) << type << " " << drive;
        }
    }
    StageRig<DeviceSimDistortionStage> nine, past;
    DeviceSimDistortionParams p;
    p.drive = 60;
    p.type = 9;
    nine.SetUp(p);
    p.type = 40;
    past.SetUp(p);
    EXPECT_EQ(past.At().rise, nine.At().rise) << "a type past the last is the last";
}

TEST(DeviceSimStagesTest, DistortionTimesFollowTheDriveForEachType) {
    // {type, drive %, rise ms, fall ms}: linear in the drive's square root.
    const struct {
        uint32_t type;
        float drive;
        double rise, fall;
    } cases[] = {{0, 0, 4.35, 0.85},
                 {0, 100, 12.15, 0.35},
                 {0, 25, 4.35 + 0.5 * 7.8, 0.85 - 0.5 * 0.5},
                 {4, 64, 8.25 - 0.8 * 7.9, 0.25},
                 {7, 36, 0.35 - 0.6 * 0.25, 0.6}};
    for (const auto& k : cases) {
        StageRig<DeviceSimDistortionStage> rig;
        DeviceSimDistortionParams p;
        p.type = k.type;
        p.drive = k.drive;
        rig.SetUp(p);
        EXPECT_NEAR(rig.At().rise, TimeToCoefficient(rig.time, k.rise), 1e-6) << k.type << " " << k.drive;
        EXPECT_NEAR(rig.At().fall, TimeToCoefficient(rig.time, k.fall), 1e-6) << k.type << " " << k.drive;
    }
}

TEST(DeviceSimStagesTest, EQStageRunsItsTypeOfSection) {
    const struct {
        uint32_t type;
        float freq, resonance, gain;
    } cases[] = {{0, 2000, 0, 0}, {1, 1000, 0, 12}, {1, 3000, 50, -9}, {2, 1500, 30, 0}, {5, 1000, 0, 12}};
    for (const auto& k : cases) {
        DeviceSimEQParams p;
        p.type = k.type;
        p.freq = k.freq;
        p.resonance = k.resonance;
        p.gain = k.gain;
        StudioDesignContext design;
        design.Get(48000);
        const double r = k.resonance / 100.0;
        const BiquadDesign expected = k.type == 0   ? DesignHighPass2(design, k.freq, DeviceSimDamping(k.resonance))
                                      : k.type == 1 ? DesignPeakWide(design, k.freq, 1 + 9 * r * r, k.gain)
                                      : k.type == 2 ? DesignLowPass2(design, k.freq, DeviceSimDamping(k.resonance))
                                                    : BiquadDesign::Unity();
        for (double f : {200.0, 1000.0, 4000.0}) {
            StageRig<DeviceSimEQStage> rig;
            rig.SetUp(p);
            const auto out = rig.Run(Sine(f, 48000, 0.25f, 24000));
            const double m = Magnitude(expected, f, 48000);
            EXPECT_NEAR(Amplitude(out, 12000), 0.25 * m, 0.005 * 0.25 * m + 1e-5) << "type " << k.type << " at " << f;
        }
    }
}

TEST(DeviceSimStagesTest, NoiseGeneratorIsItsLinearCongruentialSequence) {
    DeviceSimNoiseGenerator generator;
    float out[3];
    generator.Generate(out, 3);
    uint32_t s = 784329;
    for (float v : out) {
        s = s * 214013u + 2531011u;
        EXPECT_EQ(v, float(int32_t(s)) * 2.3283064365386963e-10f);
        EXPECT_GE(v, -0.5f);
        EXPECT_LT(v, 0.5f);
    }
}

TEST(DeviceSimStagesTest, NoiseBelowTheFloorIsExactlySilent) {
    StageRig<DeviceSimNoiseStage> rig;
    DeviceSimNoiseParams p;
    p.level = -150;
    rig.SetUp(p);
    EXPECT_EQ(rig.At().noiseGain, 0.0f);
    std::vector<float> noise(1000), in = Sine(440, 48000, 0.3f, 1000);
    DeviceSimNoiseGenerator().Generate(noise.data(), 1000);
    std::vector<float> out = in;
    DeviceSimNoiseStage::Process(&rig.At(), out.data(), noise.data(), 1000);
    EXPECT_EQ(out, in);
}

TEST(DeviceSimStagesTest, NoiseDucksUnderALoudInputAndRecovers) {
    StageRig<DeviceSimNoiseStage> rig;
    DeviceSimNoiseParams p;
    p.level = -20;
    p.duckThreshold = -20;  // 0.1
    p.duckLevel = -40;      // 0.01
    p.recoveryTime = 10;    // 480 samples
    rig.SetUp(p);
    std::vector<float> noise(48000);
    DeviceSimNoiseGenerator().Generate(noise.data(), 48000);
    auto run = [&](float level, size_t frames, size_t at) {
        std::vector<float> s(frames, level);
        DeviceSimNoiseStage::Process(&rig.At(), s.data(), noise.data() + at, uint32_t(frames));
        return s;
    };
    run(0.0f, 4800, 0);
    EXPECT_NEAR(rig.At().duckGain, 1.0f, 1e-3f) << "quiet input: the noise comes in at full level";
    run(0.5f, 96, 4800);
    EXPECT_NEAR(rig.At().duckGain, 0.01f + 0.99f * std::exp(-2.0f), 0.02f) << "down in about 1 ms";
    run(0.5f, 1000, 4896);
    EXPECT_NEAR(rig.At().duckGain, 0.01f, 1e-3f);
    run(0.0f, 46, 5896);
    EXPECT_NEAR(rig.At().duckGain, 0.01f, 1e-6f) << "held for 1 ms after the input falls";
    run(0.0f, 481, 5942);
    EXPECT_NEAR(rig.At().duckGain, 1.0f - 0.99f * std::exp(-1.0f), 0.02f) << "back with the recovery time";
    const auto out = run(0.0f, 4800, 6424);
    EXPECT_GT(Peak(out, 0), 0.005f) << "noise is heard";
    EXPECT_LT(Peak(out, 0), 0.1f);
}

TEST(DeviceSimStagesTest, ModelStageCascadesTheModelWithItsGain) {
    for (uint32_t model : {0u, 1u, 21u, 59u, 123u}) {
        DeviceSimModelParams p;
        p.index = model;
        StudioDesignContext design;
        design.Get(48000);
        BiquadDesign sections[kDeviceSimModelSections];
        DeviceSimModelTable(design, model, 1.0, sections);
        const double g = DeviceSimModelGain(model);
        const double wet = g < 0 ? std::pow(10, g / 20) : g;
        for (double f : {300.0, 1000.0, 2500.0}) {
            StageRig<DeviceSimModelStage> rig;
            rig.SetUp(p);
            EXPECT_FLOAT_EQ(rig.At().wet, float(wet));
            double expected = wet * 0.1;
            for (const BiquadDesign& s : sections) expected *= Magnitude(s, f, 48000);
            const auto out = rig.Run(Sine(f, 48000, 0.1f, 48000));
            EXPECT_NEAR(Amplitude(out, 24000), expected, 0.005 * expected + 1e-6) << "model " << model << " at " << f;
        }
    }
}

TEST(DeviceSimStagesTest, GateOpensOnSignalHoldsAndClosesToItsFloor) {
    StageRig<DeviceSimGateStage> rig;
    DeviceSimGateParams p;
    p.threshold = -40;  // 0.01
    p.floor = -60;      // 0.001
    p.attack = 1;       // 48 samples
    p.hold = 10;        // 480 samples
    p.release = 20;     // 960 samples
    rig.SetUp(p);
    auto run = [&](float level, size_t frames) { return rig.Run(std::vector<float>(frames, level)); };
    run(0.5f, 48);
    EXPECT_NEAR(rig.At().gain, 1 - std::exp(-1.0f), 0.01f) << "opens with the attack";
    run(0.5f, 2000);
    EXPECT_NEAR(rig.At().gain, 1.0f, 1e-3f);
    run(0.005f, 470);
    EXPECT_NEAR(rig.At().gain, 1.0f, 1e-3f) << "held open below the threshold";
    run(0.005f, 10 + 960);
    EXPECT_NEAR(rig.At().gain, 0.001f + 0.999f * std::exp(-1.0f), 0.01f) << "released toward the floor";
    const auto out = run(0.005f, 20000);
    EXPECT_NEAR(out.back(), 0.005f * 0.001f, 1e-6f);

    StageRig<DeviceSimGateStage> unity;
    DeviceSimGateParams open;
    unity.SetUp(open);
    unity.At().gain = 1.0f;
    const auto after = unity.Run(Sine(100, 48000, 0.001f, 4800));
    EXPECT_EQ(unity.At().gain, 1.0f) << "a floor of 0 dB never changes the level";
    EXPECT_EQ(after, Sine(100, 48000, 0.001f, 4800));
}

TEST(DeviceSimStagesTest, LoFiRoundsToItsBitDepthAndHoldsSamples) {
    // {bits index, quantisation step of the held sample}
    const struct {
        int32_t index;
        double step;
    } depths[] = {
        {0, 1.1920930e-7}, {9, 1.1920930e-7 * 65536}, {15, 1.1920930e-7 * 4194304}, {40, 1.1920930e-7 * 4194304}};
    uint32_t unitBits;
    const float unit = 1.1920930e-7f;
    std::memcpy(&unitBits, &unit, 4);
    EXPECT_EQ(unitBits, 0x34000001u) << "one step above 2^-23";
    for (const auto& k : depths) {
        StageRig<DeviceSimLoFiStage> rig;
        DeviceSimLoFiParams p;
        p.bitsIndex = k.index;
        rig.SetUp(p);
        for (float x : {0.3f, -0.77f, 0.0123f}) {
            float s = x;
            DeviceSimLoFiStage::Process(&rig.At(), &s, 1);
            const double steps = rig.At().held / k.step;
            if (k.index > 0) {
                EXPECT_NEAR(steps, std::round(steps), 1e-3) << "on the grid: " << k.index << " " << x;
            }
            EXPECT_NEAR(rig.At().held, x, k.step) << k.index << " " << x;
        }
    }
    for (const auto& hold : {std::pair<uint32_t, int>{48000, 0}, {48000, 3}, {96000, 4}}) {
        StageRig<DeviceSimLoFiStage> rig(hold.first);
        DeviceSimLoFiParams p;
        p.hold = hold.second;
        rig.SetUp(p);
        const int every = std::max(1, hold.second * (hold.first > 48000 ? 2 : 1));
        for (int i = 0; i < 40; ++i) {
            float s = 0.001f * (i + 1);
            DeviceSimLoFiStage::Process(&rig.At(), &s, 1);
            const int taken = i - i % every;
            EXPECT_NEAR(rig.At().held, 0.001f * (taken + 1), 1e-6f) << "hold " << hold.second << " at " << i;
        }
    }
}

TEST(DeviceSimStagesTest, LoFiSaturatesInputsBeyondTheIntegerRange) {
    StageRig<DeviceSimLoFiStage> rig;
    DeviceSimLoFiParams p;
    p.bitsIndex = 3;
    rig.SetUp(p);
    std::vector<float> s = {1e6f, -1e6f, 1e30f, -std::numeric_limits<float>::infinity(), 0.5f};
    DeviceSimLoFiStage::Process(&rig.At(), s.data(), uint32_t(s.size()));
    for (float v : s) EXPECT_TRUE(std::isfinite(v));
    float big = 1e9f;
    DeviceSimLoFiStage::Process(&rig.At(), &big, 1);
    EXPECT_NEAR(rig.At().held, 2147483647.0f * 1.1920930e-7f, 1.0f) << "held at the largest value";
}

TEST(DeviceSimStagesTest, StagesWalkOneRecordPerChannel) {
    StageRig<DeviceSimEQStage> rig(48000, 3);
    DeviceSimEQParams p;
    p.type = 2;
    p.freq = 500;
    rig.SetUp(p);
    std::vector<float> a(64, 1.0f), b(64, 1.0f);
    DeviceSimEQRecord* next = DeviceSimEQStage::Process(&rig.At(0), a.data(), 64);
    EXPECT_EQ(next, &rig.At(1));
    DeviceSimEQStage::Process(next, b.data(), 64);
    EXPECT_EQ(a, b) << "each channel with its own history";
    EXPECT_EQ(rig.At(2).section.b0, rig.At(0).section.b0);
}

}  // namespace
