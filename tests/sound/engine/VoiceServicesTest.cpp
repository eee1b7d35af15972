#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "SxTestMemory.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/lower/CSxSrcLpFilter.h"
#include "sound/engine/lower/SxPipelineBuffer.h"

using namespace SX;

namespace {

// The lower engine's pool stands on the test's default pool.
class VoiceServicesTest : public ::testing::Test {
protected:
    void SetUp() override { g_LEngineDefaultPoolId = g_DefaultPoolId; }
    void TearDown() override {
        CSxLEngine::FreeCachedAudioBuffers();
        g_LEngineDefaultPoolId = SxInvalidPoolId;
    }
    sxtest::TestMemory memory;
};

TEST_F(VoiceServicesTest, CachedBuffersServeTheirWholeSizeClass) {
    void* first = CSxLEngine::GetCachedAudioBuffer(1500);
    ASSERT_NE(first, nullptr);
    const uint32_t used = memory.Used();
    CSxLEngine::ReleaseCachedAudioBuffer(1500, first);
    void* again = CSxLEngine::GetCachedAudioBuffer(2048);
    EXPECT_EQ(again, first) << "a 1500-byte request took a 2048-byte buffer";
    std::memset(again, 0x5A, 2048);
    CSxLEngine::ReleaseCachedAudioBuffer(2048, again);
    EXPECT_EQ(memory.Used(), used) << "kept, not freed";
    void* small = CSxLEngine::GetCachedAudioBuffer(10);
    void* other = CSxLEngine::GetCachedAudioBuffer(2049);
    EXPECT_NE(small, first) << "below 1 KB is a class of its own";
    EXPECT_NE(other, first);
    CSxLEngine::ReleaseCachedAudioBuffer(10, small);
    CSxLEngine::ReleaseCachedAudioBuffer(2049, other);
}

TEST_F(VoiceServicesTest, AThirdFreeBufferOfAClassIsFreedAndLargeOnesAreNotKept) {
    void* a = CSxLEngine::GetCachedAudioBuffer(4096);
    void* b = CSxLEngine::GetCachedAudioBuffer(4096);
    void* c = CSxLEngine::GetCachedAudioBuffer(4096);
    CSxLEngine::ReleaseCachedAudioBuffer(4096, a);
    CSxLEngine::ReleaseCachedAudioBuffer(4096, b);
    const uint32_t withTwoKept = memory.Used();
    CSxLEngine::ReleaseCachedAudioBuffer(4096, c);
    EXPECT_LT(memory.Used(), withTwoKept);
    void* large = CSxLEngine::GetCachedAudioBuffer(30000);
    ASSERT_NE(large, nullptr);
    const uint32_t withLarge = memory.Used();
    CSxLEngine::ReleaseCachedAudioBuffer(30000, large);
    EXPECT_LT(memory.Used(), withLarge);
    CSxLEngine::FreeCachedAudioBuffers();
    EXPECT_LT(memory.Used(), withTwoKept);
}

TEST_F(VoiceServicesTest, PipelineBuffersTakeTheirDataAndMarkersFromThePool) {
    SxPipelineBuffer buffer;
    ASSERT_EQ(buffer.AllocateData(1024, SxChannelMaskStereo), SX_Success);
    EXPECT_EQ(buffer.maxFrames, 1024);
    EXPECT_EQ(buffer.validFrames, 0);
    buffer.Channel(1)[1023] = 1.0f;  // the whole of both channels is there

    SxPipelineBuffer source;
    SxPipelineMarker markers[3];
    markers[0].cueID = 1;
    markers[0].position = 99;
    markers[1].cueID = 2;
    markers[1].position = 100;
    markers[2].cueID = 3;
    markers[2].position = 200;
    source.markers = markers;
    source.markerCount = 3;
    buffer.CopyMarkers(source, 100, 100);
    ASSERT_EQ(buffer.markerCount, 1);
    EXPECT_EQ(buffer.markers[0].cueID, 2u);
    EXPECT_EQ(buffer.markers[0].position, 0u) << "relative to the start of the buffer";
    buffer.CopyMarkers(source, 0, 1000);
    ASSERT_EQ(buffer.markerCount, 4) << "appended to what it held";
    EXPECT_EQ(buffer.markers[3].cueID, 3u);
    buffer.FreeMarkers();
    EXPECT_EQ(buffer.markerCount, 0);
    buffer.ReleaseData();
    EXPECT_EQ(buffer.maxFrames, 0);
}

std::vector<float> Sine(float frequency, uint32_t frames) {
    std::vector<float> samples(frames);
    for (uint32_t k = 0; k < frames; ++k) samples[k] = std::sin(2.0f * 3.14159265f * frequency * k / 48000.0f);
    return samples;
}

float Peak(const float* samples, uint32_t first, uint32_t count) {
    float peak = 0.0f;
    for (uint32_t k = first; k < first + count; ++k) peak = std::max(peak, std::fabs(samples[k]));
    return peak;
}

TEST_F(VoiceServicesTest, LowPassBypassesAtLowValuesAndFiltersAtOnceOnItsFirstValue) {
    CSxSrcLpFilter filter;
    ASSERT_EQ(filter.Init(4, false), SX_Success);
    std::vector<float> tone = Sine(10000.0f, 1024);
    const std::vector<float> original = tone;
    SxAudioBuffer buffer{tone.data(), 4, SX_DataReady, 1024, 1024};
    filter.SetValue(0.1f);
    filter.Execute(buffer);
    EXPECT_TRUE(filter.IsBypassed());
    EXPECT_EQ(tone, original);

    CSxSrcLpFilter strong;
    ASSERT_EQ(strong.Init(4, false), SX_Success);
    strong.SetValue(80.0f);  // about 95 Hz
    strong.Execute(buffer);
    EXPECT_FALSE(strong.IsRamping()) << "a first value takes effect without a ramp";
    EXPECT_LT(Peak(tone.data(), 64, 960), 0.01f) << "10 kHz, far above the cutoff, loses more than 40 dB";
}

TEST_F(VoiceServicesTest, LowPassRampsAChangeOverEightStepsAndEndsBypassed) {
    CSxSrcLpFilter filter;
    ASSERT_EQ(filter.Init(SxChannelMaskStereo, false), SX_Success);
    std::vector<float> data(2 * 1024, 0.0f);
    SxAudioBuffer buffer{data.data(), SxChannelMaskStereo, SX_DataReady, 1024, 512};
    filter.SetValue(50.0f);
    filter.Execute(buffer);
    filter.SetValue(0.0f);
    filter.Execute(buffer);
    EXPECT_TRUE(filter.IsRamping()) << "512 frames cover four of the eight steps";
    EXPECT_FALSE(filter.IsBypassed());
    filter.Execute(buffer);
    EXPECT_FALSE(filter.IsRamping());
    EXPECT_TRUE(filter.IsBypassed()) << "a ramp down to 0 ends bypassed";
    filter.SetValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(filter.Target(), 0.0f);
    filter.SetValue(250.0f);
    EXPECT_EQ(filter.Target(), 100.0f);
}

TEST_F(VoiceServicesTest, LowPassKeepsDirectCurrentAndRunsFiniteAtEveryValue) {
    for (float value : {0.5f, 10.0f, 29.9f, 30.0f, 60.0f, 100.0f}) {
        for (bool motion : {false, true}) {
            CSxLEngine::FreeCachedAudioBuffers();
            CSxSrcLpFilter filter;
            ASSERT_EQ(filter.Init(4, motion), SX_Success);
            filter.SetValue(value);
            std::vector<float> ones(1024, 1.0f);
            SxAudioBuffer buffer{ones.data(), 4, SX_DataReady, 1024, 1024};
            for (int i = 0; i < 40; ++i) {
                std::fill(ones.begin(), ones.end(), 1.0f);
                filter.Execute(buffer);
            }
            // The lowest cutoffs (17 Hz at 100) lose a little to single precision.
            EXPECT_NEAR(ones[1023], 1.0f, value < 90.0f ? 0.01f : 0.05f) << value << (motion ? " motion" : "");
            EXPECT_GT(CSxSrcLpFilter::ValueToCutoff(value, motion), 0.0f);
        }
    }
}

}  // namespace
