// Meter readings for known signals, its ballistics, and the game-parameter writer it shares.
#include <limits>

#include "sound/engine/SxBehavioralExtensions.h"
#include "sound/engine/curves/SxCurveTable.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/plugins/effects/CSxMeterFX.h"
#include "sound/engine/SxTestMemory.h"
#include "SxFxTestSupport.h"

namespace fxtest {
namespace {

constexpr uint32_t kRate = 48000;
using MeterRig = Rig<CSxMeterFX, CSxMeterFXParams>;

Block MeterBlock(float attack, float release, float minDb, float maxDb, float hold, uint8_t mode, uint32_t id) {
    Block b;
    b.F32(attack).F32(release).F32(minDb).F32(maxDb).F32(hold).U8(mode).U32(id);
    return b;
}

class MeterFX : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SxCurveTable::BuildAll(333, 333, SxCurveTable::kAllShapes), SX_Success);
        SxTimingSettings::SetSampleRate(kRate);
        ASSERT_EQ(transitions.Init(0), SX_Success);
        g_pTransitionMgr = &transitions;
        ASSERT_EQ(rtpc.Init(), SX_Success);
        g_pRTPCMgr = &rtpc;
    }
    void TearDown() override {
        SxMeterWriterFrame(false);  // the writer goes once no meter is left
        EXPECT_FALSE(SxMeterWriterExists());
        SxBehavioralExtensions::Clear();
        rtpc.Term();
        transitions.Term();
        g_pRTPCMgr = nullptr;
        g_pTransitionMgr = nullptr;
        SxCurveTable::FreeAll();
    }
    float Global(uint32_t id) {
        bool found = false;
        const float value = rtpc.GetGlobalRTPCValue(id, &found);
        return found ? value : std::numeric_limits<float>::quiet_NaN();
    }
    sxtest::TestMemory memory;
    CSxTransitionMgr transitions;
    CSxRTPCMgr rtpc;
};

float ReadSine(MeterRig& rig, double amplitude, int buffers = 4) {
    uint64_t phase = 0;
    for (int i = 0; i < buffers; ++i) {
        Buffer b(0x3);
        Sine(b.Channel(0), 1024, 1000.0, amplitude, kRate, phase);
        rig.effect->Execute(&b.buffer);
    }
    return rig.effect->Reading();
}

TEST_F(MeterFX, ReadingsOfKnownSignals) {
    struct Case {
        uint8_t mode;
        double amplitude;
        float want;
    };
    const Case cases[] = {
        {0, 1.0, 0.0f},                      // peak of a full-scale sine
        {1, 1.0, -3.01f},                    // its RMS
        {0, 0.1, -20.0f}, {1, 0.0, -48.0f},  // silence reads the minimum
        {0, 4.0, 6.0f},                      // above the maximum reads the maximum
    };
    for (const Case& c : cases) {
        MeterRig rig(CreateMeterFX, CreateMeterFXParams);
        const Block block = MeterBlock(0, 0.1f, -48, 6, 0, c.mode, 0);
        ASSERT_EQ(rig.Start(kRate, 0x3, &block), SX_Success);
        EXPECT_NEAR(ReadSine(rig, c.amplitude), c.want, 0.02) << int(c.mode) << " " << c.amplitude;
    }
}

TEST_F(MeterFX, AfterTheInputEndsTheReadingFallsTenDbPerReleaseTime) {
    MeterRig rig(CreateMeterFX, CreateMeterFXParams);
    ASSERT_EQ(rig.Start(kRate, 0x3), SX_Success);
    ReadSine(rig, 1.0);
    const int buffers = rig.RunTail(0x3, 1000);
    // 48 dB at 10 dB per 0.1 s: 0.48 s, 22.5 buffers.
    EXPECT_EQ(buffers, 23);
    EXPECT_FLOAT_EQ(rig.effect->Reading(), -48.0f);
}

TEST_F(MeterFX, AttackLimitsTheRiseAndHoldKeepsThePeak) {
    MeterRig rig(CreateMeterFX, CreateMeterFXParams);
    const Block block = MeterBlock(0.1f, 0.1f, -48, 6, 1.0f, 0, 0);
    ASSERT_EQ(rig.Start(kRate, 0x3, &block), SX_Success);
    const float dt = 1024.0f / kRate;
    Buffer loud(0x3);
    loud.Fill(1.0f);
    rig.effect->Execute(&loud.buffer);
    EXPECT_NEAR(rig.effect->Reading(), -48.0f + 10.0f * dt / 0.1f, 1e-4f);
    for (int i = 0; i < 40; ++i) {
        Buffer b(0x3);
        b.Fill(1.0f);
        rig.effect->Execute(&b.buffer);
    }
    EXPECT_FLOAT_EQ(rig.effect->Reading(), 0.0f);

    // After a single peak, quieter input: the reading stays for the hold time, then steps down.
    MeterRig hold(CreateMeterFX, CreateMeterFXParams);
    const Block instant = MeterBlock(0.0f, 0.1f, -48, 6, 1.0f, 0, 0);
    ASSERT_EQ(hold.Start(kRate, 0x3, &instant), SX_Success);
    Buffer peak(0x3);
    peak.Fill(1.0f);
    hold.effect->Execute(&peak.buffer);
    int held = 0;
    for (int i = 0; i < 100; ++i) {
        Buffer b(0x3);
        b.Fill(0.1f);
        hold.effect->Execute(&b.buffer);
        if (hold.effect->Reading() < 0.0f) break;
        ++held;
    }
    EXPECT_NEAR(held * dt, 1.0, 2 * dt);
    Buffer after(0x3);
    after.Fill(0.1f);
    hold.effect->Execute(&after.buffer);
    EXPECT_LT(hold.effect->Reading(), -1.0f) << "then it releases";
    EXPECT_GE(hold.effect->Reading(), -20.0f) << "towards the loudest of the later sub-windows";
}

TEST_F(MeterFX, WriterMergesTheLargerLevelAndSkipsIdZero) {
    MeterRig loud(CreateMeterFX, CreateMeterFXParams), quiet(CreateMeterFX, CreateMeterFXParams),
        silent(CreateMeterFX, CreateMeterFXParams);
    const Block shared = MeterBlock(0, 0.1f, -48, 6, 0, 0, 77);
    const Block none = MeterBlock(0, 0.1f, -48, 6, 0, 0, 0);
    ASSERT_EQ(loud.Start(kRate, 0x3, &shared), SX_Success);
    ASSERT_EQ(quiet.Start(kRate, 0x3, &shared), SX_Success);
    ASSERT_EQ(silent.Start(kRate, 0x3, &none), SX_Success);
    ReadSine(quiet, 0.1, 1);
    ReadSine(loud, 0.5, 1);
    ReadSine(silent, 1.0, 1);
    SxBehavioralExtensions::Call(false);
    EXPECT_NEAR(Global(77), -6.02f, 0.02f);
    EXPECT_TRUE(std::isnan(Global(0)));
    ReadSine(quiet, 0.1, 1);
    SxBehavioralExtensions::Call(false);
    EXPECT_NEAR(Global(77), -20.0f, 0.02f) << "each frame writes afresh";
}

TEST_F(MeterFX, WriterOutlivesItsLastMeterUntilTheNextFrame) {
    {
        MeterRig rig(CreateMeterFX, CreateMeterFXParams);
        const Block block = MeterBlock(0, 0.1f, -48, 6, 0, 0, 5);
        ASSERT_EQ(rig.Start(kRate, 0x3, &block), SX_Success);
        ReadSine(rig, 0.5, 1);
    }
    ASSERT_TRUE(SxMeterWriterExists());
    // The value posted before the meter went is still written, then the writer goes.
    SxBehavioralExtensions::Call(false);
    EXPECT_NEAR(Global(5), -6.02f, 0.02f);
    EXPECT_FALSE(SxMeterWriterExists());
    SxBehavioralExtensions::Call(false);  // nothing left to call
}

TEST_F(MeterFX, MalformedBlocksAndValues) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Block shortBlock = MeterBlock(0, 0.1f, -48, 6, 0, 0, 9);
    shortBlock.bytes.resize(24);
    const Block cases[] = {
        shortBlock,
        MeterBlock(nan, nan, nan, nan, nan, 1, 9),
        MeterBlock(inf, inf, inf, inf, inf, 0, 9),
        MeterBlock(-inf, -inf, -inf, -inf, -inf, 1, 9),
    };
    for (const Block& block : cases) {
        MeterRig rig(CreateMeterFX, CreateMeterFXParams);
        const SXRESULT r = rig.Start(kRate, 0x3, &block);
        if (block.Size() != SxMeterFXParamsBlockSize) {
            EXPECT_EQ(r, SX_InvalidParameter);
            continue;
        }
        ASSERT_EQ(r, SX_Success);
        for (int i = 0; i < 3; ++i) {
            Buffer b(0x3);
            b.Fill(i == 1 ? nan : 0.5f);
            rig.effect->Execute(&b.buffer);
            ASSERT_TRUE(std::isfinite(rig.effect->Reading()));
        }
        SxBehavioralExtensions::Call(false);
    }
    CountingAllocator allocator;
    ISxPluginParam* params = CreateMeterFXParams(&allocator);
    params->Init(&allocator, nullptr, 0);
    const uint32_t id = 12;
    EXPECT_EQ(params->SetParam(3, &id, 4), SX_InvalidParameter);
    EXPECT_EQ(params->SetParam(32767, &id, 4), SX_Success);
    EXPECT_EQ(static_cast<CSxMeterFXParams*>(params)->gameParamID, 12u);
    params->Term(&allocator);
}

}  // namespace
}  // namespace fxtest
