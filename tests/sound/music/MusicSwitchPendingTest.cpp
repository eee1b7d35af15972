// What a music switch change does to what waits on the music it leaves: a stinger due after the
// change's sync point, a state change held back for a sync point of that music, and the change of
// a switch below one whose own change is still ahead. Heard on the device's output and read from
// the state manager frame by frame, against positions worked out by hand.
#include <algorithm>

#include "SxMusicPlayFixture.h"
#include "sound/music/SxMusicSync.h"

namespace SX {
namespace {

namespace bw = bankwriter;
using sxtest::FirstDeparture;
using sxtest::MusicCallback;

constexpr uint32_t kA = 100, kB = 200, kT = 250, kStinger = 400, kSwitch = 300, kInner = 350, kEvent = 900;
constexpr uint32_t kGroup = 50, kStateA = 1, kStateB = 2;
constexpr uint32_t kMood = 60, kCalm = 7;
constexpr uint32_t kTrigger = 77, kSwitchGroup = 70, kToB = 1, kToT = 2;
constexpr float kLevelA = 0.2f, kLevelB = 0.5f, kLevelT = 0.3f, kLevelS = 0.1f;
constexpr uint32_t kNoSync = 0xFF;
// At 120 beats per minute a beat is 24000 samples and a bar 96000. A's user cue is at 81600 and
// its exit cue at 384000; B's user cue is 48000 after its entry. The changes reach the engine at
// the start of frame 50 (51200), in A's first bar, before its third beat.
constexpr uint32_t kChangeFrame = 50;

// The level heard from a sample on, as a multiple of A's; each span departs from its level
// exactly where the next begins.
struct Span {
    int64_t from;
    float level;
};

class MusicSwitchPending : public sxtest::MusicPlayEngine {
protected:
    // A and B under a switch on the state group, both using the mood group with the sync types
    // given (kNoSync: the segment does not use it); the switch holds a one-second stinger on the
    // trigger that plays on the next user cue.
    void LoadSwitch(uint32_t switchSync, uint32_t stingerLookAhead, uint8_t moodSyncA, uint8_t moodSyncB) {
        std::vector<bw::Bytes> records =
            Segment(kA, kLevelA, 8000.0, {{1, 0.0}, {2, 1700.0}, {3, 8000.0}}, kSwitch, Moody(moodSyncA));
        for (const std::vector<bw::Bytes>& more :
             {Segment(kB, kLevelB, 4000.0, {{1, 0.0}, {2, 1000.0}, {3, 4000.0}}, kSwitch, Moody(moodSyncB)),
              Segment(kStinger, kLevelS, 1000.0, {{1, 0.0}, {2, 1000.0}}, 0)})
            records.insert(records.end(), more.begin(), more.end());
        bw::MusicNode node = Grid({kA, kB});
        node.stingers = {{kTrigger, kStinger, SxSyncType_NextUserMarker, 0, stingerLookAhead}};
        bw::TransitionRule rule;
        rule.syncType = switchSync;
        records.push_back(bw::Record(
            bw::Hirc_MusicSwitch,
            bw::MusicSwitchBody(kSwitch, node, {rule}, 1, kGroup, kStateA, false, {{kStateA, kA}, {kStateB, kB}})));
        Load(records, kEvent, kSwitch);
        AddStateGroups();
    }
    static bw::MusicNode Moody(uint8_t syncType) {
        bw::MusicNode node;
        if (syncType != kNoSync) node.node.stateGroups = {{kMood, syncType, {}}};
        return node;
    }
    void AddStateGroups() {
        platform::Lock lock(g_csMain);
        g_pStateMgr->AddStateGroup(kGroup);
        g_pStateMgr->AddStateGroup(kMood);
    }
    uint32_t Mood() {
        platform::Lock lock(g_csMain);
        return g_pStateMgr->GetState(kMood);
    }
    // Frames until `total`; the start sample of the frame after which the mood was first calm.
    int64_t PlayOn(uint32_t total) {
        int64_t calmAfter = -1;
        while (frames < total) {
            const int64_t frameStart = NextFrameSample();
            Frame();
            if (calmAfter < 0 && Mood() == kCalm) calmAfter = frameStart;
        }
        return calmAfter;
    }
    // The output is each span's level (a multiple of A's, measured early in A) from its first
    // sample up to the next span's, and the last span's on to the end.
    static void ExpectSpans(const std::vector<float>& left, const std::vector<Span>& spans, const char* what) {
        const float a = left[20000];
        ASSERT_GT(a, 0.1f) << what;
        for (size_t i = 0; i < spans.size(); ++i) {
            // Measured from two frames in: music that starts mid-frame rises to its level across
            // that frame.
            const auto from = static_cast<size_t>(spans[i].from + 2048);
            ASSERT_LT(from, left.size()) << what;
            const float level = left[from];
            EXPECT_NEAR(level / a, spans[i].level, 0.02) << what << ": span " << i;
            const int64_t end = i + 1 < spans.size() ? spans[i + 1].from : -1;
            EXPECT_EQ(FirstDeparture(left, from, level), end) << what << ": span " << i;
        }
    }
};

TEST_F(MusicSwitchPending, ChangeMovesTheStingerAndTheStateChangeDueAfterItsSyncPoint) {
    // The stinger is triggered and the mood changed, both waiting for points of A (its user cue at
    // 81600, its next bar at 96000); then the switch changes to B in the same frame.
    constexpr float kB_ = kLevelB / kLevelA, kS_ = kLevelS / kLevelA;
    struct Case {
        const char* what;
        uint32_t switchSync;
        uint32_t lookAhead;
        uint8_t moodSyncB;
        bool changeBack;  // the state goes back to A one frame later
        std::vector<Span> spans;
        int64_t calmBy;  // the mood is calm after the frame holding this sample
    } cases[] = {
        {"change on the next beat: the stinger goes, the mood waits for B's user cue",
         SxSyncType_NextBeat,
         0,
         SxSyncType_NextUserMarker,
         false,
         {{0, 1.0f}, {72000, kB_}},
         120000},
        {"a stinger that may look ahead plays on B's user cue; a B without the mood takes it as B enters",
         SxSyncType_NextBeat,
         1,
         kNoSync,
         false,
         {{0, 1.0f}, {72000, kB_}, {120000, kB_ + kS_}, {168000, kB_}},
         72000},
        {"change on the exit cue: the stinger and the mood keep A's points",
         SxSyncType_ExitMarker,
         1,
         SxSyncType_NextUserMarker,
         false,
         {{0, 1.0f}, {81600, 1.0f + kS_}, {129600, 1.0f}, {384000, kB_}},
         96000},
        {"a change taken back: A's bar applies the mood, the stinger moved onto B is gone",
         SxSyncType_NextBeat,
         1,
         SxSyncType_NextUserMarker,
         true,
         {{0, 1.0f}},
         96000},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        LoadSwitch(c.switchSync, c.lookAhead, SxSyncType_NextBar, c.moodSyncB);
        ASSERT_NE(Post(kEvent, 0), 0u);
        while (frames < kChangeFrame) Frame();
        SoundEngine::PostTrigger(kTrigger, kObject);
        SoundEngine::SetState(kMood, kCalm);
        SoundEngine::SetState(kGroup, kStateB);
        Frame();
        ASSERT_EQ(Mood(), 0u) << c.what << ": the mood waits";
        if (c.changeBack) SoundEngine::SetState(kGroup, kStateA);
        const int64_t calmAfter = PlayOn(static_cast<uint32_t>(std::max(c.spans.back().from, c.calmBy) / 1024 + 60));
        EXPECT_LE(calmAfter, c.calmBy) << c.what;
        EXPECT_GT(calmAfter + 1024, c.calmBy) << c.what << ": in the frame of the sync point";
        ExpectSpans(Captured(), c.spans, c.what);
    }
}

TEST_F(MusicSwitchPending, StateChangeDuringAPendingChangeWaitsForTheNewMusicsPoint) {
    // The switch change comes first (to B on the next beat, 72000); the mood change then finds no
    // bar of A before B takes over and waits for B's user cue.
    LoadSwitch(SxSyncType_NextBeat, 0, SxSyncType_NextBar, SxSyncType_NextUserMarker);
    ASSERT_NE(Post(kEvent, 0), 0u);
    while (frames < kChangeFrame) Frame();
    SoundEngine::SetState(kGroup, kStateB);
    Frame();
    SoundEngine::SetState(kMood, kCalm);
    const int64_t calmAfter = PlayOn(140);
    EXPECT_LE(calmAfter, 120000);
    EXPECT_GT(calmAfter + 1024, 120000);
}

class MusicNestedSwitch : public MusicSwitchPending {
protected:
    // The state picks A or the inner switch; the inner switch's switch group picks B or T.
    void LoadNested(uint32_t outerSync, uint32_t innerSync) {
        std::vector<bw::Bytes> records = Segment(kA, kLevelA, 8000.0, {{1, 0.0}, {2, 8000.0}}, kSwitch);
        for (const std::vector<bw::Bytes>& more : {Segment(kB, kLevelB, 8000.0, {{1, 0.0}, {2, 8000.0}}, kInner),
                                                   Segment(kT, kLevelT, 8000.0, {{1, 0.0}, {2, 8000.0}}, kInner)})
            records.insert(records.end(), more.begin(), more.end());
        bw::TransitionRule outer, inner;
        outer.syncType = outerSync;
        inner.syncType = innerSync;
        bw::MusicNode innerNode = Grid({kB, kT});
        innerNode.node.parentID = kSwitch;
        records.push_back(bw::Record(
            bw::Hirc_MusicSwitch,
            bw::MusicSwitchBody(kInner, innerNode, {inner}, 0, kSwitchGroup, kToB, false, {{kToB, kB}, {kToT, kT}})));
        records.push_back(
            bw::Record(bw::Hirc_MusicSwitch, bw::MusicSwitchBody(kSwitch, Grid({kA, kInner}), {outer}, 1, kGroup,
                                                                 kStateA, false, {{kStateA, kA}, {kStateB, kInner}})));
        Load(records, kEvent, kSwitch);
        AddStateGroups();
    }
    void ExpectChanges(const std::vector<MusicCallback>& expected) {
        std::vector<MusicCallback> heard = callbacks;
        std::sort(heard.begin(), heard.end());
        EXPECT_EQ(heard, expected);
    }
};

TEST_F(MusicNestedSwitch, InnerChangeWaitsForThePendingOuterChange) {
    // The outer change to the inner switch (playing B) waits for the next bar, 96000; the inner
    // change to T made meanwhile follows once B is heard, by the inner rule: B's next beat, 120000.
    LoadNested(SxSyncType_NextBar, SxSyncType_NextBeat);
    ASSERT_NE(Post(kEvent, 0x4000), 0u);
    while (frames < kChangeFrame) Frame();
    SoundEngine::SetState(kGroup, kStateB);
    Frame();
    SoundEngine::SetSwitch(kSwitchGroup, kToT, kObject);
    while (frames < 140) Frame();
    ExpectSpans(Captured(), {{0, 1.0f}, {96000, kLevelB / kLevelA}, {120000, kLevelT / kLevelA}}, "B, then T");
    ExpectChanges({{96000, 0x4000}, {120000, 0x4000}});
}

TEST_F(MusicNestedSwitch, InnerChangeWhileTheOuterPlaysElsewhereWaitsUntilItIsPlayed) {
    // The inner switch changes while A plays: A goes on untouched; the outer change on the next
    // beat after 51200 (72000) then plays the inner switch's value of now, T.
    LoadNested(SxSyncType_NextBeat, SxSyncType_Immediate);
    ASSERT_NE(Post(kEvent, 0x4000), 0u);
    while (frames < 5) Frame();
    SoundEngine::SetSwitch(kSwitchGroup, kToT, kObject);
    while (frames < kChangeFrame) Frame();
    SoundEngine::SetState(kGroup, kStateB);
    while (frames < 90) Frame();
    ExpectSpans(Captured(), {{0, 1.0f}, {72000, kLevelT / kLevelA}}, "A, then T");
    ExpectChanges({{72000, 0x4000}});
}

}  // namespace
}  // namespace SX
