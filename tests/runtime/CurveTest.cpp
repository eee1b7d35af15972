#include <gtest/gtest.h>

#include <vector>

#include "platform/os/Clock.h"
#include "runtime/Curve.h"

namespace {

class CurveTest : public ::testing::Test {
protected:
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    SD::Curve curve;
};

TEST_F(CurveTest, EachSetterFitsItsValuesAgainstTheSecondsSinceItWasSet) {
    struct Case {
        int count;
        std::vector<double> values;
    };
    const Case cases[] = {{3, {0, 4, 2}}, {4, {1, 3, -1, 5}}, {5, {0, 2, 4, 2, 0}}};
    for (const Case& c : cases) {
        const std::vector<double>& v = c.values;
        clock.Advance(100.0);  // time before the envelope does not count
        if (c.count == 3) curve.Set(v[0], v[1], 0.5, v[2], 0.25);
        if (c.count == 4) curve.Set(v[0], v[1], 0.5, v[2], 0.25, v[3], 1.0);
        if (c.count == 5) curve.Set(v[0], v[1], 0.5, v[2], 0.25, v[3], 1.0, v[4], 2.0);
        EXPECT_EQ(curve.GetDurations().size(), static_cast<size_t>(c.count - 1));
        for (int i = 0; i < c.count; ++i) {
            EXPECT_NEAR(curve.Sample(), v[i], 1e-9) << c.count << " values, sample " << i;
            clock.Advance(1.0);
        }
        clock.Advance(30.0);
        EXPECT_NEAR(curve.Sample(), v.back(), 1e-9) << c.count;
    }
    EXPECT_DOUBLE_EQ(curve.GetTotalDuration(), 3.75);
}

TEST_F(CurveTest, NoEnvelopeSamplesAsZero) { EXPECT_EQ(curve.Sample(), 0.0); }

}  // namespace
