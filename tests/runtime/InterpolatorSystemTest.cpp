#include <gtest/gtest.h>

#include <memory>

#include "core/EngineCore.h"
#include "platform/os/Clock.h"
#include "runtime/InterpolatorSystem.h"

namespace {

class InterpolatorTest : public ::testing::Test {
protected:
    void SetUp() override { clock.Advance(5.0); }
    void TearDown() override { SD::InterpolatorSystem::DestroyInstance(); }
    void Tick(double seconds) {
        clock.Advance(seconds);
        SD::InterpolatorSystem::GetInstance().Update(0.0f);
    }
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::unique_ptr<SD::Core> core{SD::Core::CreateInstance()};
};

TEST_F(InterpolatorTest, ProgressCompletionAndRestart) {
    SD::InterpolatorF f;
    f.Start(0.0f, 10.0f, 2.0);
    Tick(1.0);
    EXPECT_FLOAT_EQ(f.GetValue(), 5.0f);
    EXPECT_FALSE(f.IsComplete());
    Tick(1.0);
    EXPECT_FLOAT_EQ(f.GetValue(), 10.0f);
    EXPECT_TRUE(f.IsComplete());
    Tick(3.0);
    EXPECT_FLOAT_EQ(f.GetValue(), 10.0f);
    EXPECT_TRUE(f.IsComplete());

    f.Restart(0.00005);  // too small: the previous 2 s stay
    EXPECT_DOUBLE_EQ(f.GetDuration(), 2.0);
    EXPECT_FALSE(f.IsComplete());
    EXPECT_FLOAT_EQ(f.GetValue(), 0.0f);
    Tick(0.5);
    EXPECT_FLOAT_EQ(f.GetValue(), 2.5f);
}

TEST_F(InterpolatorTest, ZeroAndNegativeDurationsCompleteAtOnce) {
    SD::InterpolatorF never;  // never started: duration 0, from 0 to 1
    SD::InterpolatorF negative;
    negative.Start(1.0f, 3.0f, -2.0);
    Tick(0.001);
    EXPECT_TRUE(never.IsComplete());
    EXPECT_FLOAT_EQ(never.GetValue(), 1.0f);
    EXPECT_TRUE(negative.IsComplete());
    EXPECT_FLOAT_EQ(negative.GetValue(), 3.0f);
}

TEST_F(InterpolatorTest, VectorsAndTheClockBeforeTheStart) {
    SD::InterpolatorV3 v;
    v.Start(SD::Vec3(0, 0, 0), SD::Vec3(2, -4, 8), 4.0);
    v.Update(static_cast<float>(SD::Core::GetTime()) - 1.0f);  // before the start: the start value
    EXPECT_FLOAT_EQ(v.GetFraction(), 0.0f);
    Tick(1.0);
    EXPECT_FLOAT_EQ(v.GetValue().y, -1.0f);
    EXPECT_FLOAT_EQ(v.GetValue().z, 2.0f);
}

TEST_F(InterpolatorTest, ReverseRunsBackFromTheEndOverTheSameDuration) {
    struct Case {
        double reverseAfter;  // seconds into a 2 s run from 2 to 6
        float halfwayBack, end;
    };
    // Reversing early still goes back from the end value, not from where the value was.
    const Case cases[] = {{2.5, 4.0f, 2.0f}, {0.5, 4.0f, 2.0f}};
    for (const Case& c : cases) {
        SD::InterpolatorF f;
        f.Start(2.0f, 6.0f, 2.0);
        Tick(c.reverseAfter);
        f.Reverse();
        EXPECT_FLOAT_EQ(f.GetValue(), 6.0f);
        EXPECT_FALSE(f.IsComplete());
        EXPECT_DOUBLE_EQ(f.GetDuration(), 2.0);
        Tick(1.0);
        EXPECT_FLOAT_EQ(f.GetValue(), c.halfwayBack);
        Tick(1.0);
        EXPECT_FLOAT_EQ(f.GetValue(), c.end);
        EXPECT_TRUE(f.IsComplete());
    }
}

TEST_F(InterpolatorTest, ReversingAFinishedRunTwiceRunsItForwardAgain) {
    SD::InterpolatorF f;
    f.Start(2.0f, 5.0f, 1.0);
    Tick(1.5);
    ASSERT_TRUE(f.IsComplete());
    f.Reverse();
    EXPECT_FLOAT_EQ(f.GetValue(), 5.0f) << "the way back starts at the old end at once";
    Tick(1.0);
    EXPECT_FLOAT_EQ(f.GetValue(), 2.0f);
    EXPECT_TRUE(f.IsComplete());
    f.Reverse();
    EXPECT_FLOAT_EQ(f.GetValue(), 2.0f);
    Tick(0.5);
    EXPECT_FLOAT_EQ(f.GetValue(), 3.5f);
    Tick(0.5);
    EXPECT_FLOAT_EQ(f.GetValue(), 5.0f);
}

TEST_F(InterpolatorTest, ConstructedFromTwoVectorsStartsAtTheFirst) {
    SD::InterpolatorV3 v(SD::Vec3(1, 1, 1), SD::Vec3(3, 5, 1));
    EXPECT_FLOAT_EQ(v.GetValue().y, 1.0f);
    EXPECT_FALSE(v.IsComplete());
    v.Restart(2.0);
    Tick(1.0);
    EXPECT_FLOAT_EQ(v.GetValue().x, 2.0f);
    EXPECT_FLOAT_EQ(v.GetValue().y, 3.0f);
}

TEST_F(InterpolatorTest, InterpolatorsJoinAndLeaveTheSystem) {
    SD::InterpolatorSystem& system = SD::InterpolatorSystem::GetInstance();
    size_t before = system.Count();
    {
        SD::InterpolatorF a;
        auto b = std::make_unique<SD::InterpolatorV3>();
        EXPECT_EQ(system.Count(), before + 2);
        b.reset();
        EXPECT_EQ(system.Count(), before + 1);
    }
    EXPECT_EQ(system.Count(), before);
    SD::InterpolatorF outlives;
    SD::InterpolatorSystem::DestroyInstance();  // the interpolator is left unlinked, not dangling
}

TEST_F(InterpolatorTest, PausingTheGameDoesNotStopAnInterpolation) {
    SD::InterpolatorF f;
    f.Start(0.0f, 1.0f, 1.0);
    core->SetPaused(true);
    Tick(0.5);
    EXPECT_FLOAT_EQ(f.GetValue(), 0.5f);
}

}  // namespace
