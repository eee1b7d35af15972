#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/os/Clock.h"
#include "sound/engine/output/CSxSinkDevice.h"
#include "sound/engine/output/CSxSinkDummy.h"
#include "SxTestMemory.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxSourceProbes.h"

using namespace SX;
namespace control = platform::audio::control;

namespace {

struct SinkDeleter {
    void operator()(CSxSinkDevice* sink) const { SxDelete(g_DefaultPoolId, sink); }
};
using SinkPtr = std::unique_ptr<CSxSinkDevice, SinkDeleter>;

SinkPtr CreateSink(const SxPlatformInitSettings& settings) {
    return SinkPtr(CSxSinkDevice::Create(settings, 48000, 10, g_DefaultPoolId));
}

class SinkTest : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(); }
    void TearDown() override { control::Reset(); }
    SinkPtr MakeSink(uint32_t mask = 3) {
        SxPlatformInitSettings settings;
        settings.channelMask = mask;
        auto sink = CreateSink(settings);
        EXPECT_TRUE(sink);
        if (sink) {
            EXPECT_EQ(sink->Init(), SX_Success);
        }
        return sink;
    }
    sxtest::TestMemory memory;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
};

TEST(SinkCursors, StarvationAndFreeSpaceTable) {
    constexpr uint32_t size = 16384;
    struct Case {
        const char* what;
        uint32_t previousPlay, writeOffset, writeCursor, playCursor;
        bool starved;
        uint32_t freeBytes;
    } cases[] = {
        {"not starved: offset ahead of the write cursor", 1000, 8000, 3000, 2000, false, size - 8000 + 2000},
        {"starved: device claimed past the offset", 1000, 2000, 3000, 2500, true, 500},
        {"offset at the write cursor is not starved", 1000, 3000, 3000, 2000, false, size - 3000 + 2000},
        {"starved across the wrap, offset before the cursor", 15000, 500, 1000, 200, true, size - 500 + 200},
        {"starved across the wrap, offset before the end", 15000, 16000, 500, 100, true, size - 16000 + 100},
        {"not starved across the wrap", 15000, 2000, 500, 100, false, size - 2000 + 100},
        {"wrap-around free space", 12000, 15000, 14000, 1000, false, size - 15000 + 1000},
        {"offset on the play cursor: nothing free", 0, 4096, 6016, 4096, true, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CSxSinkDevice::WriteOffsetOverrun(c.previousPlay, c.writeOffset, c.writeCursor), c.starved) << c.what;
        EXPECT_EQ(CSxSinkDevice::FreeBytes(c.playCursor, c.writeOffset, size), c.freeBytes) << c.what;
    }
}

TEST_F(SinkTest, NotStartedReportsTheWholeBufferThenFollowsThePlayCursor) {
    auto sink = MakeSink();
    ASSERT_EQ(qvtest::SinkProbe::BufferSize(*sink), 4u * 4096);
    ASSERT_EQ(sink->Play(), SX_Success);
    uint32_t buffers = 0;
    ASSERT_EQ(sink->GetRefillSize(buffers), SX_Success);
    EXPECT_EQ(buffers, 4u);
    for (int i = 0; i < 4; ++i) ASSERT_EQ(sink->PassSilence(1024), SX_Success);
    EXPECT_EQ(qvtest::SinkProbe::WriteOffset(*sink), 0u);
    // Still 0/0, but now because nothing has played: the buffer is full, not free.
    ASSERT_EQ(sink->GetRefillSize(buffers), SX_Success);
    EXPECT_EQ(buffers, 0u);

    clock.Advance(3072.0 / 48000);  // three frames
    ASSERT_EQ(sink->GetRefillSize(buffers), SX_Success);
    EXPECT_EQ(buffers, 3u);
    EXPECT_FALSE(sink->IsStarved());

    // The device ran past everything written: starvation is reported.
    clock.Advance(3072.0 / 48000);
    ASSERT_EQ(sink->GetRefillSize(buffers), SX_Success);
    EXPECT_TRUE(sink->IsStarved());
    sink->ResetStarved();
    EXPECT_FALSE(sink->IsStarved());

    control::SetPositionFails(true);
    EXPECT_EQ(sink->GetRefillSize(buffers), SX_Fail);
}

TEST_F(SinkTest, ChannelMaskFromSettingsAndSpeakerLayout) {
    namespace pa = platform::audio;
    struct Case {
        uint32_t setting, layout;
        bool readable;
        uint16_t maxChannels;
        uint32_t mask;
    } cases[] = {
        {0, pa::kSpeakerHeadphone, true, 8, 3}, {0, pa::kSpeakerStereo, true, 8, 3},
        {0, pa::kSpeakerQuad, true, 8, 63},     {0, pa::kSpeaker5Point1, true, 8, 63},
        {0, pa::kSpeaker7Point1, true, 8, 63},  {0, pa::kSpeaker5Point1Surround | 0x100, true, 8, 63},
        {0, pa::kSpeaker5Point1, false, 8, 3},  {7, pa::kSpeaker5Point1, true, 8, 3},
        {63, pa::kSpeakerStereo, true, 8, 63},  {63, pa::kSpeakerStereo, true, 2, 3},
    };
    for (const Case& c : cases) {
        control::SetSpeakerConfig(c.layout, c.readable);
        control::SetMaxChannels(c.maxChannels);
        SxPlatformInitSettings settings;
        settings.channelMask = c.setting;
        auto sink = CreateSink(settings);
        ASSERT_TRUE(sink);
        EXPECT_EQ(sink->ChannelMask(), c.mask) << c.setting << " " << c.layout;
    }
    control::SetOpenFails(true);
    EXPECT_FALSE(CreateSink(SxPlatformInitSettings()));
}

TEST_F(SinkTest, DataIsConvertedAndSilenceAndEmptyFramesMoveTheOffsetAsDue) {
    auto sink = MakeSink();
    control::StartCapture();
    std::vector<float> frame(2 * 1024, 0.5f);
    SxAudioBuffer buffer;
    buffer.data = frame.data();
    buffer.channelMask = 3;
    buffer.maxFrames = 1024;
    buffer.validFrames = 0;
    ASSERT_EQ(sink->PassData(buffer), SX_Success);
    EXPECT_EQ(qvtest::SinkProbe::WriteOffset(*sink), 0u);
    EXPECT_EQ(control::CapturedBytes(), 0u);

    buffer.validFrames = 1024;
    ASSERT_EQ(sink->PassData(buffer), SX_Success);
    EXPECT_EQ(qvtest::SinkProbe::WriteOffset(*sink), 4096u);
    ASSERT_EQ(sink->PassSilence(512), SX_Success);
    EXPECT_EQ(qvtest::SinkProbe::WriteOffset(*sink), 4096u + 2048);
    const auto bytes = control::Captured();
    ASSERT_EQ(bytes.size(), 4096u + 2048);
    int16_t first, last;
    std::memcpy(&first, bytes.data(), 2);
    std::memcpy(&last, bytes.data() + 4094, 2);
    EXPECT_EQ(first, 16384);
    EXPECT_EQ(last, 16384);
    EXPECT_EQ(bytes.back(), 0);
}

TEST_F(SinkTest, DataAfterAPartFrameOfSilenceWrapsAtTheBufferEnd) {
    auto sink = MakeSink();
    const uint32_t size = qvtest::SinkProbe::BufferSize(*sink);
    control::StartCapture();
    std::vector<float> frame(2 * 1024, 0.5f);
    SxAudioBuffer buffer{frame.data(), 3, SX_DataReady, 1024, 1024};
    ASSERT_EQ(sink->PassSilence(512), SX_Success);
    const uint32_t frames = size / 4096;
    for (uint32_t i = 0; i < frames; ++i) ASSERT_EQ(sink->PassData(buffer), SX_Success);
    EXPECT_EQ(qvtest::SinkProbe::WriteOffset(*sink), 2048u);
    const auto bytes = control::Captured();
    ASSERT_EQ(bytes.size(), 2048u + size);
    for (size_t i = 2048; i < bytes.size(); i += 2) {
        int16_t sample;
        std::memcpy(&sample, bytes.data() + i, 2);
        ASSERT_EQ(sample, 16384) << i;
    }
}

TEST_F(SinkTest, StereoMixOnAFivePointOneDeviceGoesToLeftAndRight) {
    auto sink = MakeSink(63);
    control::StartCapture();
    std::vector<float> frame(2 * 1024);
    for (uint32_t k = 0; k < 1024; ++k) frame[2 * k] = 0.5f, frame[2 * k + 1] = -0.25f;
    SxAudioBuffer buffer{frame.data(), 3, SX_DataReady, 1024, 1024};
    ASSERT_EQ(sink->PassData(buffer), SX_Success);
    const auto bytes = control::Captured();
    ASSERT_EQ(bytes.size(), 6u * 2 * 1024);
    int16_t device[6];
    std::memcpy(device, bytes.data() + 12 * 7, sizeof device);
    const int16_t expected[6] = {16383, -8191, 0, 0, 0, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(device[i], expected[i]) << i;
}

TEST_F(SinkTest, DummySinkKeepsExactPaceAcrossQueriesAndTickWrap) {
    CSxSinkDummy sink(48000, 10);
    uint32_t total = 0, buffers = 0;
    for (int i = 0; i < 1024; ++i) {  // 10.24 s in 10 ms steps
        clock.Advance(0.010);
        ASSERT_EQ(sink.GetRefillSize(buffers), SX_Success);
        total += buffers;
    }
    EXPECT_EQ(total, 480u);  // 10.24 s x 48000 / 1024

    clock.Advance(4294967.296 - clock.Now() - 0.010);  // 10 ms before the tick count wraps
    CSxSinkDummy wrapping(48000, 10);
    clock.Advance(0.064);
    ASSERT_EQ(wrapping.GetRefillSize(buffers), SX_Success);
    EXPECT_EQ(buffers, 3u);
}

}  // namespace
