// Motion generator: curves over a pass, the envelope segments, loops, and parameter blocks
// and curve lists out of range.
#include "sound/plugins/motion/CSxMotionGenerator.h"
#include "SxSourceTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

using Rig = SourceRig<CSxMotionGenerator, CSxMotionGeneratorParams>;

struct Curve {
    std::vector<SxCurvePoint> points;
};

Block MotionBlock(float period, float timeScale, float duration, uint16_t mode, const std::vector<Curve>& curves,
                  float attack = 0, float decay = 0, float sustain = 0, float release = 0, float sustainDb = 0) {
    Block b;
    b.F32(period).F32(timeScale).F32(duration).F32(attack).F32(decay).F32(sustain).F32(release).F32(sustainDb).U16(
        mode);
    b.U16(uint16_t(curves.size()));
    for (const Curve& c : curves) {
        b.U16(uint16_t(c.points.size()));
        for (const SxCurvePoint& p : c.points) b.F32(p.x).F32(p.y).U32(p.shape);
    }
    return b;
}

const Curve kRamp{{{0, 0, SxCurve_Linear}, {1, 1, SxCurve_Linear}}};
const Curve kOne{{{0, 1, SxCurve_Linear}}};

TEST(MotionGenerator, OnePeriodModeRunsEachCurveOnceOverTheScaledPass) {
    Rig rig(CreateMotionGenerator, CreateMotionGeneratorParams);
    const Block block = MotionBlock(1.0f, 2.0f, 0.0f, 0, {kRamp, Curve{{{0, 0.25f, SxCurve_Linear}}}});
    ASSERT_EQ(rig.Start(1000, 1, &block), SX_Success);
    EXPECT_EQ(rig.format.channelMask, 0x3u);  // two motor channels whatever was asked
    EXPECT_FLOAT_EQ(rig.source->GetDuration(), 2000.0f);
    std::vector<float> left, right;
    EXPECT_EQ(rig.Run(left, 100000, 250), 8u);
    EXPECT_EQ(rig.lastState, uint32_t(SX_NoMoreData));
    ASSERT_EQ(left.size(), 2000u);
    for (size_t i = 0; i < left.size(); i += 97) EXPECT_NEAR(left[i], i / 2000.0f, 1e-3f) << i;

    ASSERT_EQ(rig.Start(1000, 1, &block), SX_Success);
    rig.Run(right, 100000, 250, 1);
    for (float v : right) ASSERT_FLOAT_EQ(v, 0.25f);
}

TEST(MotionGenerator, EndlessLoopsNeverEndAndTheCurveRestartsEachPeriod) {
    Rig rig(CreateMotionGenerator, CreateMotionGeneratorParams);
    const Block block = MotionBlock(1.0f, 0.5f, 0.0f, 0, {kRamp});
    ASSERT_EQ(rig.Start(1000, 0, &block), SX_Success);
    std::vector<float> out;
    rig.Run(out, 10000, 200);
    EXPECT_EQ(rig.lastState, uint32_t(SX_DataReady));
    ASSERT_EQ(out.size(), 10000u);
    for (size_t i : {0u, 250u, 499u, 4750u, 9999u}) EXPECT_NEAR(out[i], (i % 500) / 500.0f, 2e-3f) << i;
}

// Envelope segments change at buffer starts only: with 50-frame buffers every boundary falls
// on a buffer start, so the gain follows attack, decay, sustain and release exactly.
TEST(MotionGenerator, EnvelopeModeShapesTheCurveWithItsSegments) {
    Rig rig(CreateMotionGenerator, CreateMotionGeneratorParams);
    const float sustainDb = -6.0206f;  // half
    const Block block = MotionBlock(1.0f, 1.0f, 0.0f, 2, {kOne, kOne}, 0.1f, 0.1f, 0.2f, 0.1f, sustainDb);
    ASSERT_EQ(rig.Start(1000, 1, &block), SX_Success);
    EXPECT_NEAR(rig.source->GetDuration(), 500.0f, 1e-3f);
    std::vector<float> out;
    rig.Run(out, 100000, 50);
    EXPECT_EQ(rig.lastState, uint32_t(SX_NoMoreData));
    ASSERT_EQ(out.size(), 500u);
    struct Case {
        size_t sample;
        float gain;
    } cases[] = {{0, 0.0f},   {50, 0.5f},  {99, 0.99f}, {100, 1.0f},  {150, 0.75f}, {199, 0.505f},
                 {200, 0.5f}, {350, 0.5f}, {400, 0.5f}, {450, 0.25f}, {499, 0.005f}};
    for (const Case& c : cases) EXPECT_NEAR(out[c.sample], c.gain, 2e-3f) << c.sample;
}

TEST(MotionGenerator, ZeroAttackStartsInTheDecayAtFullGain) {
    Rig rig(CreateMotionGenerator, CreateMotionGeneratorParams);
    const Block block = MotionBlock(1.0f, 1.0f, 0.0f, 2, {kOne}, 0.0f, 0.1f, 0.1f, 0.1f, -6.0206f);
    ASSERT_EQ(rig.Start(1000, 1, &block), SX_Success);
    Buffer b(0x3, 50);
    rig.source->Execute(&b.buffer);
    EXPECT_EQ(qvtest::MotionGeneratorProbe::CurrentSegment(*rig.source), 1);
    EXPECT_FLOAT_EQ(b.Channel(0)[0], 1.0f);
    EXPECT_NEAR(b.Channel(0)[49], 1.0f - 49 * 0.005f, 1e-4f);
}

TEST(MotionGenerator, AFixedDurationStopsAfterLoopCountPasses) {
    Rig rig(CreateMotionGenerator, CreateMotionGeneratorParams);
    const Block block = MotionBlock(1.0f, 1.0f, 0.3f, 1, {});
    ASSERT_EQ(rig.Start(1000, 3, &block), SX_Success);
    std::vector<float> out;
    EXPECT_EQ(rig.Run(out, 100000, 100), 9u);
    EXPECT_EQ(rig.lastState, uint32_t(SX_NoMoreData));
    EXPECT_NEAR(out[150], 0.15f, 1e-3f);  // no points: the time passes through
}

TEST(MotionGenerator, MalformedBlocksAndCurveListsAreRefusedAndChangeNothing) {
    Rig rig(CreateMotionGenerator, CreateMotionGeneratorParams);
    const Block good = MotionBlock(2.0f, 3.0f, 4.0f, 1, {kRamp});
    ASSERT_EQ(rig.params->Init(&rig.allocator, good.Data(), good.Size()), SX_Success);

    Block tooManyPoints = MotionBlock(9, 9, 9, 0, {});
    tooManyPoints.bytes.resize(tooManyPoints.bytes.size() - 2);
    tooManyPoints.U16(1).U16(kMaxMotionCurvePoints + 1);
    tooManyPoints.bytes.resize(tooManyPoints.bytes.size() + (kMaxMotionCurvePoints + 1) * 12, 0);
    Block truncated = MotionBlock(9, 9, 9, 0, {kRamp});
    truncated.bytes.resize(truncated.bytes.size() - 1);
    Block countOnly = MotionBlock(9, 9, 9, 0, {});
    countOnly.bytes.back() = 1;  // one curve announced, none there
    struct Case {
        const char* what;
        const void* data;
        uint32_t size;
    } cases[] = {
        {"null", nullptr, 40},
        {"shorter than the fixed part", good.Data(), kMotionParamsFixedSize - 1},
        {"too many points", tooManyPoints.Data(), tooManyPoints.Size()},
        {"points past the end", truncated.Data(), truncated.Size()},
        {"a curve without its count", countOnly.Data(), countOnly.Size()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rig.params->SetParamsBlock(c.data, c.size), SX_InvalidParameter) << c.what;
        EXPECT_EQ(rig.params->period, 2.0f) << c.what;
        EXPECT_EQ(rig.params->curves[0].Count(), 2u) << c.what;
    }
    EXPECT_EQ(rig.params->SetParam(0x7FFF, truncated.bytes.data() + kMotionParamsFixedSize,
                                   truncated.Size() - kMotionParamsFixedSize),
              SX_InvalidParameter);
    EXPECT_EQ(rig.params->SetParam(0, nullptr, 4), SX_InvalidParameter);
    const float one = 1.0f;
    EXPECT_EQ(rig.params->SetParam(5, &one, 4), SX_InvalidParameter);

    // More than two curves: the first two are taken.
    const Block three = MotionBlock(1, 1, 1, 0, {kOne, kRamp, kRamp});
    EXPECT_EQ(rig.params->SetParamsBlock(three.Data(), three.Size()), SX_Success);
    EXPECT_EQ(rig.params->curves[0].Count(), 1u);
    EXPECT_EQ(rig.params->curves[1].Count(), 2u);
}

// A curve replaced by a shorter one during a pass leaves the cursor past its end; the
// evaluation holds it to the new last point.
TEST(MotionGenerator, ACurveShortenedDuringAPassIsReadSafely) {
    Rig rig(CreateMotionGenerator, CreateMotionGeneratorParams);
    const Curve many{{{0, 0, SxCurve_Linear},
                      {0.2f, 1, SxCurve_Linear},
                      {0.4f, 2, SxCurve_Linear},
                      {0.6f, 3, SxCurve_Linear},
                      {1, 4, SxCurve_Linear}}};
    const Block block = MotionBlock(1.0f, 1.0f, 0.0f, 0, {many});
    ASSERT_EQ(rig.Start(1000, 1, &block), SX_Success);
    Buffer b(0x3, 900);
    rig.source->Execute(&b.buffer);
    EXPECT_NEAR(b.Channel(0)[899], 3.0f + 0.299f / 0.4f, 1e-3f);
    Block list;
    list.U16(1).U16(2).F32(0).F32(0.1f).U32(SxCurve_Linear).F32(2).F32(0.9f).U32(SxCurve_Linear);
    ASSERT_EQ(rig.params->SetParam(0x7FFF, list.Data(), list.Size()), SX_Success);
    Buffer c(0x3, 50);
    rig.source->Execute(&c.buffer);
    EXPECT_EQ(c.Channel(0)[10], 0.9f);  // the last point's value: the cursor never goes back
}

TEST(MotionGenerator, CloneCopiesValuesAndCurves) {
    Rig rig(CreateMotionGenerator, CreateMotionGeneratorParams);
    const Block block = MotionBlock(3.0f, 2.0f, 1.0f, 2, {kRamp, kOne}, 0.1f, 0.2f, 0.3f, 0.4f, -20.0f);
    ASSERT_EQ(rig.params->Init(&rig.allocator, block.Data(), block.Size()), SX_Success);
    auto* copy = static_cast<CSxMotionGeneratorParams*>(rig.params->Clone(&rig.allocator));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->period, 3.0f);
    EXPECT_NEAR(copy->sustainLevel, 0.1f, 1e-6f);
    EXPECT_EQ(copy->durationMode, 2);
    EXPECT_EQ(copy->curves[0].Count(), 2u);
    EXPECT_EQ(copy->curves[1].Points()[0].y, 1.0f);
    copy->Term(&rig.allocator);
    rig.allocator.failAfter = rig.allocator.mallocs;
    EXPECT_EQ(rig.params->Clone(&rig.allocator), nullptr);
}

}  // namespace
}  // namespace fxtest
