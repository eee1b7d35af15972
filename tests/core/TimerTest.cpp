#include <gtest/gtest.h>

#include "core/Timer.h"
#include "platform/os/Clock.h"

namespace {

class TimerTest : public ::testing::Test {
protected:
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
};

TEST_F(TimerTest, StopwatchReadsOffsetsAndPauses) {
    SD::Stopwatch watch;
    clock.Advance(1.5);
    EXPECT_DOUBLE_EQ(watch.GetTime(), 1.5);
    watch.SetOffset(2.0);
    EXPECT_DOUBLE_EQ(watch.GetTime(), 3.5);
    watch.SetPaused(true);
    clock.Advance(1.0);
    EXPECT_DOUBLE_EQ(watch.GetTime(), 3.5);
    EXPECT_DOUBLE_EQ(watch.GetTime(), 3.5);
    watch.RestartCount();
    clock.Advance(0.25);
    EXPECT_DOUBLE_EQ(watch.GetTime(), 2.25);  // offset kept
    watch.Restart();
    EXPECT_DOUBLE_EQ(watch.GetTime(), 0.0);
}

// The limiter sleeps for half the remaining milliseconds only when that is 3 to 13, then spins.
TEST_F(TimerTest, LimiterSleepsOnlyInItsWindowAndAlwaysReachesTheTarget) {
    struct Case {
        double fps;
        double frameWork;
        std::vector<uint32_t> sleeps;
    };
    const Case cases[] = {
        {62.0, 0.004, {6}},  // 12.13 ms remain: sleep 6, spin the rest
        {62.0, 0.015, {}},   // 1.13 ms remain: no sleep, a short spin
        {10.0, 0.010, {}},   // 90 ms remain: 45 is outside the window, spin
        {0.0, 0.010, {}},    // no target: no wait at all
    };
    for (const Case& c : cases) {
        platform::ManualClock local;
        platform::ScopedClock use(local);
        local.SetStepPerRead(0.0001);
        SD::Timer timer;
        timer.SetFrameRate(c.fps);
        timer.Restart();
        local.Advance(c.frameWork);
        timer.WaitForFrame();
        EXPECT_EQ(local.Sleeps(), c.sleeps) << c.fps << " " << c.frameWork;
        if (c.fps > 0) {
            EXPECT_GE(timer.GetLastTime(), 1.0 / c.fps);
            EXPECT_LT(timer.GetLastTime(), 1.0 / c.fps + 0.001);
        } else {
            EXPECT_LT(timer.GetLastTime(), c.frameWork + 0.001);
        }
    }
}

// A paused timer's reading never advances, so waiting for it would never end.
TEST_F(TimerTest, PausedLimiterReturnsAfterOneReading) {
    clock.SetStepPerRead(0.0001);
    SD::Timer timer;
    timer.SetFrameRate(62.0);
    clock.Advance(0.004);
    timer.SetPaused(true);
    timer.WaitForFrame();
    EXPECT_DOUBLE_EQ(timer.GetLastTime(), 0.0);
}

TEST_F(TimerTest, NonPositiveRatesRemoveTheLimit) {
    SD::Timer timer;
    timer.SetFrameRate(62.0);
    EXPECT_DOUBLE_EQ(timer.GetFrameInterval(), 1.0 / 62.0);
    timer.SetFrameRate(0.0);
    EXPECT_EQ(timer.GetFrameInterval(), 0.0);
    timer.SetFrameRate(-5.0);
    EXPECT_EQ(timer.GetFrameInterval(), 0.0);
}

}  // namespace
