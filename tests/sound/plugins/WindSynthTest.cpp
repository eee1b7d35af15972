// Wind synth: silence without deflectors, the level following the speed and gain game
// parameters, deflectors and the speed ring at their limits, blocks out of range, and a
// deflector list replaced while a source plays.
#include "platform/os/Random.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/synth/CSxWindSynth.h"
#include "SxSourceTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

using Rig = SourceRig<CSxWindSynth, CSxWindSynthParams>;

struct Deflector {
    float distance, angle, frequency, q, gainDb;
};

struct WindSetup {
    float duration = 10.0f;
    uint16_t configuration = 1;  // stereo
    float referenceDistance = 5.0f, rolloff = 0.5f, speedExponent = 0.5f, timeScale = 1.0f;
    float speed = 0.0f, gustiness = 0.0f, gainDb = 0.0f;
    float maxDistance = 30.0f;
    std::vector<Deflector> deflectors;
    std::vector<SynthCurve> curves;
};

void AppendLists(Block& b, const WindSetup& s) {
    b.U16(uint16_t(s.deflectors.size())).F32(s.maxDistance);
    for (const Deflector& d : s.deflectors) b.F32(d.distance).F32(d.angle).F32(d.frequency).F32(d.q).F32(d.gainDb);
    AppendSynthCurves(b, s.curves);
}

Block WindBlock(const WindSetup& s) {
    Block b;
    b.F32(s.duration).F32(0).U16(s.configuration).F32(s.referenceDistance).F32(s.rolloff).F32(s.speedExponent);
    b.F32(s.timeScale);
    const float bases[7] = {s.speed, 0, s.gustiness, 0.03f, 0, 0, s.gainDb};
    for (float base : bases) b.F32(base).F32(0).U8(0);
    AppendLists(b, s);
    return b;
}

TEST(WindSynth, WithoutDeflectorsItIsSilentForTenSecondsACycle) {
    Rig rig(CreateWindSynth, CreateWindSynthParams);
    ExpectSilentForTenSecondsACycle(rig);
}

TEST(WindSynth, TheLevelFollowsTheSpeedAndGainGameParameters) {
    Rig rig(CreateWindSynth, CreateWindSynthParams);
    WindSetup setup;
    setup.deflectors = {{2.0f, 30.0f, 400.0f, 5.0f, 0.0f}};
    const Block block = WindBlock(setup);
    platform::crt_srand(7);
    ASSERT_EQ(rig.Start(48000, 0, &block, 0x3), SX_Success);
    rig.RunRms(4);
    const double calm = rig.RunRms(20);
    EXPECT_GT(calm, 1e-4);
    const float doubled = 1200.0f;  // cents: twice the speed
    ASSERT_EQ(rig.params->SetParam(0, &doubled, 4), SX_Success);
    rig.RunRms(2);
    const double windy = rig.RunRms(20);
    EXPECT_GT(windy, 4.0 * calm);
    const float plus6 = 6.0206f;
    ASSERT_EQ(rig.params->SetParam(26, &plus6, 4), SX_Success);
    rig.RunRms(2);
    EXPECT_NEAR(rig.RunRms(20) / windy, 2.0, 0.3);
    EXPECT_NEAR(qvtest::WindProbe::DeflectorSpeed(*rig.source, 0), 16.0f, 1e-3f);
}

TEST(WindSynth, DistanceGainIsOneInsideTheReferenceAndFallsBeyond) {
    Rig rig(CreateWindSynth, CreateWindSynthParams);
    WindSetup setup;
    setup.deflectors = {{1.0f, 0, 300, 4, 0}, {5.0f, 0, 300, 4, 0}, {10.0f, 0, 300, 4, 0}};
    const Block block = WindBlock(setup);
    ASSERT_EQ(rig.Start(48000, 0, &block, 0x3), SX_Success);
    Buffer b(0x3);
    rig.source->Execute(&b.buffer);
    EXPECT_FLOAT_EQ(qvtest::WindProbe::DeflectorGain(*rig.source, 0), qvtest::WindProbe::DeflectorGain(*rig.source, 1));
    EXPECT_NEAR(qvtest::WindProbe::DeflectorGain(*rig.source, 2) / qvtest::WindProbe::DeflectorGain(*rig.source, 1),
                std::pow(10.0, -0.15), 1e-4);
}

// Speeds below 2 are held at 2; a resonance above half the rate is held there; a deflector
// far beyond the maximum distance reads the oldest speed of the ring.
TEST(WindSynth, DeflectorsAndTheSpeedRingAtTheirLimits) {
    auto render = [](const WindSetup& setup, uint32_t mask) {
        Rig rig(CreateWindSynth, CreateWindSynthParams);
        const Block block = WindBlock(setup);
        platform::crt_srand(3);
        EXPECT_EQ(rig.Start(48000, 0, &block, mask), SX_Success);
        std::vector<float> out;
        rig.Run(out, 8 * 1024);
        return out;
    };
    WindSetup slow;
    slow.speed = -20000.0f;
    slow.deflectors = {{2, 0, 500, 5, 0}};
    WindSetup slower = slow;
    slower.speed = -1e6f;
    const auto a = render(slow, 0x3), b = render(slower, 0x3);
    EXPECT_EQ(a, b);
    EXPECT_GT(Rms(a.data(), a.size()), 0.0);

    WindSetup high;
    high.deflectors = {{2, 0, 30000, 5, 0}};
    WindSetup far;
    far.maxDistance = 0.5f;
    far.deflectors = {{500, 180, 300, 5, 0}, {1, 0, 300, 5, 0}};
    for (const WindSetup* setup : {&high, &far}) {
        for (uint32_t mask : {0x4u, 0x3u, 0x33u}) {
            const auto out = render(*setup, mask);
            SxAudioBuffer view;
            view.data = const_cast<float*>(out.data());
            view.channelMask = 0x4;
            view.maxFrames = view.validFrames = uint16_t(std::min<size_t>(out.size(), 8192));
            EXPECT_TRUE(SxBufferIsFinite(view)) << mask;
            EXPECT_GT(Rms(out.data(), out.size()), 0.0) << mask;
        }
    }
}

TEST(WindSynth, MalformedBlocksAreRefusedAndChangeNothing) {
    Rig rig(CreateWindSynth, CreateWindSynthParams);
    WindSetup good;
    good.duration = 3.0f;
    good.deflectors = {{2, 0, 400, 5, 0}};
    const Block block = WindBlock(good);
    ASSERT_EQ(rig.params->Init(&rig.allocator, block.Data(), block.Size()), SX_Success);

    WindSetup zeroDistance = good;
    zeroDistance.maxDistance = 0.0f;
    WindSetup nanDistance = good;
    nanDistance.maxDistance = std::nanf("");
    WindSetup tooMany = good;
    tooMany.deflectors.assign(kMaxSynthDeflectors + 1, {1, 0, 100, 1, 0});
    WindSetup manyPoints = good;
    manyPoints.curves = {{0, std::vector<SxCurvePoint>(kMaxSynthCurvePoints + 1, {0, 0, 4})}};
    Block shortList = WindBlock(good);
    shortList.bytes.resize(shortList.bytes.size() - 3);  // into the last deflector... and the curve count
    Block shortCurves = WindBlock(
        WindSetup{good.duration, 1, 5, 0.5f, 0.5f, 1, 0, 0, 0, 30, good.deflectors, {{3, {{0, 0, 4}, {1, 90, 4}}}}});
    shortCurves.bytes.resize(shortCurves.bytes.size() - 5);
    const Block zeroB = WindBlock(zeroDistance), nanB = WindBlock(nanDistance), manyB = WindBlock(tooMany),
                pointsB = WindBlock(manyPoints);
    struct Case {
        const char* what;
        const Block* block;
        uint32_t size;
    } cases[] = {
        {"shorter than the fixed part", &block, 60},
        {"a maximum distance of 0", &zeroB, zeroB.Size()},
        {"a maximum distance that is not a number", &nanB, nanB.Size()},
        {"too many deflectors", &manyB, manyB.Size()},
        {"too many points", &pointsB, pointsB.Size()},
        {"deflectors past the end", &shortList, shortList.Size()},
        {"points past the end", &shortCurves, shortCurves.Size()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rig.params->SetParamsBlock(c.block->Data(), c.size), SX_InvalidParameter) << c.what;
        EXPECT_EQ(rig.params->duration, 3.0f) << c.what;
        EXPECT_EQ(rig.params->deflectorCount, 1u) << c.what;
        EXPECT_EQ(rig.params->maxDistance, 30.0f) << c.what;
    }
    const float one = 1.0f;
    EXPECT_EQ(rig.params->SetParam(49, &one, 4), SX_InvalidParameter);
    EXPECT_EQ(rig.params->SetParam(47, &one, 4), SX_InvalidParameter);
    EXPECT_EQ(rig.params->SetParam(0, nullptr, 4), SX_InvalidParameter);
    EXPECT_EQ(rig.params->SetParam(-1, nullptr, 0), SX_Success);

    WindSetup otherID = good;  // a curve under an ID outside the seven is the speed curve
    otherID.curves = {{77, {{0, 100, 4}, {10, 200, 4}}}};
    const Block other = WindBlock(otherID);
    ASSERT_EQ(rig.params->SetParamsBlock(other.Data(), other.Size()), SX_Success);
    EXPECT_EQ(rig.params->curves[CSxWindSynthParams::kSpeed].Count(), 2u);
}

// A source keeps the deflectors it took at Init: the list replaced (and its array freed)
// during play reaches the next source only.
TEST(WindSynth, ADeflectorListReplacedDuringPlayReachesOnlyNewSources) {
    Rig rig(CreateWindSynth, CreateWindSynthParams);
    WindSetup one;
    one.deflectors = {{2, 0, 400, 5, 0}};
    const Block block = WindBlock(one);
    ASSERT_EQ(rig.Start(48000, 0, &block, 0x3), SX_Success);
    std::vector<float> out;
    rig.Run(out, 2048);
    WindSetup five;
    five.deflectors.assign(5, {3, 45, 700, 3, -3});
    Block list;
    AppendLists(list, five);
    ASSERT_EQ(rig.params->SetParam(0x7FFF, list.Data(), list.Size()), SX_Success);
    EXPECT_EQ(rig.params->deflectorCount, 5u);
    out.clear();
    rig.Run(out, 4096);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float x) { return std::isfinite(x); }));

    auto* second = static_cast<CSxWindSynth*>(CreateWindSynth(&rig.allocator));
    SxAudioFormat format = Format(48000, 0x3);
    ASSERT_EQ(second->Init(&rig.allocator, &rig.context, rig.params, format), SX_Success);
    Buffer b(0x3);
    second->Execute(&b.buffer);
    EXPECT_GT(qvtest::WindProbe::DeflectorGain(*second, 4), 0.0f);
    second->Term(&rig.allocator);
}

TEST(WindSynth, LoopsTimeSkipAndStopLooping) {
    Rig rig(CreateWindSynth, CreateWindSynthParams);
    WindSetup setup;
    setup.duration = 1.0f;
    const Block block = WindBlock(setup);
    ASSERT_EQ(rig.Start(48000, 3, &block, 0x3), SX_Success);
    EXPECT_NEAR(rig.source->GetDuration(), 3000.0f, 1e-2f);
    uint32_t frames = 48000;
    EXPECT_EQ(rig.source->TimeSkip(frames), SX_DataReady);
    rig.source->StopLooping();
    frames = 47999;
    EXPECT_EQ(rig.source->TimeSkip(frames), SX_DataReady);
    frames = 1;
    EXPECT_EQ(rig.source->TimeSkip(frames), SX_NoMoreData);
}

TEST(WindSynth, CloneCopiesValuesDeflectorsAndCurves) {
    Rig rig(CreateWindSynth, CreateWindSynthParams);
    WindSetup setup;
    setup.deflectors = {{2, 0, 400, 5, -6.0206f}, {4, 90, 600, 2, 0}};
    setup.curves = {{26, {{0, -3, 4}, {5, 3, 4}}}};
    const Block block = WindBlock(setup);
    ASSERT_EQ(rig.params->Init(&rig.allocator, block.Data(), block.Size()), SX_Success);
    auto* copy = static_cast<CSxWindSynthParams*>(rig.params->Clone(&rig.allocator));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->deflectorCount, 2u);
    EXPECT_NEAR(copy->deflectors[0].gain, 0.5f, 1e-3f);
    EXPECT_EQ(copy->curves[CSxWindSynthParams::kGain].Count(), 2u);
    copy->Term(&rig.allocator);
    rig.allocator.failAfter = rig.allocator.mallocs + 1;  // the copy, not its deflectors
    EXPECT_EQ(rig.params->Clone(&rig.allocator), nullptr);
    rig.allocator.failAfter = -1;
}

}  // namespace
}  // namespace fxtest
