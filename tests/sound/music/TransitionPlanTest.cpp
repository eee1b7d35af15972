// A change of music asked mid-bar: for each sync type, when the new music starts and the old
// one fades, against positions worked out by hand. The source plays at 120 beats per minute in
// 4/4 at 48000 Hz (beat 24000, bar 96000 samples; grid lines every 48000 from 12000), entry
// cue at 24000, user cues 48000 and 132000 after it, exit cue 384000 after it, post-exit 72000.
#include <gtest/gtest.h>

#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/CSxMusicTransAware.h"
#include "sound/music/SxTransitionPlan.h"

namespace SX {
namespace {

class TransitionPlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        SxTimingSettings::SetSampleRate(48000);
        SxMusicGridFields fields{1000.0, 250.0, 120.0f, 4, 4};
        ASSERT_EQ(SxComputeMusicGrid(fields, source.grid), SX_Success);
        source.duration = 480000;
        source.cues = {{1, 24000}, {2, 72000}, {3, 156000}, {4, 408000}};
        destination = source;
        destination.cues = {{1, 9600}, {2, 200000}};
    }
    SxSegmentTiming source, destination;
};

// Asked at 124800 (1.3 bars in) with a 250 ms fade-out (12000 samples) and a destination that
// needs 4800 samples of look-ahead: the sync point may come no sooner than 136800.
TEST_F(TransitionPlanTest, EachSyncTypeFromMidBar) {
    struct Case {
        uint32_t sync;
        SXRESULT result;
        int32_t syncDelay;
    };
    const Case cases[] = {
        {SxSyncType_Immediate, SX_Success, 12000},    // 136800
        {SxSyncType_NextGrid, SX_Success, 31200},     // 156000
        {SxSyncType_NextBar, SX_Success, 67200},      // 192000
        {SxSyncType_NextBeat, SX_Success, 19200},     // 144000
        {SxSyncType_NextMarker, SX_Success, 259200},  // the exit cue, 384000
        {SxSyncType_NextUserMarker, SX_Fail, 0},      // the last user cue is behind
        {SxSyncType_EntryMarker, SX_Fail, 0},         // the entry is behind
        {SxSyncType_ExitMarker, SX_Success, 259200},
    };
    for (const Case& c : cases) {
        SxMusicTransitionRule rule;
        rule.syncType = c.sync;
        rule.sourceFade = {250, 4, 0};
        rule.destinationFade = {100, 1, 0};
        SxTransitionPlan plan;
        ASSERT_EQ(SxPlanTransition(source, 124800, rule, destination, 4800, plan), c.result) << c.sync;
        if (c.result != SX_Success) continue;
        EXPECT_EQ(plan.syncDelay, c.syncDelay) << c.sync;
        EXPECT_EQ(plan.sourcePosition, 124800 + c.syncDelay) << c.sync;
        EXPECT_EQ(plan.sourceFadeStart, c.syncDelay - 12000) << c.sync;
        EXPECT_EQ(plan.sourceFadeMs, 250u);
        EXPECT_EQ(plan.sourceFadeCurve, 4u);
        EXPECT_EQ(plan.sourceStop, c.syncDelay) << c.sync;
        EXPECT_EQ(plan.destinationPlay, c.syncDelay - 4800) << c.sync;
        EXPECT_EQ(plan.destinationPosition, 0);
        EXPECT_EQ(plan.destinationFade.offset, 4800) << "the fade stays placed on the sync point";
    }
}

TEST_F(TransitionPlanTest, FadeOffsetsPostExitAndPreEntry) {
    SxMusicTransitionRule rule;
    rule.syncType = SxSyncType_NextBar;
    rule.sourceFade = {1000, 0, 24000};  // a 48000-sample fade ending 24000 after the sync point
    SxTransitionPlan plan;
    ASSERT_EQ(SxPlanTransition(source, 124800, rule, destination, 0, plan), SX_Success);
    EXPECT_EQ(plan.syncDelay, 67200);  // from 148800: the bar at 192000
    EXPECT_EQ(plan.sourceFadeStart, 43200);
    EXPECT_EQ(plan.sourceStop, 91200);

    // No fade, post-exit at the exit cue: the source plays its post-exit out.
    rule = SxMusicTransitionRule{};
    rule.syncType = SxSyncType_ExitMarker;
    rule.playPostExit = true;
    ASSERT_EQ(SxPlanTransition(source, 124800, rule, destination, 0, plan), SX_Success);
    EXPECT_EQ(plan.syncDelay, 259200);
    EXPECT_EQ(plan.sourceStop, 259200 + 72000);
    EXPECT_EQ(plan.sourceFadeMs, 0u);

    // The destination plays its pre-entry: it starts that much earlier, from before its entry.
    rule = SxMusicTransitionRule{};
    rule.syncType = SxSyncType_NextBeat;
    rule.playPreEntry = true;
    ASSERT_EQ(SxPlanTransition(source, 124800, rule, destination, 4800, plan), SX_Success);
    EXPECT_EQ(plan.syncDelay, 144000 - 124800 + 0);  // from 124800 + 14400: the beat at 144000
    EXPECT_EQ(plan.destinationPlay, plan.syncDelay - 14400);
    EXPECT_EQ(plan.destinationPosition, -9600);
}

TEST_F(TransitionPlanTest, SameTimeEntryStartsWhereTheSourceIs) {
    SxMusicTransitionRule rule;
    rule.syncType = SxSyncType_NextBeat;
    rule.entryType = SxEntryType_SameTime;
    SxTransitionPlan plan;
    ASSERT_EQ(SxPlanTransition(source, 30000, rule, destination, 2000, plan), SX_Success);
    EXPECT_EQ(plan.sourcePosition, 48000);
    EXPECT_EQ(plan.destinationPosition, 48000);
    EXPECT_EQ(plan.destinationPlay, 18000 - 2000);
    // Past the destination's active part there is nowhere to enter.
    EXPECT_EQ(SxPlanTransition(source, 200000, rule, destination, 0, plan), SX_Fail);
}

TEST_F(TransitionPlanTest, WithoutAGridGridSyncsFail) {
    source.grid = SxMusicGrid{};
    SxMusicTransitionRule rule;
    SxTransitionPlan plan;
    for (uint32_t sync : {SxSyncType_NextGrid, SxSyncType_NextBar, SxSyncType_NextBeat}) {
        rule.syncType = sync;
        EXPECT_EQ(SxPlanTransition(source, 1000, rule, destination, 0, plan), SX_Fail) << sync;
    }
}

TEST(TransitionRuleLookup, FallbackRuleAfterTooManyLookups) {
    const SxMusicTransitionRule& fallback = CSxMusicTransAware::FallbackRule();
    EXPECT_EQ(fallback.syncType, static_cast<uint32_t>(SxSyncType_ExitMarker));
    EXPECT_TRUE(fallback.playPostExit);
    EXPECT_EQ(fallback.sourceID, SxMusicAnyID);
    EXPECT_EQ(fallback.sourceFade.timeMs, 0u);
    EXPECT_FALSE(fallback.hasTransSegment);
}

}  // namespace
}  // namespace SX
