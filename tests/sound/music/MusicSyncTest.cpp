// The grid and the sync-point searches: a segment at 120 beats per minute in 4/4 at 48000 Hz
// (beat 24000, bar 96000 samples) with a pre-entry, user cues and a post-exit.
#include <gtest/gtest.h>

#include "platform/os/Random.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/SxMusicSync.h"

namespace SX {
namespace {

class MusicSyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        SxTimingSettings::SetSampleRate(48000);
        SxMusicGridFields fields;
        fields.tempo = 120.0f;
        fields.beatsPerBar = 4;
        fields.beatValue = 4;
        fields.gridPeriodMs = 1000.0;  // 48000
        fields.gridOffsetMs = 250.0;   // 12000
        ASSERT_EQ(SxComputeMusicGrid(fields, segment.grid), SX_Success);
        // Entry at 0.5 s, user cues at 1.5 s and 3.25 s, exit at 8.5 s, end at 10 s.
        segment.duration = 480000;
        segment.cues = {{1, 24000}, {2, 72000}, {3, 156000}, {4, 408000}};
    }
    SxSegmentTiming segment;
};

TEST_F(MusicSyncTest, GridFromTempoAndSignature) {
    EXPECT_EQ(segment.grid.beat, 24000);
    EXPECT_EQ(segment.grid.bar, 96000);
    EXPECT_EQ(segment.grid.gridPeriod, 48000);
    EXPECT_EQ(segment.grid.gridOffset, 12000);
    SxMusicGridFields eighth{500.0, 0.0, 120.0f, 6, 8};
    SxMusicGrid grid;
    ASSERT_EQ(SxComputeMusicGrid(eighth, grid), SX_Success);
    EXPECT_EQ(grid.beat, 12000);
    EXPECT_EQ(grid.bar, 72000);
    // An offset before the entry cue gives the same grid lines from the entry on.
    SxMusicGridFields early{1000.0, -250.0, 120.0f, 4, 4};
    ASSERT_EQ(SxComputeMusicGrid(early, grid), SX_Success);
    EXPECT_EQ(grid.gridOffset, 36000u);
}

TEST_F(MusicSyncTest, GridWithNothingToStepOnIsRefused) {
    const SxMusicGridFields bad[] = {
        {1000.0, 0.0, 0.0f, 4, 4},   {1000.0, 0.0, -60.0f, 4, 4}, {1000.0, 0.0, 120.0f, 0, 4},
        {1000.0, 0.0, 120.0f, 4, 0}, {0.0, 0.0, 120.0f, 4, 4},    {0.001, 0.0, 120.0f, 4, 4},
        {1000.0, 0.0, 1e30f, 4, 4},
    };
    for (const auto& fields : bad) {
        SxMusicGrid grid{1, 2, 3, 4};
        EXPECT_EQ(SxComputeMusicGrid(fields, grid), SX_InvalidParameter) << fields.tempo;
        EXPECT_EQ(grid.beat, 1);
    }
}

TEST_F(MusicSyncTest, SegmentTimesFromCues) {
    EXPECT_EQ(segment.PreEntry(), 24000);
    EXPECT_EQ(segment.Active(), 384000);
    EXPECT_EQ(segment.PostExit(), 72000);
}

// A change asked mid-bar, 1.3 bars after the entry cue (124800 samples): where each sync type
// lets the new music start, by hand: next grid line 12000 + 3 x 48000, next bar 2 x 96000,
// next beat 6 x 24000, next cue the user cue at 156000 - 24000, exit 384000.
TEST_F(MusicSyncTest, EachSyncTypeFromMidBar) {
    struct Case {
        uint32_t type;
        int32_t expected;
    };
    const Case cases[] = {
        {SxSyncType_Immediate, 124800},  {SxSyncType_NextGrid, 156000},   {SxSyncType_NextBar, 192000},
        {SxSyncType_NextBeat, 144000},   {SxSyncType_NextMarker, 132000}, {SxSyncType_NextUserMarker, 132000},
        {SxSyncType_ExitMarker, 384000},
    };
    for (const Case& c : cases) {
        int32_t out = -1;
        ASSERT_EQ(SxGetNextSyncPosition(segment, 124800, c.type, true, out), SX_Success) << c.type;
        EXPECT_EQ(out, c.expected) << c.type;
    }
    int32_t out = 0;
    EXPECT_EQ(SxGetNextSyncPosition(segment, 124800, SxSyncType_EntryMarker, false, out), SX_Fail);
    EXPECT_EQ(SxGetNextSyncPosition(segment, 124800, 8, false, out), SX_Fail);
}

TEST_F(MusicSyncTest, BoundariesAndTheEnd) {
    int32_t out = 0;
    // A beat boundary is its own next beat; a user cue is not its own next user cue.
    ASSERT_EQ(SxGetNextSyncPosition(segment, 48000, SxSyncType_NextBeat, true, out), SX_Success);
    EXPECT_EQ(out, 48000);
    ASSERT_EQ(SxGetNextSyncPosition(segment, 48000, SxSyncType_NextUserMarker, true, out), SX_Success);
    EXPECT_EQ(out, 132000);
    EXPECT_EQ(SxGetNextSyncPosition(segment, 132000, SxSyncType_NextUserMarker, true, out), SX_Fail);
    // The last grid line before the exit cue is at 348000; past the exit nothing is left.
    EXPECT_EQ(SxGetNextSyncPosition(segment, 348001, SxSyncType_NextGrid, true, out), SX_Fail);
    ASSERT_EQ(SxGetNextSyncPosition(segment, 300000, SxSyncType_NextBar, true, out), SX_Success);
    EXPECT_EQ(out, 384000);
    EXPECT_EQ(SxGetNextSyncPosition(segment, 400000, SxSyncType_Immediate, true, out), SX_Fail);
    // In the pre-entry: the entry sync holds without exclusion; exclusion starts at the entry.
    ASSERT_EQ(SxGetNextSyncPosition(segment, -10000, SxSyncType_EntryMarker, false, out), SX_Success);
    EXPECT_EQ(out, 0);
    ASSERT_EQ(SxGetNextSyncPosition(segment, -10000, SxSyncType_NextMarker, false, out), SX_Success);
    EXPECT_EQ(out, 0);
    ASSERT_EQ(SxGetNextSyncPosition(segment, -90000, SxSyncType_Immediate, false, out), SX_Success);
    EXPECT_EQ(out, -24000);
    ASSERT_EQ(SxGetNextSyncPosition(segment, -10000, SxSyncType_Immediate, true, out), SX_Success);
    EXPECT_EQ(out, 0);
    ASSERT_EQ(SxGetNextSyncPosition(segment, 1, SxSyncType_NextMarker, true, out), SX_Success);
    EXPECT_EQ(out, 48000);
}

TEST_F(MusicSyncTest, GridSyncsWithoutAGridFailInsteadOfLooping) {
    segment.grid = SxMusicGrid{};
    int32_t out = 0;
    for (uint32_t type : {SxSyncType_NextGrid, SxSyncType_NextBar, SxSyncType_NextBeat})
        EXPECT_EQ(SxGetNextSyncPosition(segment, 1000, type, true, out), SX_Fail) << type;
    EXPECT_EQ(SxGetNextSyncPosition(segment, 1000, SxSyncType_ExitMarker, true, out), SX_Success);
}

TEST_F(MusicSyncTest, DestinationEntries) {
    int32_t out = -1;
    ASSERT_EQ(SxGetDestEntryPosition(segment, SxEntryType_EntryMarker, 5000, out), SX_Success);
    EXPECT_EQ(out, 0);
    ASSERT_EQ(SxGetDestEntryPosition(segment, SxEntryType_SameTime, 5000, out), SX_Success);
    EXPECT_EQ(out, 5000);
    EXPECT_EQ(SxGetDestEntryPosition(segment, SxEntryType_SameTime, 384000, out), SX_Fail);
    EXPECT_EQ(SxGetDestEntryPosition(segment, 4, 0, out), SX_Fail);
    platform::crt_srand(3);
    bool seen[2] = {false, false};
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(SxGetDestEntryPosition(segment, SxEntryType_RandomUserMarker, 0, out), SX_Success);
        ASSERT_TRUE(out == 48000 || out == 132000) << out;
        seen[out == 132000] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1]);
    // Entry and exit cues only: a random cue is always the entry.
    SxSegmentTiming plain;
    plain.duration = 1000;
    plain.cues = {{1, 100}, {2, 900}};
    for (uint32_t type : {SxEntryType_RandomMarker, SxEntryType_RandomUserMarker}) {
        for (int i = 0; i < 20; ++i) {
            ASSERT_EQ(SxGetDestEntryPosition(plain, type, 0, out), SX_Success);
            EXPECT_EQ(out, 0);
        }
    }
}

}  // namespace
}  // namespace SX
