#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/audio/OutputDevice.h"
#include "platform/os/Clock.h"
#include "support/TempTree.h"
#include "tests/platform/AudioDeviceControl.h"

using namespace platform::audio;

namespace {

class OutputDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(); }
    void TearDown() override { control::Reset(); }
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    PcmFormat stereo{48000, 2, 16, 3};
};

TEST_F(OutputDeviceTest, CursorsFollowTheClockAndWrap) {
    auto device = OutputDevice::Open();
    ASSERT_TRUE(device);
    const uint32_t size = 4 * 4096;  // 4096 frames
    auto buffer = device->CreateBuffer(stereo, size);
    ASSERT_TRUE(buffer);
    uint32_t play = 1, write = 1;
    clock.Advance(1.0);
    ASSERT_TRUE(buffer->GetCurrentPosition(play, write));
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(write, 0u);

    ASSERT_TRUE(buffer->Play());
    struct Step {
        double seconds;
        uint32_t play;
    } steps[] = {
        // Frame counts in multiples of 3 so that the nanosecond clock holds them exactly.
        {999.0 / 48000, 999 * 4},
        {3000.0 / 48000, 3999 * 4},
        {201.0 / 48000, (4200 % 4096) * 4},  // wrapped
    };
    for (const Step& s : steps) {
        clock.Advance(s.seconds);
        ASSERT_TRUE(buffer->GetCurrentPosition(play, write));
        EXPECT_EQ(play, s.play);
        EXPECT_EQ(write, (s.play + 480 * 4) % size);  // 10 ms ahead
    }
    buffer->Stop();
    clock.Advance(0.5);
    ASSERT_TRUE(buffer->GetCurrentPosition(play, write));
    EXPECT_EQ(play, (4200 % 4096) * 4u);
    EXPECT_EQ(write, play);
}

TEST_F(OutputDeviceTest, WrappingLockCapturesBothPartsInOrder) {
    auto buffer = OutputDevice::Open()->CreateBuffer(stereo, 16);
    ASSERT_TRUE(buffer);
    control::StartCapture();
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_TRUE(buffer->Lock(12, 8, &p1, &n1, &p2, &n2));
    EXPECT_EQ(n1, 4u);
    EXPECT_EQ(n2, 4u);
    std::memset(p1, 1, n1);
    std::memset(p2, 2, n2);
    EXPECT_FALSE(buffer->Lock(0, 4, &p1, &n1, &p2, &n2)) << "already locked";
    ASSERT_TRUE(buffer->Unlock(p1, n1, p2, n2));
    EXPECT_EQ(control::Captured(), (std::vector<uint8_t>{1, 1, 1, 1, 2, 2, 2, 2}));
    EXPECT_FALSE(buffer->Lock(16, 4, &p1, &n1, &p2, &n2));
    EXPECT_FALSE(buffer->Lock(0, 20, &p1, &n1, &p2, &n2));
}

TEST_F(OutputDeviceTest, ForcedFailures) {
    control::SetOpenFails(true);
    EXPECT_FALSE(OutputDevice::Open());
    control::SetOpenFails(false);
    auto device = OutputDevice::Open();
    ASSERT_TRUE(device);

    control::SetMaxChannels(2);
    EXPECT_FALSE(device->CreateBuffer(PcmFormat{48000, 6, 16, 63}, 6 * 2048));
    EXPECT_TRUE(device->CreateBuffer(stereo, 4096));
    EXPECT_FALSE(device->CreateBuffer(stereo, 4095)) << "not whole frames";

    uint32_t config = 0;
    control::SetSpeakerConfig(kSpeaker5Point1);
    ASSERT_TRUE(device->GetSpeakerConfig(config));
    EXPECT_EQ(config, kSpeaker5Point1);
    control::SetSpeakerConfig(kSpeakerStereo, false);
    EXPECT_FALSE(device->GetSpeakerConfig(config));

    auto buffer = device->CreateBuffer(stereo, 4096);
    uint32_t play, write;
    control::SetPositionFails(true);
    EXPECT_FALSE(buffer->GetCurrentPosition(play, write));
    EXPECT_EQ(control::LiveBuffers(), 1);
}

TEST_F(OutputDeviceTest, SavedWavReadsBack) {
    qvtest::TempTree tree;
    const std::vector<uint8_t> data = {1, 0, 0xFF, 0x7F, 0, 0x80, 2, 0};
    ASSERT_TRUE(control::SaveWav("out.wav", stereo, data));
    std::ifstream in("out.wav", std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(file.size(), 44u + data.size());
    auto u32 = [&](size_t at) {
        return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | uint32_t(file[at + 3]) << 24;
    };
    auto u16 = [&](size_t at) { return uint32_t(file[at] | file[at + 1] << 8); };
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(u32(4), 36u + data.size());
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(u16(20), 1u);
    EXPECT_EQ(u16(22), 2u);
    EXPECT_EQ(u32(24), 48000u);
    EXPECT_EQ(u32(28), 192000u);
    EXPECT_EQ(u16(32), 4u);
    EXPECT_EQ(u16(34), 16u);
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    EXPECT_EQ(u32(40), data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), file.begin() + 44));
    EXPECT_FALSE(control::SaveWav("missing-dir/out.wav", stereo, data));
}

}  // namespace
