// Whoosh synth: silence without deflectors, the centre deflector at rest, the object along its
// path, the level following the gain and speed game parameters, the shaped noise's DC gain,
// control points raised during play, and blocks out of range.
#include "platform/os/Random.h"
#include "sound/plugins/synth/CSxWhooshSynth.h"
#include "SxSourceTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

using Rig = SourceRig<CSxWhooshSynth, CSxWhooshSynthParams>;

struct WhooshSetup {
    float duration = 10.0f;
    uint16_t configuration = 1;
    float referenceDistance = 10.0f, rolloff = 0.5f, speedExponent = 1.0f, timeScale = 1.0f;
    uint16_t colour = 0;
    uint8_t attenuation = 1;
    uint16_t controlPoints = 1;
    float speed = 50.0f;
    uint8_t speedCurveOn = 0;
    float gainDb = 0.0f;
    int16_t centre = -1;
    std::vector<SxWhooshDeflector> deflectors;
    std::vector<SxCurvePoint> speedCurve;
    float pathLength = 0.0f;
    std::vector<SxWhooshPathPoint> path;
};

void AppendLists(Block& b, const WhooshSetup& s) {
    b.U16(uint16_t(s.deflectors.size()));
    for (const auto& d : s.deflectors) b.F32(d.frequency).F32(d.q).F32(d.gain);
    AppendSynthCurves(b, s.speedCurve.empty() ? std::vector<SynthCurve>() : std::vector<SynthCurve>{{0, s.speedCurve}});
    b.U16(uint16_t(s.path.size())).F32(s.pathLength);
    for (const auto& p : s.path) b.F32(p.position).F32(p.x).F32(p.y);
}

Block WhooshBlock(const WhooshSetup& s) {
    Block b;
    b.F32(s.duration).F32(0).U16(s.configuration).F32(s.referenceDistance).F32(s.rolloff).F32(s.speedExponent);
    b.F32(s.timeScale).U16(s.colour).F32(0).F32(0).U8(s.attenuation).U16(s.controlPoints);
    b.F32(s.speed).F32(0).U8(s.speedCurveOn);
    b.F32(0).F32(0).U8(0).F32(0).F32(0).U8(0);
    b.F32(s.gainDb).F32(0).U8(0);
    b.Raw(&s.centre, 2);
    AppendLists(b, s);
    return b;
}

WhooshSetup Flyby() {
    WhooshSetup s;
    s.duration = 2.0f;
    s.deflectors = {{300, 4, 0}, {600, 4, 0}, {900, 4, 0}};
    s.pathLength = 1.0f;
    s.path = {{0, -0.4f, 0.05f}, {1, 0.4f, 0.05f}};
    return s;
}

TEST(WhooshSynth, WithoutDeflectorsOrPathItIsSilentForTenSecondsACycle) {
    Rig rig(CreateWhooshSynth, CreateWhooshSynthParams);
    ExpectSilentForTenSecondsACycle(rig);
}

TEST(WhooshSynth, TheCentreDeflectorStandsStill) {
    Rig rig(CreateWhooshSynth, CreateWhooshSynthParams);
    WhooshSetup setup = Flyby();
    setup.centre = 1;
    const Block block = WhooshBlock(setup);
    ASSERT_EQ(rig.Start(48000, 0, &block, 0x3), SX_Success);
    Buffer b(0x3);
    rig.source->Execute(&b.buffer);
    const float base = std::exp2(50.0f * 0.02f + 2.0f);
    EXPECT_FLOAT_EQ(qvtest::WhooshProbe::DeflectorSpeed(*rig.source, 0), base);
    EXPECT_EQ(qvtest::WhooshProbe::DeflectorSpeed(*rig.source, 1), 0.0f);
    EXPECT_FLOAT_EQ(qvtest::WhooshProbe::DeflectorSpeed(*rig.source, 2), base);
}

// With the speed curve off the object moves along the path in proportion to time; the left
// channel leads while it is on the left, the right one once it has passed.
TEST(WhooshSynth, WithoutTheSpeedCurveTheObjectMovesInProportionToTime) {
    Rig rig(CreateWhooshSynth, CreateWhooshSynthParams);
    const Block block = WhooshBlock(Flyby());
    ASSERT_EQ(rig.Start(48000, 1, &block, 0x3), SX_Success);
    Buffer b(0x3);
    double left[2] = {}, right[2] = {};
    for (uint32_t k = 0; k < 94; ++k) {
        rig.source->Execute(&b.buffer);
        const float expectedX = -0.4f + 0.8f * (k * 1024.0f / 48000.0f) / 2.0f;
        ASSERT_NEAR(qvtest::WhooshProbe::ObjectX(*rig.source), expectedX, 1e-3f) << k;
        EXPECT_NEAR(qvtest::WhooshProbe::ObjectY(*rig.source), 0.05f, 1e-6f);
        const int half = k < 47 ? 0 : 1;
        left[half] += Rms(b.Channel(0), 1024);
        right[half] += Rms(b.Channel(1), 1024);
    }
    EXPECT_GT(left[0], right[0]);
    EXPECT_GT(right[1], left[1]);
}

TEST(WhooshSynth, TheLevelFollowsTheGainAndSpeedGameParameters) {
    Rig rig(CreateWhooshSynth, CreateWhooshSynthParams);
    WhooshSetup setup = Flyby();
    setup.path = {{0, 0.05f, 0.0f}};  // standing still, close by
    platform::crt_srand(5);
    const Block block = WhooshBlock(setup);
    ASSERT_EQ(rig.Start(48000, 0, &block, 0x4), SX_Success);
    rig.RunRms(2);
    const double before = rig.RunRms(20);
    EXPECT_GT(before, 1e-4);
    const float plus6 = 6.0206f;
    ASSERT_EQ(rig.params->SetParam(26, &plus6, 4), SX_Success);
    rig.RunRms(1);
    const double louder = rig.RunRms(20);
    EXPECT_NEAR(louder / before, 2.0, 0.25);
    const float faster = 100.0f;
    ASSERT_EQ(rig.params->SetParam(0, &faster, 4), SX_Success);
    rig.RunRms(1);
    EXPECT_GT(rig.RunRms(20), 2.0 * louder);
}

TEST(WhooshSynth, ShapedNoiseHasTheBiquadsDcGain) {
    const double dc = (0.6374146 - 1.1480863 + 0.5115746) / (1.0 - 1.2719209 + 0.29918557);
    EXPECT_NEAR(CSxWhooshSynth::ShapedNoiseDcGain(20000), dc, 1e-3);
}

// The curve values are sized for the control points a source started with; raising them
// during play does not reach it.
TEST(WhooshSynth, ControlPointsRaisedDuringPlayAreKeptAtTheirStartingCount) {
    for (uint16_t colour : {0, 1, 2, 3}) {
        Rig rig(CreateWhooshSynth, CreateWhooshSynthParams);
        WhooshSetup setup = Flyby();
        setup.colour = colour;
        setup.controlPoints = 2;
        setup.speedCurveOn = 1;
        setup.speedCurve = {{0, 0, 4}, {1, 60, 4}, {2, 20, 4}};
        const Block block = WhooshBlock(setup);
        ASSERT_EQ(rig.Start(48000, 0, &block, 0x33), SX_Success);
        std::vector<float> out;
        rig.Run(out, 4096);
        const uint16_t many = 200;
        ASSERT_EQ(rig.params->SetParam(51, &many, 2), SX_Success);
        rig.Run(out, 8192);
        EXPECT_EQ(qvtest::WhooshProbe::ControlPoints(*rig.source), 2u);
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float x) { return std::isfinite(x); })) << colour;
        EXPECT_GT(Rms(out.data(), out.size()), 0.0) << colour;
    }
}

TEST(WhooshSynth, MalformedBlocksAreRefusedAndChangeNothing) {
    Rig rig(CreateWhooshSynth, CreateWhooshSynthParams);
    const Block good = WhooshBlock(Flyby());
    ASSERT_EQ(rig.params->Init(&rig.allocator, good.Data(), good.Size()), SX_Success);
    WhooshSetup manyDeflectors = Flyby();
    manyDeflectors.deflectors.assign(kMaxSynthDeflectors + 1, {100, 1, 0});
    WhooshSetup manyPath = Flyby();
    manyPath.path.assign(kMaxWhooshPathPoints + 1, {0, 0, 0});
    const Block a = WhooshBlock(manyDeflectors), c = WhooshBlock(manyPath);
    struct Case {
        const char* what;
        const Block* block;
        uint32_t size;
    } cases[] = {
        {"shorter than the fixed part", &good, 70},
        {"without its lists", &good, CSxWhooshSynthParams::kFixedSize + 1},
        {"path points past the end", &good, good.Size() - 1},
        {"too many deflectors", &a, a.Size()},
        {"too many path points", &c, c.Size()},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(rig.params->SetParamsBlock(k.block->Data(), k.size), SX_InvalidParameter) << k.what;
        EXPECT_EQ(rig.params->deflectorCount, 3u) << k.what;
        EXPECT_EQ(rig.params->pathCount, 2u) << k.what;
        EXPECT_EQ(rig.params->duration, 2.0f) << k.what;
    }
    const float one = 1.0f;
    EXPECT_EQ(rig.params->SetParam(53, &one, 4), SX_InvalidParameter);
    EXPECT_EQ(rig.params->SetParam(30, &one, 4), SX_InvalidParameter);
    EXPECT_EQ(rig.params->SetParam(0, nullptr, 4), SX_InvalidParameter);
    EXPECT_EQ(rig.params->SetParam(-1, nullptr, 0), SX_Success);

    auto* copy = static_cast<CSxWhooshSynthParams*>(rig.params->Clone(&rig.allocator));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->pathCount, 2u);
    EXPECT_EQ(copy->deflectors[2].frequency, 900.0f);
    copy->Term(&rig.allocator);
}

}  // namespace
}  // namespace fxtest
