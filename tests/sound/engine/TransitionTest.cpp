#include <gtest/gtest.h>

#include <vector>

#include "SxTestMemory.h"
#include "sound/engine/curves/SxCurveTable.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "tests/sound/engine/SxNodeProbes.h"

namespace {

using namespace SX;

struct Recorder : ITransitionable {
    struct Call {
        int32_t target;
        float value;
        bool done;
    };
    std::vector<Call> calls;
    void TransUpdateValue(int32_t target, float value, bool done) override { calls.push_back({target, value, done}); }
};

class Transitions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SxCurveTable::BuildAll(333, 333, SxCurveTable::kAllShapes), SX_Success);
        SxTimingSettings::SetSampleRate(48000);
        g_uSxAudioFrameCounter = 100;
        ASSERT_EQ(mgr.Init(4), SX_Success);
    }
    void TearDown() override {
        mgr.Term();
        SxCurveTable::FreeAll();
    }

    // Runs frames until the recorder hears done (at most limit frames); the frames run.
    uint32_t RunToEnd(Recorder& r, uint32_t limit = 1000) {
        for (uint32_t n = 1; n <= limit; ++n) {
            mgr.ProcessTransitionsList(++g_uSxAudioFrameCounter);
            if (!r.calls.empty() && r.calls.back().done) return n;
        }
        return 0;
    }

    SxTransitionParams Params(Recorder& r, float from, float to, uint32_t ms,
                              SxCurveInterpolation shape = SxCurve_Linear) {
        SxTransitionParams p;
        p.user = &r;
        p.targetID = 3;
        p.startValue = from;
        p.targetValue = to;
        p.durationMs = ms;
        p.shape = shape;
        return p;
    }

    sxtest::TestMemory memory;
    CSxTransitionMgr mgr;
};

TEST(FrameTiming, FollowsTheSampleRate) {
    struct Case {
        uint32_t rate, frameMs, halfMs, scaled, framesFor100;
    } cases[] = {{48000, 21, 10, 128, 5}, {24000, 42, 21, 64, 3}, {44100, 23, 11, 117, 5}};
    for (const Case& c : cases) {
        SxTimingSettings::SetSampleRate(c.rate);
        EXPECT_EQ(SxTimingSettings::frameMs, c.frameMs) << c.rate;
        EXPECT_EQ(SxTimingSettings::halfFrameMs, c.halfMs) << c.rate;
        EXPECT_EQ(SxTimingSettings::scaled128, c.scaled) << c.rate;
        EXPECT_EQ(SxTimingSettings::MillisecondsToFrames(100), c.framesFor100) << c.rate;
    }
    SxTimingSettings::SetSampleRate(48000);
    EXPECT_EQ(SxTimingSettings::MillisecondsToFrames(0), 0u);
    EXPECT_EQ(SxTimingSettings::MillisecondsToFrames(21), 1u);
    EXPECT_EQ(SxTimingSettings::MillisecondsToFrames(22), 2u);
    EXPECT_EQ(SxTimeConv::MillisecondsToSamples(10.0), 480);
    EXPECT_EQ(SxTimeConv::MillisecondsToSamples(-0.03125), -2);  // -1.5 rounds away from zero
}

TEST_F(Transitions, DurationInFramesAndValuesAlongTheRamp) {
    struct Case {
        uint32_t ms, frames;
    } cases[] = {{0, 1}, {21, 1}, {100, 5}, {1000, 48}};
    for (const Case& c : cases) {
        Recorder r;
        ASSERT_NE(mgr.AddTransitionToList(Params(r, 0, 10, c.ms), true, CSxTransitionMgr::kFadeList), nullptr);
        EXPECT_EQ(RunToEnd(r), c.frames) << c.ms;
        EXPECT_EQ(r.calls.back().value, 10.0f);
        EXPECT_EQ(r.calls.back().target, 3);
        EXPECT_EQ(mgr.Count(CSxTransitionMgr::kFadeList), 0u);
    }
    Recorder r;
    mgr.AddTransitionToList(Params(r, 0, 10, 100), true, CSxTransitionMgr::kFadeList);
    RunToEnd(r);
    std::vector<float> values;
    for (auto& c : r.calls) values.push_back(c.value);
    EXPECT_EQ(values, (std::vector<float>{2, 4, 6, 8, 10}));
}

TEST_F(Transitions, EveryShapeRunsFromStartToTarget) {
    for (uint32_t shape = 0; shape <= 9; ++shape) {
        Recorder r;
        mgr.AddTransitionToList(Params(r, 2, 12, 210, static_cast<SxCurveInterpolation>(shape)), true,
                                CSxTransitionMgr::kStateList);
        ASSERT_EQ(RunToEnd(r), 10u) << shape;
        float mid = r.calls[4].value;  // t = 0.5
        EXPECT_NEAR(mid, SxMath::InterpolateCurve(0.5f, 2, 12, static_cast<SxCurveInterpolation>(shape)), 1e-4f);
        EXPECT_EQ(r.calls.back().value, 12.0f) << shape;
        for (size_t i = 0; i + 1 < r.calls.size(); ++i) EXPECT_FALSE(r.calls[i].done);
    }
}

TEST_F(Transitions, MirrorAndDecibelRamps) {
    struct Case {
        SxCurveInterpolation asked, used;
    } cases[] = {{SxCurve_Log3, SxCurve_Exp3},
                 {SxCurve_Sine, SxCurve_SineRecip},
                 {SxCurve_SCurve, SxCurve_SCurve},
                 {SxCurve_InvSCurve, SxCurve_InvSCurve},
                 {SxCurve_Linear, SxCurve_Linear}};
    for (const Case& c : cases) {
        Recorder r;
        SxTransitionParams p = Params(r, 10, 0, 100, c.asked);
        p.mirror = true;
        EXPECT_EQ(mgr.AddTransitionToList(p, true, CSxTransitionMgr::kFadeList)->Shape(), c.used);
        p.startValue = 0;
        p.targetValue = 10;  // rising: as asked
        EXPECT_EQ(mgr.AddTransitionToList(p, true, CSxTransitionMgr::kStateList)->Shape(), c.asked);
        mgr.Term();
        mgr.Init(4);
    }
    // A dB fade from silence to 0 dB runs on gains: half way is -6 dB.
    Recorder r;
    SxTransitionParams p = Params(r, -96.3f, 0, 210);
    p.dB = true;
    mgr.AddTransitionToList(p, true, CSxTransitionMgr::kFadeList);
    RunToEnd(r);
    EXPECT_NEAR(r.calls[4].value, -6.02f, 0.1f);
    EXPECT_NEAR(r.calls.back().value, 0.0f, 0.01f);
}

TEST_F(Transitions, RetargetingARunningRamp) {
    Recorder r;
    CSxTransition* t = mgr.AddTransitionToList(Params(r, 0, 10, 210), true, CSxTransitionMgr::kFadeList);
    for (int i = 0; i < 5; ++i) mgr.ProcessTransitionsList(++g_uSxAudioFrameCounter);
    EXPECT_EQ(r.calls.back().value, 5.0f);
    // From where it stands (5) down to 1 over 4 frames, mirrored shape for a fall.
    mgr.ChangeParameter(t, 3, 1.0f, 84, SxCurve_Linear, SxValueMeaning_Default);
    EXPECT_EQ(qvtest::TransitionProbe::DurationFrames(*t), 4.0f);
    EXPECT_EQ(RunToEnd(r), 4u);
    std::vector<float> tail;
    for (size_t i = 5; i < r.calls.size(); ++i) tail.push_back(r.calls[i].value);
    EXPECT_EQ(tail, (std::vector<float>{4, 3, 2, 1}));

    // A fade retargeted by the same fade never runs longer than what it had left.
    Recorder f;
    CSxTransition* fade = mgr.AddTransitionToList(Params(f, 0, 1, 210), true, CSxTransitionMgr::kFadeList);
    fade->RemoveTransitionUser(&f);
    Recorder g;
    SxTransitionParams fp = Params(g, 0, 1, 210);
    fp.targetID = ITransitionable::kStopFade;
    fade = mgr.AddTransitionToList(fp, true, CSxTransitionMgr::kFadeList);
    for (int i = 0; i < 6; ++i) mgr.ProcessTransitionsList(++g_uSxAudioFrameCounter);
    mgr.ChangeParameter(fade, ITransitionable::kStopFade, 0.0f, 1000, SxCurve_Linear, SxValueMeaning_Default);
    EXPECT_EQ(qvtest::TransitionProbe::DurationFrames(*fade), 4.0f);
    mgr.ChangeParameter(fade, ITransitionable::kStopFade, 2.0f, 42, SxCurve_Linear, SxValueMeaning_Offset);
    EXPECT_EQ(qvtest::TransitionProbe::DurationFrames(*fade), 2.0f);
    EXPECT_EQ(RunToEnd(g), 2u);
    EXPECT_EQ(g.calls.back().value, 2.0f);  // 0 + offset 2
}

TEST_F(Transitions, PauseShiftsTheEnd) {
    Recorder r;
    CSxTransition* t = mgr.AddTransitionToList(Params(r, 0, 10, 210), true, CSxTransitionMgr::kFadeList);
    for (int i = 0; i < 3; ++i) mgr.ProcessTransitionsList(++g_uSxAudioFrameCounter);
    t->Pause();
    for (int i = 0; i < 10; ++i) mgr.ProcessTransitionsList(++g_uSxAudioFrameCounter);
    EXPECT_EQ(r.calls.size(), 3u);
    t->Resume();
    // Started at frame 100 for 10 frames, paused from frame 104 to 114: ends at 120. The
    // pause and resume frames only move the state and the clock.
    RunToEnd(r);
    EXPECT_EQ(g_uSxAudioFrameCounter, 120u);
    EXPECT_EQ(r.calls.size(), 9u);

    Recorder late;
    mgr.AddTransitionToList(Params(late, 0, 1, 42), false, CSxTransitionMgr::kFadeList)->Resume();
    EXPECT_EQ(RunToEnd(late), 3u);
}

TEST_F(Transitions, FullListRecyclesTheMostAdvanced) {
    Recorder r[5];
    std::vector<CSxTransition*> running;
    for (int i = 0; i < 4; ++i)
        running.push_back(
            mgr.AddTransitionToList(Params(r[i], 0, 10, 210 * (i + 1)), true, CSxTransitionMgr::kFadeList));
    // None has moved yet: nothing to take over.
    EXPECT_EQ(mgr.AddTransitionToList(Params(r[4], 0, 1, 100), true, CSxTransitionMgr::kFadeList), nullptr);
    for (int i = 0; i < 3; ++i) mgr.ProcessTransitionsList(++g_uSxAudioFrameCounter);
    CSxTransition* fresh = mgr.AddTransitionToList(Params(r[4], 0, 1, 100), true, CSxTransitionMgr::kFadeList);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh, running[0]);  // the most advanced, reused
    ASSERT_FALSE(r[0].calls.empty());
    EXPECT_TRUE(r[0].calls.back().done);
    EXPECT_EQ(r[0].calls.back().value, 10.0f);
    EXPECT_FALSE(r[1].calls.back().done);
    EXPECT_EQ(mgr.Count(CSxTransitionMgr::kFadeList), 4u);
    EXPECT_EQ(RunToEnd(r[4]), 5u);
    EXPECT_TRUE(r[0].calls.back().done);
    EXPECT_EQ(r[0].calls.size(), 4u);  // not stepped again once recycled
}

TEST_F(Transitions, UsersJoinAndLeave) {
    Recorder a, b;
    CSxTransition* t = mgr.AddTransitionToList(Params(a, 0, 10, 210), true, CSxTransitionMgr::kFadeList);
    EXPECT_EQ(t->AddTransitionUser(&a), SX_AlreadyTransitionUser);
    EXPECT_EQ(t->AddTransitionUser(&b), SX_Success);
    mgr.ProcessTransitionsList(++g_uSxAudioFrameCounter);
    EXPECT_EQ(a.calls.size(), 1u);
    EXPECT_EQ(b.calls.size(), 1u);
    EXPECT_EQ(t->RemoveTransitionUser(&a), SX_Success);
    EXPECT_EQ(t->RemoveTransitionUser(&a), SX_NotTransitionUser);
    std::vector<Recorder> many(254);
    for (Recorder& m : many) EXPECT_EQ(t->AddTransitionUser(&m), SX_Success);
    Recorder extra;
    EXPECT_EQ(t->AddTransitionUser(&extra), SX_TooManyTransitionUsers);
    for (Recorder& m : many) t->RemoveTransitionUser(&m);
    EXPECT_EQ(t->RemoveTransitionUser(&b), SX_Success);  // the last one: removed at the next step
    mgr.ProcessTransitionsList(++g_uSxAudioFrameCounter);
    EXPECT_EQ(mgr.Count(CSxTransitionMgr::kFadeList), 0u);
    EXPECT_EQ(b.calls.size(), 1u);
}

}  // namespace
