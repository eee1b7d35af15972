#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/EngineCore.h"
#include "core/Logger.h"
#include "platform/os/Clock.h"
#include "runtime/CurveSampling.h"
#include "runtime/SplineSystem.h"
#include "support/CapturedLog.h"
#include "support/ExpectNear.h"
#include "support/TempTree.h"

namespace {

using qvtest::ExpectNear;
constexpr float kTolerance = 1e-4f;

class SplineSystemTest : public ::testing::Test {
protected:
    qvtest::TempTree tree;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::unique_ptr<SD::Core> core{SD::Core::CreateInstance()};
    Debug::GlobalLogger logger;
    SD::Spline_System splines;
};

TEST_F(SplineSystemTest, AFileSplineFollowsItsTimedPoints) {
    tree.Write("Assets/Splines/Splines.txt", "Path\n3\n0\n0\n0\n10\n0\n0\n10\n20\n0\n1.0\n2.0\n");
    clock.Advance(10.0);
    splines.Initialize();
    SD::Spline* path = splines.FindSpline("Path");
    ASSERT_NE(path, nullptr);

    splines.Update(0.0f);
    ExpectNear(path->position, {0, 0, 0}, kTolerance);
    clock.Advance(1.0);
    splines.Update(0.0f);
    ExpectNear(path->position, {10, 0, 0}, kTolerance);
    clock.Advance(1.0);
    splines.Update(0.0f);  // halfway through the second stretch in curve parameter
    ExpectNear(
        path->position,
        {static_cast<float>(SD::EvaluateCurve(path->x, 1.5)), static_cast<float>(SD::EvaluateCurve(path->y, 1.5)), 0},
        kTolerance);
    EXPECT_FALSE(path->finished);
    clock.Advance(5.0);
    splines.Update(0.0f);
    ExpectNear(path->position, {10, 20, 0}, kTolerance);
    EXPECT_TRUE(path->finished);
    EXPECT_DOUBLE_EQ(path->elapsed, 3.0);
}

TEST_F(SplineSystemTest, SavedSplinesLoadBackToSixDecimals) {
    const std::vector<SD::Vec3> points = {{1.25f, -2.5f, 3.0f}, {4.0f, 5.5f, -6.125f}, {7, 8, 9}};
    const std::vector<double> durations = {0.5, 1.75};
    tree.Write("Assets/Splines/Splines.txt", "");
    ASSERT_TRUE(splines.SaveSpline(points, durations, "Saved with spaces"));
    ASSERT_TRUE(splines.SaveSpline({{0, 0, 0}, {1, 1, 1}}, {4.0}, "Second"));
    EXPECT_EQ(tree.Read("Assets/Splines/Splines.txt").substr(0, 37), "Saved with spaces\n3\n1.250000\n-2.50000");
    EXPECT_EQ(splines.LoadSplines(), 2);
    SD::Spline* s = splines.FindSpline("Saved with spaces");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->durations, durations);
    ExpectNear(splines.GetPositionAtTime(*s, 0.5), points[1], kTolerance);
    ExpectNear(splines.GetPositionAtTime(*s, 99.0), points[2], kTolerance);
    EXPECT_NE(splines.FindSpline("Second"), nullptr);
    EXPECT_FALSE(splines.SaveSpline(points, durations, "x", tree.Path("no/such/folder/Splines.txt")));
}

// A broken record ends the load there; a file without a record or none at all is told too, by
// its path, since every object that follows a spline would otherwise stand still unexplained.
TEST_F(SplineSystemTest, BrokenRecordsStopTheLoadWithoutASpline) {
    struct Case {
        const char* file;  // null: no file
        int created;
        const char* said;
    };
    const Case cases[] = {
        {"A\n2\n0\n0\n0\n1\n1\n1\n1.0\nB\n3\n0\n0\n", 1, "spline 2 (\"B\") is cut short"},
        {"A\n1\n0\n0\n0\n", 0, "has a point count of \"1\""},  // one point cannot be fitted
        {"A\nabc\n", 0, "has a point count of \"abc\""},
        {"\nA\n2\n0\n0\n0\n1\n1\n1\n1.0\n", 0, "Splines.txt holds no splines"},  // an empty name line ends it
        {"A\n2\n", 0, "spline 1 (\"A\") is cut short"},
        {"", 0, "Splines.txt holds no splines"},
        {nullptr, 0, "Splines.txt cannot be opened"},
    };
    for (const Case& c : cases) {
        SD::Spline_System local;
        if (c.file)
            tree.Write("Assets/Splines/Splines.txt", c.file);
        else
            std::filesystem::remove(tree.Path("Assets/Splines/Splines.txt"));
        qvtest::CapturedLog log;
        EXPECT_EQ(local.LoadSplines(), c.created) << c.said;
        EXPECT_EQ(local.Count(), static_cast<size_t>(c.created)) << c.said;
        EXPECT_EQ(qvtest::Occurrences(log.Text(), c.said), 1u) << log.Text();
        EXPECT_EQ(qvtest::Occurrences(log.Text(), "\n"), 1u) << log.Text();
    }
}

// A path too long to fit is refused, as a point count the fit cannot take would be.
TEST_F(SplineSystemTest, OverlongPathsAreRefused) {
    const size_t n = SD::Spline_System::kMaxPoints + 1;
    qvtest::StderrCapture err;
    EXPECT_FALSE(splines.CreateSpline(std::vector<SD::Vec3>(n), std::vector<double>(n - 1, 0.01), "Long"));
    EXPECT_EQ(splines.Count(), 0u);
    EXPECT_NE(err.Text().find("\"Long\" needs 2 to"), std::string::npos) << err.Text();
}

TEST_F(SplineSystemTest, ZeroDurationsArePassedAtOnce) {
    SD::SplineHandle h = splines.CreateSpline({{0, 0, 0}, {5, 0, 0}, {10, 0, 0}}, {0.0, 2.0}, "Jump");
    ASSERT_TRUE(h);
    ExpectNear(splines.GetPositionAtTime(*h.Get(), 0.0), {5, 0, 0}, kTolerance);
    ExpectNear(splines.GetPositionAtTime(*h.Get(), 1.0), {7.5f, 0, 0}, 0.5f);
    SD::SplineHandle still = splines.CreateSpline({{0, 0, 0}, {5, 0, 0}}, {0.0}, "Still");
    splines.Update(0.0f);
    ExpectNear(still.Get()->position, {5, 0, 0}, kTolerance);
    EXPECT_TRUE(still.Get()->finished);
}

TEST_F(SplineSystemTest, NamesHandlesAndSlots) {
    SD::SplineHandle first = splines.CreateSpline({{0, 0, 0}, {1, 0, 0}}, {1.0}, "Same");
    SD::SplineHandle second = splines.CreateSpline({{0, 0, 0}, {2, 0, 0}}, {1.0}, "Same");
    EXPECT_EQ(splines.FindSpline("Same"), second.Get());
    splines.DestroySpline(second);
    EXPECT_EQ(splines.FindSpline("Same"), nullptr);
    EXPECT_FALSE(second);
    EXPECT_TRUE(first);
    splines.DestroySpline(second);  // stale: nothing happens
    EXPECT_EQ(splines.Count(), 1u);

    for (uint32_t i = 1; i < SD::Spline_System::kSlotCount; ++i)
        ASSERT_TRUE(splines.CreateSpline({{0, 0, 0}, {1, 0, 0}}, {1.0}, ""));
    qvtest::StderrCapture err;
    SD::SplineHandle none;
    EXPECT_FALSE(splines.CreateSpline({{0, 0, 0}, {1, 0, 0}}, {1.0}, "Overflow", &none));
    EXPECT_FALSE(none);
    EXPECT_NE(err.Text().find("no free spline slot"), std::string::npos);
    // Slot 0 is not searched again after the first lap, so freeing it alone frees nothing.
    splines.DestroySpline(first);
    EXPECT_FALSE(splines.CreateSpline({{0, 0, 0}, {1, 0, 0}}, {1.0}, "Only slot 0 free"));
    SD::SplineHandle inSlotOne{1, 2, &splines};  // second's slot, taken again by the lap above
    ASSERT_TRUE(inSlotOne);
    splines.DestroySpline(inSlotOne);
    EXPECT_TRUE(splines.CreateSpline({{0, 0, 0}, {1, 0, 0}}, {1.0}, "Reused"));
    EXPECT_FALSE(splines.CreateSpline({{0, 0, 0}}, {}, "One point"));
}

TEST_F(SplineSystemTest, FourPointSplinesRunOnElapsedTime) {
    const SD::Vec3 points[4] = {{0, 0, 0}, {1, 2, 0}, {2, 0, 0}, {3, 2, 0}};
    SD::SplineHandle h = splines.CreateFourPointSpline(points, "");
    ASSERT_TRUE(h);
    EXPECT_DOUBLE_EQ(h.Get()->totalDuration, 6.0);
    ExpectNear(splines.GetPositionAtTime(*h.Get(), 2.0), points[2], kTolerance);
    ExpectNear(splines.GetPositionAtTime(*h.Get(), 5.0), points[3], kTolerance);
}

TEST_F(SplineSystemTest, StartingByNameRunsAFinishedSplineAgainFromNow) {
    SD::SplineHandle h = splines.CreateSpline({{0, 0, 0}, {10, 0, 0}}, {2.0}, "Loop");
    ASSERT_TRUE(h);
    clock.Advance(5.0);
    splines.Update(0.0f);
    EXPECT_TRUE(h.Get()->finished);
    ExpectNear(h.Get()->position, {10, 0, 0}, kTolerance);

    EXPECT_EQ(splines.StartSpline("Loop"), h.Get());
    EXPECT_FALSE(h.Get()->finished);
    splines.Update(0.0f);
    ExpectNear(h.Get()->position, {0, 0, 0}, kTolerance);
    clock.Advance(1.0);
    splines.Update(0.0f);
    ExpectNear(h.Get()->position, {5, 0, 0}, kTolerance);
    EXPECT_FALSE(h.Get()->finished);
    EXPECT_EQ(splines.StartSpline("Missing"), nullptr);
}

TEST_F(SplineSystemTest, PointAtLengthIsClampedToTheSpline) {
    SD::SplineHandle h = splines.CreateSpline({{0, 0, 0}, {4, 0, 0}, {4, 4, 0}}, {1.0, 3.0}, "");
    ASSERT_TRUE(h);
    const SD::Spline& s = *h.Get();
    struct Case {
        double length;
        SD::Vec3 point;
    };
    const Case cases[] = {{-2.0, {0, 0, 0}}, {0.0, {0, 0, 0}}, {1.0, {4, 0, 0}}, {4.0, {4, 4, 0}}, {50.0, {4, 4, 0}}};
    for (const Case& c : cases) {
        ExpectNear(s.GetPointAtLength(c.length), c.point, kTolerance);
        ExpectNear(splines.GetPositionAtTime(s, c.length), c.point, kTolerance);
    }
}

}  // namespace
