#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <thread>
#include <type_traits>
#include <vector>

#include "core/Random.h"
#include "core/WorkerPool.h"
#include "platform/os/Random.h"

namespace {

class RandomTest : public ::testing::Test {
protected:
    void SetUp() override { SD::SetRandomState(SD::kRandomStartState); }
};

TEST_F(RandomTest, XorshiftFromItsPublishedStartValues) {
    EXPECT_EQ(SD::RandomNext(), 3701687786u);
    EXPECT_EQ(SD::RandomNext(), 458299110u);
}

TEST_F(RandomTest, SeedingTakesFourRuntimeValues) {
    platform::crt_srand(1);  // 41, 18467, 6334, 26500
    SD::SeedRandom();
    SD::RandomState s = SD::GetRandomState();
    EXPECT_EQ(s.x, 26500u);
    EXPECT_EQ(s.y, 6334u);
    EXPECT_EQ(s.z, 18467u);
    EXPECT_EQ(s.w, 41u);
    EXPECT_EQ(SD::RandomNext(), 54492138u);
}

TEST_F(RandomTest, IntegersCoverBothEndsWhateverTheOrder) {
    EXPECT_EQ(SD::RandomInt(5, 5), 5u);
    bool seen[10] = {};
    for (int i = 0; i < 2000; ++i) {
        unsigned v = SD::RandomInt(9, 3);
        ASSERT_GE(v, 3u);
        ASSERT_LE(v, 9u);
        seen[v] = true;
    }
    for (unsigned v = 3; v <= 9; ++v) EXPECT_TRUE(seen[v]) << v;
    SD::RandomInt(0, 0xFFFFFFFFu);  // the span wraps to 0: no division by zero
}

TEST_F(RandomTest, FloatsStayInTheHalfOpenRange) {
    for (int i = 0; i < 2000; ++i) {
        float f = SD::RandomFloat(2.0f, 1.0f);
        ASSERT_GE(f, 1.0f);
        ASSERT_LT(f, 2.0f);
        double d = SD::RandomDouble(-3.0, 7.5);
        ASSERT_GE(d, -3.0);
        ASSERT_LT(d, 7.5);
    }
    SD::SetRandomState(SD::kRandomStartState);
    // The raw value is the output times 2^-15; (0, 1) keeps its fractional part.
    double raw = 3701687786.0 / 32768.0;
    EXPECT_FLOAT_EQ(SD::RandomFloat(0.0f, 1.0f), static_cast<float>(raw - static_cast<long long>(raw)));
    EXPECT_EQ(SD::RandomFloat(1.0f, 1.0f), 1.0f);
    EXPECT_EQ(SD::RandomDouble(4.0, 4.0), 4.0);
}

// A state whose next output is the given value: with x = 0 the step gives w ^ (w >> 19).
SD::RandomState StateGiving(uint32_t output) { return {0u, 0u, 0u, output ^ (output >> 19)}; }

// A remainder just below the span rounds up to the upper bound when it is added to a large
// lower bound in single precision; the upper bound itself must never come out.
TEST_F(RandomTest, FloatsNeverReachTheUpperBound) {
    struct Case {
        float low, high;
        uint32_t output;
    };
    for (Case c : {Case{1000.0f, 1000.1f, 3275u}, Case{1000.0f, 1000.1f, 9827u}, Case{5000.0f, 5001.0f, 32760u}}) {
        SD::SetRandomState(StateGiving(c.output));
        const float value = SD::RandomFloat(c.high, c.low);
        EXPECT_LT(value, c.high) << c.low << " " << c.output;
        EXPECT_GE(value, c.low) << c.low << " " << c.output;
    }
}

// The ranges take the raw value modulo their span exactly as std::fmod does, whatever the span:
// spans far below the raw values (long quotients), around them, above them and infinite.
TEST_F(RandomTest, RangesTakeTheExactRemainderOfTheRawValue) {
    const float floatSpans[] = {1e-30f, 1e-7f, 0.001f, 0.1f, 1.0f / 3.0f, 2.0f, 6.2831855f, 100.3f, 131071.5f, 3e38f};
    const double doubleSpans[] = {1e-300, 1e-9, 0.1, 1.0 / 3.0, 7.5, 1e17, std::numeric_limits<double>::infinity()};
    const uint32_t outputs[] = {0u, 1u, 32767u, 32768u, 3275u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFEu};
    // From 0 to the span, so the span is exactly the bounds' difference.
    auto check = [](uint32_t output, auto span, auto draw) {
        SD::SetRandomState(StateGiving(output));
        const auto value = draw();
        using T = std::remove_const_t<decltype(value)>;
        T expected = static_cast<T>(std::fmod(static_cast<double>(output) / 32768.0, static_cast<double>(span)));
        if (!(expected < span)) expected = std::nextafter(span, T(0));
        EXPECT_EQ(value, expected) << "output " << output << " span " << span;
    };
    SD::SetRandomState(SD::kRandomStartState);
    std::vector<uint32_t> drawn(outputs, outputs + std::size(outputs));
    for (int i = 0; i < 2000; ++i) drawn.push_back(SD::RandomNext());
    for (uint32_t output : drawn) {
        for (float span : floatSpans) check(output, span, [&] { return SD::RandomFloat(0.0f, span); });
        for (double span : doubleSpans) check(output, span, [&] { return SD::RandomDouble(0.0, span); });
    }
}

TEST_F(RandomTest, TheRawNumberIsTheOutputOverTwoToTheFifteenth) {
    EXPECT_DOUBLE_EQ(SD::RandomRaw(), 3701687786.0 / 32768.0);
    SD::SetRandomState(SD::kRandomStartState);
    EXPECT_FLOAT_EQ(SD::Rand(), static_cast<float>(3701687786.0 / 32768.0));
    EXPECT_DOUBLE_EQ(SD::RandomRaw(), 458299110.0 / 32768.0) << "each call advances the generator once";
}

TEST_F(RandomTest, RandomVectorsDrawTheLastComponentFirstWithinEachPair) {
    // The first draw of a fresh generator, taken alone for one pair.
    const float first = SD::RandomFloat(-150.0f, 150.0f);
    SD::SetRandomState(SD::kRandomStartState);
    const SD::Vec3 v = SD::RandomVec3(-150.0f, 150.0f, 0.0f, 2.0f, 150.0f, -150.0f);
    EXPECT_FLOAT_EQ(v.z, first);
    SD::SetRandomState(SD::kRandomStartState);
    EXPECT_EQ(SD::RandomVec3(-150.0f, 150.0f, 0.0f, 2.0f, 150.0f, -150.0f), v)
        << "the same state gives the same vector";

    SD::SetRandomState(SD::kRandomStartState);
    const SD::Vec4 w = SD::RandomVec4(0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, -150.0f, 150.0f);
    EXPECT_FLOAT_EQ(w.w, first);

    for (int i = 0; i < 500; ++i) {
        const SD::Vec3 r = SD::RandomVec3(-150.0f, 150.0f, 0.0f, 2.0f, 150.0f, -150.0f);
        ASSERT_GE(r.x, -150.0f);
        ASSERT_LT(r.x, 150.0f);
        ASSERT_GE(r.y, 0.0f);
        ASSERT_LT(r.y, 2.0f);
        ASSERT_GE(r.z, -150.0f) << "the reversed pair is reordered";
        ASSERT_LT(r.z, 150.0f);
        const SD::Vec4 q = SD::RandomVec4(1.0f, 0.0f, 5.0f, 6.0f, -1.0f, -2.0f, 10.0f, 20.0f);
        ASSERT_TRUE(q.x >= 0.0f && q.x < 1.0f && q.y >= 5.0f && q.y < 6.0f && q.z >= -2.0f && q.z < -1.0f &&
                    q.w >= 10.0f && q.w < 20.0f);
    }
}

TEST_F(RandomTest, AnEmptyPairGivesItsBoundAndStillUsesItsDraw) {
    const SD::Vec3 v = SD::RandomVec3(3.0f, 3.0f, -1.0f, -1.0f, 0.0f, 0.0f);
    EXPECT_EQ(v, SD::Vec3(3.0f, -1.0f, 0.0f));
    SD::RandomState expected = SD::kRandomStartState;
    SD::SetRandomState(expected);
    for (int i = 0; i < 3; ++i) SD::RandomNext();
    expected = SD::GetRandomState();
    SD::SetRandomState(SD::kRandomStartState);
    SD::RandomVec3(3.0f, 3.0f, -1.0f, -1.0f, 0.0f, 0.0f);
    const SD::RandomState after = SD::GetRandomState();
    EXPECT_TRUE(after.x == expected.x && after.y == expected.y && after.z == expected.z && after.w == expected.w);
}

// Each thread draws from its own state: every worker seeds itself from its own run-time
// generator (which starts at seed 1 on every thread), so all workers draw alike, and nothing
// a thread does moves another thread's state.
TEST_F(RandomTest, EveryThreadHasItsOwnStateAndWorkersAreSeededAlike) {
    SD::WorkerPool pool;
    pool.Start(5);
    ASSERT_EQ(pool.Size(), 3u);
    static uint32_t first[3];
    for (size_t k = 0; k < 3; ++k)
        pool.QueueJob(
            k, [](uintptr_t slot, uintptr_t, uintptr_t) { first[slot] = SD::RandomNext(); }, k, 0, 0);
    for (size_t k = 0; k < 3; ++k) ASSERT_TRUE(pool.WaitForJob(k));
    for (uint32_t value : first) EXPECT_EQ(value, 54492138u) << "seeded from 41, 18467, 6334, 26500";
    std::thread other([] {
        SD::SetRandomState(SD::RandomState{1, 2, 3, 4});
        SD::RandomNext();
    });
    other.join();
    EXPECT_EQ(SD::RandomNext(), 3701687786u) << "this thread's state did not move";
}

}  // namespace
