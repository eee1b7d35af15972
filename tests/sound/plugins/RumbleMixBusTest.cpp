// Rumble bus: a motion source driving a pad's motors frame by frame, the ring and its queue
// limit, the motor speed curves, and a pad unplugged and plugged in during play.
#include "platform/pad/Pad.h"
#include "sound/plugins/motion/CSxMotionGenerator.h"
#include "sound/plugins/motion/RumbleMixBus.h"
#include "SxSourceTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

class Rumble : public ::testing::Test {
protected:
    void SetUp() override {
        platform::ResetPads();
        platform::ConnectPad(1);
        bus = static_cast<RumbleMixBus*>(CreateRumbleMixBus(&allocator));
        ASSERT_NE(bus, nullptr);
        ASSERT_EQ(bus->Init(&allocator, nullptr, 1, nullptr), SX_Success);
    }
    void TearDown() override {
        if (bus) bus->Term(&allocator);
        EXPECT_EQ(allocator.live, 0);
        platform::ResetPads();
    }
    // One audio frame of motion: both channels at a level, then the frame is closed and one
    // pair is sent.
    SXRESULT Frame(float left, float right) {
        Buffer b(0x3, 8);
        std::fill(b.Channel(0), b.Channel(0) + 8, left);
        std::fill(b.Channel(1), b.Channel(1) + 8, right);
        bus->MixMotion(&b.buffer);
        bus->EndFrame();
        return bus->SendNextPair();
    }
    SXRESULT EmptyFrame() {
        bus->EndFrame();
        return bus->SendNextPair();
    }
    std::vector<platform::PadVibration> Recorded() { return platform::RecordedVibrations(1); }

    CountingAllocator allocator;
    RumbleMixBus* bus = nullptr;
};

platform::PadVibration Speeds(float left, float right) {
    return {SxRumbleControllerPad::LeftSpeed(std::min(left, 1.0f)),
            SxRumbleControllerPad::RightSpeed(std::min(right, 1.0f))};
}

TEST(RumbleSpeeds, MotorCurvesAtTheirBreakPoints) {
    struct Case {
        float level;
        uint16_t left, right;
    } cases[] = {{0.0f, 0, 0},         {0.05f, 5816, 11059}, {0.4f, 9830, 31129}, {0.41f, 21069, 31702},
                 {1.0f, 65535, 65535}, {-3.0f, 0, 0},        {0.049f, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(SxRumbleControllerPad::LeftSpeed(c.level), c.left) << c.level;
        EXPECT_EQ(SxRumbleControllerPad::RightSpeed(c.level), c.right) << c.level;
    }
}

// A motion source plays a one-second ramp on the left and its mirror on the right at the
// motion rate (eight frames per audio frame); every level the pad records is the curve at
// some half frame, in order, and the first ones arrive one half frame after another.
TEST_F(Rumble, AMotionEventDrivesThePadAlongItsCurve) {
    sxtest::TestMemory memory;
    CSxMotionGeneratorParams params(&allocator);
    Block b;
    b.F32(1).F32(1).F32(0).F32(0).F32(0).F32(0).F32(0).F32(0).U16(0).U16(2);
    b.U16(2).F32(0).F32(0).U32(SxCurve_Linear).F32(1).F32(1).U32(SxCurve_Linear);
    b.U16(2).F32(0).F32(1).U32(SxCurve_Linear).F32(1).F32(0).U32(SxCurve_Linear);
    ASSERT_EQ(params.Init(&allocator, b.Data(), b.Size()), SX_Success);
    auto* generator = static_cast<CSxMotionGenerator*>(CreateMotionGenerator(&allocator));
    TestSourceContext context(1);
    SxAudioFormat format = Format(375, 0x3);
    ASSERT_EQ(generator->Init(&allocator, &context, &params, format), SX_Success);

    Buffer motion(0x3, 8);
    uint32_t frames = 0;
    for (bool playing = true; playing; ++frames) {
        generator->Execute(&motion.buffer);
        playing = motion.buffer.state == SX_DataReady;
        bus->MixMotion(&motion.buffer);
        bus->EndFrame();
        bus->SendNextPair();
    }
    for (int k = 0; k < 20; ++k) EmptyFrame();
    generator->Term(&allocator);
    EXPECT_EQ(frames, 47u);  // 375 samples in buffers of 8

    const auto recorded = Recorded();
    ASSERT_GE(recorded.size(), 40u);
    // The source's time adds up a step per sample, so a speed may differ from the exact
    // curve by a unit or two.
    auto near = [](uint32_t half, const platform::PadVibration& v) {
        const float t = half * 4 / 375.0f;
        const platform::PadVibration e = Speeds(t, 1.0f - t);
        return std::abs(e.leftMotor - v.leftMotor) <= 4 && std::abs(e.rightMotor - v.rightMotor) <= 4;
    };
    for (uint32_t k = 0; k < 7; ++k) EXPECT_TRUE(near(k, recorded[k])) << k;
    uint32_t half = 0;
    for (size_t k = 0; k + 1 < recorded.size(); ++k) {
        while (half < 2 * frames && !near(half, recorded[k])) ++half;
        ASSERT_LT(half, 2 * frames) << "level " << k << " is not on the curve after the one before";
    }
    EXPECT_EQ(recorded.back(), platform::PadVibration{});  // at rest when the event is over
    EXPECT_EQ(qvtest::RumbleProbe::QueuedPairs(*bus), 0);
}

TEST_F(Rumble, APadUnpluggedDuringPlayGetsTheLevelAgainWhenItComesBack) {
    for (int k = 0; k < 10; ++k) EXPECT_EQ(Frame(0.5f, 0.7f), SX_Success);
    EXPECT_TRUE(bus->IsActive());
    ASSERT_EQ(Recorded().size(), 1u);  // the same pair is sent once
    platform::UnplugPad(1);
    EXPECT_FALSE(bus->IsActive());
    int failed = 0;  // once the queued levels of before are through
    for (int k = 0; k < 10; ++k) failed += Frame(0.6f, 0.7f) == SX_Fail;
    EXPECT_GE(failed, 2);
    platform::ConnectPad(1);
    EXPECT_TRUE(bus->IsActive());
    for (int k = 0; k < 10; ++k) Frame(0.6f, 0.7f);
    const auto recorded = Recorded();
    ASSERT_FALSE(recorded.empty());
    EXPECT_EQ(recorded.back(), Speeds(0.6f, 0.7f));
    for (int k = 0; k < 20; ++k) EmptyFrame();
    EXPECT_EQ(Recorded().back(), platform::PadVibration{});
}

TEST_F(Rumble, AfterTheDataStopsTwoZeroPairsAreQueuedOnce) {
    Frame(0.8f, 0.8f);
    EXPECT_EQ(qvtest::RumbleProbe::QueuedPairs(*bus), 1);
    bus->EndFrame();                                       // no data: the motors are to rest
    EXPECT_EQ(qvtest::RumbleProbe::QueuedPairs(*bus), 3);  // the pair still queued is kept
    EXPECT_EQ(bus->SendNextPair(), SX_Success);
    EXPECT_EQ(bus->SendNextPair(), SX_Success);
    EXPECT_EQ(Recorded().back(), platform::PadVibration{});
    EXPECT_EQ(bus->SendNextPair(), SX_Success);
    EXPECT_EQ(bus->SendNextPair(), static_cast<SXRESULT>(0));  // empty
    bus->EndFrame();
    EXPECT_EQ(qvtest::RumbleProbe::QueuedPairs(*bus), 0);  // silent: nothing more is queued
    EXPECT_EQ(Recorded().size(), 2u);
}

// Frames without a send: the queue keeps its eight newest pairs and its count matches them.
TEST_F(Rumble, TheQueueDropsItsOldestPairsAndKeepsAnExactCount) {
    for (int k = 1; k <= 12; ++k) {
        Buffer b(0x3, 8);
        std::fill(b.Channel(0), b.Channel(0) + 8, 0.05f * k);
        bus->MixMotion(&b.buffer);
        bus->EndFrame();
        EXPECT_EQ(qvtest::RumbleProbe::QueuedPairs(*bus), std::min(2 * k, 8)) << k;
    }
    int sent = 0;
    while (bus->SendNextPair() != static_cast<SXRESULT>(0)) ++sent;
    EXPECT_EQ(sent, 8);
    const auto recorded = Recorded();
    ASSERT_EQ(recorded.size(), 4u);  // frames 9 to 12, each pair twice
    EXPECT_EQ(recorded.front(), Speeds(0.45f, 0.0f));
    EXPECT_EQ(recorded.back(), Speeds(0.6f, 0.0f));
}

TEST_F(Rumble, AudioDrivesBothMotorsWithTheHighestSampleOfEachHalf) {
    struct Case {
        const char* what;
        float first, second, volume;
        uint32_t mask;
        platform::PadVibration a, b;
    } cases[] = {
        {"negative samples add nothing", -0.9f, -0.2f, 1.0f, 0x3, {}, {}},
        {"halves", 0.3f, 0.6f, 1.0f, 0x3, Speeds(0.3f, 0.3f), Speeds(0.6f, 0.6f)},
        {"volume", 0.3f, 0.6f, 0.5f, 0x3, Speeds(0.15f, 0.15f), Speeds(0.3f, 0.3f)},
        {"above full scale", 2.0f, 0.2f, 1.0f, 0xB, Speeds(1.0f, 1.0f), Speeds(0.2f, 0.2f)},
    };
    for (const Case& c : cases) {
        bus->Term(&allocator);  // rests the pad's motors
        platform::ResetPads();
        platform::ConnectPad(1);
        bus = static_cast<RumbleMixBus*>(CreateRumbleMixBus(&allocator));
        ASSERT_EQ(bus->Init(&allocator, nullptr, 1, nullptr), SX_Success);
        bus->SetVolume(c.volume);
        Buffer b(c.mask, 1024);
        for (uint32_t ch = 0; ch < b.buffer.Channels(); ++ch) {
            std::fill(b.Channel(ch), b.Channel(ch) + 512, c.first);
            std::fill(b.Channel(ch) + 512, b.Channel(ch) + 1024, c.second);
        }
        bus->MixAudio(&b.buffer);
        bus->EndFrame();
        bus->SendNextPair();
        bus->SendNextPair();
        std::vector<platform::PadVibration> expected;
        for (const auto& v : {c.a, c.b})
            if (!(v == platform::PadVibration{}) && (expected.empty() || !(expected.back() == v)))
                expected.push_back(v);
        EXPECT_EQ(Recorded(), expected) << c.what;
        EXPECT_NEAR(bus->TakePeak(), std::max(0.0f, std::max(c.first, c.second) * c.volume), 1e-6f) << c.what;
        EXPECT_EQ(bus->TakePeak(), 0.0f) << c.what;
    }
}

TEST_F(Rumble, WithoutAControllerNothingReachesAPad) {
    bus->Term(&allocator);
    platform::ResetPads();
    platform::ConnectPad(1);
    bus = static_cast<RumbleMixBus*>(CreateRumbleMixBus(&allocator));
    int deviceOfAnotherKind = 0;
    ASSERT_EQ(bus->Init(&allocator, nullptr, 1, &deviceOfAnotherKind), SX_Success);
    EXPECT_FALSE(qvtest::RumbleProbe::HasController(*bus));
    EXPECT_FALSE(bus->IsActive());
    EXPECT_EQ(Frame(0.5f, 0.5f), SX_Success);

    allocator.failAfter = allocator.mallocs;  // the controller cannot be made
    ASSERT_EQ(bus->Init(&allocator, nullptr, 1, nullptr), SX_Success);
    allocator.failAfter = -1;
    EXPECT_FALSE(qvtest::RumbleProbe::HasController(*bus));
    EXPECT_EQ(Frame(0.7f, 0.5f), SX_Success);
    EXPECT_TRUE(Recorded().empty());
    EXPECT_EQ(bus->GetChannelMask(), 0x3u);
}

}  // namespace
}  // namespace fxtest
