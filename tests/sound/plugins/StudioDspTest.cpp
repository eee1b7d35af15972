#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "StudioTestSupport.h"
#include "sound/plugins/studio/StudioDsp.h"
#include "sound/plugins/studio/StudioSlidingMax.h"

using namespace SX;
using studiotest::CountingAllocator;

namespace {

TEST(StudioDspTest, ArenaHandsOutItsBlockFrontToBackAndGivesItBack) {
    CountingAllocator allocator;
    DSPMemoryArena arena;
    arena.Free(&allocator);
    EXPECT_EQ(allocator.calls + allocator.frees, 0) << "freeing a never-allocated arena asks nothing";
    ASSERT_EQ(arena.Allocate(&allocator, 64), SX_Success);
    uint32_t size = 0;
    uint8_t* base = static_cast<uint8_t*>(arena.GetBase(&size));
    EXPECT_EQ(size, 64u);
    EXPECT_TRUE(std::all_of(base, base + 64, [](uint8_t b) { return b == 0; })) << "zeroed";
    EXPECT_EQ(arena.Carve(16), base);
    EXPECT_EQ(arena.Carve(8), base + 16);
    arena.Free(&allocator);
    EXPECT_EQ(arena.GetBase(), nullptr);
    EXPECT_EQ(allocator.live, 0);

    allocator.failAfter = allocator.calls;
    EXPECT_EQ(arena.Allocate(&allocator, 0), SX_InsufficientMemory);
    EXPECT_EQ(arena.GetBase(), nullptr);
    EXPECT_EQ(arena.Carve(4), nullptr) << "nothing to carve from";
}

struct Pair {
    float a, b;
};

TEST(StudioDspTest, StageHeaderCarvesOneRecordPerChannel) {
    CountingAllocator allocator;
    DSPMemoryArena arena;
    DSPStageHeader header;
    EXPECT_EQ(header.sampleRate, 44100u);
    EXPECT_EQ(header.channels, 1u);
    EXPECT_EQ(DSPStageHeader::SizeFor<Pair>(6), 48u);
    EXPECT_EQ(DSPStageHeader::SizeFor<Pair>(0xFFFFFFFFu), 0xFFFFFFFFu) << "limited to the largest u32";
    EXPECT_EQ(header.Init<Pair>(arena, 2, 48000), SX_InsufficientMemory) << "no block yet";
    ASSERT_EQ(arena.Allocate(&allocator, DSPStageHeader::SizeFor<Pair>(2)), SX_Success);
    ASSERT_EQ(header.Init<Pair>(arena, 2, 48000), SX_Success);
    EXPECT_EQ(header.RecordAt<Pair>(0), arena.GetBase());
    EXPECT_EQ(reinterpret_cast<uint8_t*>(header.RecordAt<Pair>(1)) - static_cast<uint8_t*>(arena.GetBase()), 8);
    arena.Free(&allocator);
}

TEST(StudioDspTest, TimeConstantsBecomeOnePoleCoefficientsAndSampleCounts) {
    StudioTimeContext time;
    struct Case {
        int32_t rate;
        double ms;
        double coefficient;
        int32_t samples;
    };
    const Case cases[] = {
        {48000, 1.0, 1.0 / 48, 48},
        {48000, 0.01, 1.0, 0},
        {48000, 0.0, 1.0, 0},
        {44100, 10.0, 1.0 / 441, 441},
        {48000, -5.0, 1.0, 0},
        {44100, NAN, 1.0, 0},
        {96000, 1e12, 1.0 / 9.6e13, 2147483647},
    };
    for (const Case& k : cases) {
        time.Get(k.rate);
        EXPECT_DOUBLE_EQ(TimeToCoefficient(time, k.ms), k.coefficient) << k.rate << " " << k.ms;
        EXPECT_EQ(TimeToSamples(time, k.ms), k.samples) << k.rate << " " << k.ms;
    }
    EXPECT_EQ(ClampedReciprocal(0.0), 1.0);
    EXPECT_EQ(ClampedReciprocal(4.0), 0.25);
}

TEST(StudioDspTest, EachInstanceKeepsItsOwnRate) {
    StudioTimeContext a, b;
    a.Get(48000);
    b.Get(24000);
    EXPECT_DOUBLE_EQ(TimeToCoefficient(a, 1.0), 1.0 / 48) << "another instance's rate does not leak in";
    StudioDesignContext d;
    EXPECT_EQ(d.sampleRate, 44100);
    EXPECT_DOUBLE_EQ(d.Get(48000).invSampleRate, 1.0 / 48000);
}

TEST(StudioDspTest, SlidingMaximumMatchesAScanOfTheWindow) {
    for (uint32_t window : {1u, 2u, 7u, 55u, 300u}) {
        std::vector<float> values(window), history;
        std::vector<uint32_t> stamps(window);
        StudioSlidingMax max;
        max.Init(values.data(), stamps.data(), window);
        uint32_t state = 99 + window;
        for (int i = 0; i < 5000; ++i) {
            state = state * 1664525u + 1013904223u;
            // Runs of rising, falling and equal values as well as noise.
            const float v = i % 700 < 100   ? float(i % 100)
                            : i % 700 < 200 ? float(200 - i % 700)
                            : i % 700 < 260 ? 3.0f
                                            : float(state >> 8);
            history.push_back(v);
            const size_t from = history.size() > window ? history.size() - window : 0;
            const float expected = *std::max_element(history.begin() + from, history.end());
            ASSERT_EQ(max.Push(v), expected) << "window " << window << " at " << i;
        }
    }
}

TEST(StudioDspTest, SectionsRunInDirectFormOne) {
    BiquadDesign design;
    design.b0 = 0.5;
    design.b1 = 0.25;
    design.b2 = 0.125;
    design.a1 = -0.5;
    design.a2 = 0.25;
    const BiquadCoefs c = ToCoefs(design);
    BiquadState s;
    const float in[] = {1, 0, 0, 0};
    const float expected[] = {0.5f, 0.25f + 0.25f, 0.125f + 0.25f - 0.125f, 0.5f * 0.25f - 0.25f * 0.5f};
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(RunSection(c, s, in[i]), expected[i]) << i;
    BiquadState unityState;
    EXPECT_EQ(RunSection(ToCoefs(BiquadDesign::Unity()), unityState, 0.3f), 0.3f);
}

}  // namespace
