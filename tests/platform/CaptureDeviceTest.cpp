// The input device: frames come out in order, whole, and a full device drops new ones.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/audio/CaptureDevice.h"

namespace {

using platform::audio::CaptureDevice;
using platform::audio::PcmFormat;

PcmFormat Stereo() {
    PcmFormat format;
    format.channels = 2;
    return format;
}

TEST(CaptureDevice, FramesComeOutInOrderAndAFullDeviceDropsNewOnes) {
    CaptureDevice device(Stereo(), 4);
    const int16_t first[] = {1, -1, 2, -2, 3, -3};
    EXPECT_EQ(device.Deliver(first, 3), 3u);
    const int16_t more[] = {4, -4, 5, -5};
    EXPECT_EQ(device.Deliver(more, 2), 1u);
    int16_t out[10] = {};
    EXPECT_EQ(device.Take(out, 3), 3u);
    EXPECT_EQ(std::vector<int16_t>(out, out + 6), std::vector<int16_t>(first, first + 6));
    EXPECT_EQ(device.Take(out, 5), 1u);
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(out[1], -4);
    EXPECT_EQ(device.Take(out, 5), 0u);
}

TEST(CaptureDevice, DeliveryAndTakingOnTwoThreadsKeepEveryFrameWhole) {
    CaptureDevice device(Stereo(), 1 << 20);
    std::thread recorder([&] {
        for (int16_t i = 0; i < 2000; ++i) {
            const int16_t frame[] = {i, static_cast<int16_t>(-i)};
            device.Deliver(frame, 1);
        }
    });
    int16_t expected = 0;
    while (expected < 2000) {
        int16_t frame[2];
        if (device.Take(frame, 1) == 0) continue;
        ASSERT_EQ(frame[0], expected);
        ASSERT_EQ(frame[1], -expected);
        ++expected;
    }
    recorder.join();
}

}  // namespace
