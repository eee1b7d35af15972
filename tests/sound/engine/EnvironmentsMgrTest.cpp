#include <gtest/gtest.h>

#include "SxTestMemory.h"
#include "sound/engine/environments/CSxEnvironmentsMgr.h"

namespace {

using namespace SX;

TEST(EnvironmentsMgr, EachCurveAnswersOnlyWhenEnabled) {
    sxtest::TestMemory memory;
    CSxEnvironmentsMgr mgr;
    ASSERT_EQ(mgr.Init(), SX_Success);
    struct Case {
        SxObsOccCurveKind kind;
        SxObsOccCurveTarget target;
        float yAt100;
    } cases[] = {
        {SxCurve_Obstruction, SxCurveTarget_Volume, -10.0f},
        {SxCurve_Obstruction, SxCurveTarget_LowPass, 20.0f},
        {SxCurve_Occlusion, SxCurveTarget_Volume, -30.0f},
        {SxCurve_Occlusion, SxCurveTarget_LowPass, 40.0f},
    };
    for (const Case& c : cases) {
        const SxCurvePoint points[] = {{0.0f, 0.0f, SxCurve_Linear}, {100.0f, c.yAt100, SxCurve_Linear}};
        ASSERT_EQ(mgr.SetObsOccCurve(c.kind, c.target, SxCurveScaling_None, points, 2), SX_Success);
    }
    for (const Case& c : cases) EXPECT_EQ(mgr.GetCurveValue(c.kind, c.target, 50.0f), 0.0f);
    for (const Case& c : cases) mgr.SetCurveEnabled(c.kind, c.target, true);
    for (const Case& c : cases) EXPECT_FLOAT_EQ(mgr.GetCurveValue(c.kind, c.target, 50.0f), c.yAt100 / 2);

    const SxCurvePoint replaced[] = {{0.0f, 5.0f, SxCurve_Constant}};
    ASSERT_EQ(mgr.SetObsOccCurve(SxCurve_Occlusion, SxCurveTarget_Volume, SxCurveScaling_None, replaced, 1),
              SX_Success);
    EXPECT_EQ(mgr.GetCurveValue(SxCurve_Occlusion, SxCurveTarget_Volume, 80.0f), 5.0f);
    mgr.SetCurveEnabled(SxCurve_Obstruction, SxCurveTarget_LowPass, false);
    EXPECT_EQ(mgr.GetCurveValue(SxCurve_Obstruction, SxCurveTarget_LowPass, 50.0f), 0.0f);
    mgr.Term();
}

}  // namespace
