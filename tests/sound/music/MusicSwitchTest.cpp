// A music switch container on a state group, changed in the middle of a bar: for each sync type
// the old segment is heard up to the sync point (or fades out before it) and the new one from
// there, measured on the device's output against positions worked out by hand.
#include <algorithm>
#include <cmath>

#include "SxMusicPlayFixture.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "sound/music/SxMusicSync.h"
#include "tests/sound/engine/SxRenderProbes.h"

namespace SX {
namespace {

namespace bw = bankwriter;
using sxtest::FirstDeparture;
using sxtest::MusicCallback;

constexpr uint32_t kA = 100, kB = 200, kT = 400, kSwitch = 300, kEvent = 900;
constexpr uint32_t kGroup = 50, kStateA = 1, kStateB = 2;
constexpr float kLevelA = 0.2f, kLevelB = 0.5f, kLevelT = 0.8f;
// The state changes about 50 frames (some 51000 samples) into A, in its first bar's third beat.
// At 120 beats per minute a beat is 24000 samples and a bar 96000; the grid lines fall every
// 36000 samples from 12000; A's user cue is at 81600 and its exit cue at 384000.
constexpr uint32_t kChangeFrame = 50;
constexpr int64_t kImmediate = -1;  // the frame the change reaches the engine

class MusicSwitch : public sxtest::MusicPlayEngine {
protected:
    void LoadSwitch(const bw::TransitionRule& rule, bool grid = true) {
        std::vector<bw::Bytes> records = Segment(kA, kLevelA, 8000.0, {{1, 0.0}, {2, 1700.0}, {3, 8000.0}}, kSwitch);
        for (const std::vector<bw::Bytes>& more : {Segment(kB, kLevelB, 4000.0, {{1, 0.0}, {2, 4000.0}}, kSwitch),
                                                   Segment(kT, kLevelT, 2000.0, {{1, 0.0}, {2, 2000.0}}, kSwitch)})
            records.insert(records.end(), more.begin(), more.end());
        bw::MusicNode node = Grid({kA, kB, kT});
        node.gridPeriodMs = 750.0;
        node.gridOffsetMs = 250.0;
        node.overrideGrid = grid;
        records.push_back(bw::Record(
            bw::Hirc_MusicSwitch,
            bw::MusicSwitchBody(kSwitch, node, {rule}, 1, kGroup, kStateA, false, {{kStateA, kA}, {kStateB, kB}})));
        Load(records, kEvent, kSwitch);
        platform::Lock lock(g_csMain);
        g_pStateMgr->AddStateGroup(kGroup);
    }
    // Plays A, changes the state to B at the start of frame kChangeFrame, plays on.
    std::vector<float> PlayAndChange(uint32_t totalFrames) {
        EXPECT_NE(Post(kEvent, 0x4C00), 0u);
        while (frames < kChangeFrame) Frame();
        changedAt = NextFrameSample();
        SoundEngine::SetState(kGroup, kStateB);
        while (frames < totalFrames) Frame();
        return Captured();
    }
    int64_t changedAt = 0;
};

TEST_F(MusicSwitch, StateChangeMidBarStartsTheNewMusicAtTheSyncPointOfEachType) {
    struct Case {
        const char* what;
        uint32_t syncType;
        int64_t sync;
    } cases[] = {
        {"immediate", SxSyncType_Immediate, kImmediate}, {"next grid line", SxSyncType_NextGrid, 84000},
        {"next bar", SxSyncType_NextBar, 96000},         {"next beat", SxSyncType_NextBeat, 72000},
        {"next cue", SxSyncType_NextMarker, 81600},      {"next user cue", SxSyncType_NextUserMarker, 81600},
        {"exit cue", SxSyncType_ExitMarker, 384000},
    };
    for (Case c : cases) {
        TearDown();
        SetUp();
        bw::TransitionRule rule;
        rule.syncType = c.syncType;
        LoadSwitch(rule);
        const std::vector<float> left =
            PlayAndChange(static_cast<uint32_t>((c.sync == kImmediate ? 52000 : c.sync) / 1024 + 20));
        ASSERT_GT(changedAt, 48000);
        ASSERT_LT(changedAt, 72000);
        if (c.sync == kImmediate) c.sync = changedAt;
        ASSERT_GT(left.size(), static_cast<size_t>(c.sync + 4096)) << c.what;
        const float a = left[20000];
        ASSERT_GT(a, 0.1f) << c.what;
        EXPECT_EQ(FirstDeparture(left, 1024, a), c.sync) << c.what << ": A is heard up to the sync point";
        // From the frame after the sync point only B is heard (A's level would add to it).
        EXPECT_NEAR(left[c.sync + 2048] / a, kLevelB / kLevelA, 0.01) << c.what;

        // B's entry and the change becoming current fall on the sync point; A exits only when
        // the change waited for its exit cue.
        std::vector<MusicCallback> expected{{0, 0x400}, {c.sync, 0x400}, {c.sync, 0x4000}};
        if (c.syncType == SxSyncType_ExitMarker) expected.push_back({c.sync, 0x800});
        std::sort(expected.begin(), expected.end());
        std::vector<MusicCallback> heard = callbacks;
        std::sort(heard.begin(), heard.end());
        EXPECT_EQ(heard, expected) << c.what;
    }
}

TEST_F(MusicSwitch, SourceFadeEndsAtTheSyncPointAndTheDestinationFadesIn) {
    // Half a second of fade-out must fit before the sync point: the next bar after 51200 + 24000
    // is 96000, so A fades from 72000 to 96000; B fades in over a quarter second from there.
    bw::TransitionRule rule;
    rule.syncType = SxSyncType_NextBar;
    rule.sourceFade = {500, SxCurve_Linear, 0};
    rule.destinationFade = {250, SxCurve_Linear, 0};
    LoadSwitch(rule);
    const std::vector<float> left = PlayAndChange(130);
    const float a = left[20000];
    const int64_t fadeStart = FirstDeparture(left, 1024, a);
    EXPECT_GE(fadeStart, 72000 - 1024);
    EXPECT_LE(fadeStart, 72000);
    EXPECT_GT(left[84000], 0.0f);
    EXPECT_LT(left[84000], a * 0.9f) << "halfway through the fade";
    EXPECT_LT(left[95900], a * 0.1f) << "A is nearly silent at the sync point";
    // B rises over 12000 samples from the sync point and is then steady.
    EXPECT_LT(left[97000], left[104000]);
    EXPECT_LT(left[104000], left[110000]);
    EXPECT_NEAR(left[110000] / a, kLevelB / kLevelA, 0.01);
}

TEST_F(MusicSwitch, FadesFollowTheCurvesTheRuleNames) {
    // A fades out from 72000 to the sync point at 96000, B fades in over 12000 samples from there.
    // Each fade's level in dB runs along its curve between 0 and -96.3 dB; the level is measured on
    // the last sample of each frame, which the mix reaches at the volume of the frame's end.
    constexpr double kFloor = -96.3, kHalfPi = 1.5707963267948966;
    struct Case {
        const char* what;
        uint32_t curve;
        double (*falling)(double p);  // dB of a fade-out at progress p
    } cases[] = {
        {"linear", SxCurve_Linear, [](double p) { return kFloor * p; }},
        {"cubic, fast", SxCurve_Log3, [](double p) { return kFloor * (1.0 - std::pow(1.0 - p, 3.0)); }},
        {"cubic, slow", SxCurve_Exp3, [](double p) { return kFloor * std::pow(p, 3.0); }},
        {"sine, fast", SxCurve_Sine, [](double p) { return kFloor * std::sin(p * kHalfPi); }},
        {"sine, slow", SxCurve_SineRecip, [](double p) { return kFloor * (1.0 - std::cos(p * kHalfPi)); }},
        {"power 1.41, slow", SxCurve_Exp1, [](double p) { return kFloor * std::pow(p, 1.41); }},
        {"constant", SxCurve_Constant, [](double) { return 0.0; }},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        bw::TransitionRule rule;
        rule.syncType = SxSyncType_NextBar;
        rule.sourceFade = {500, c.curve, 0};
        // The fade-in runs the same curve from -96.3 dB up: its level is the floor less the
        // fade-out's at the same progress.
        rule.destinationFade = {250, c.curve, 0};
        LoadSwitch(rule);
        const std::vector<float> left = PlayAndChange(130);
        const float a = left[20000];
        ASSERT_GT(a, 0.1f) << c.what;
        int checked = 0;
        for (int64_t end = 73 * 1024; end < 96000; end += 1024) {
            const double expected = c.falling(double(end - 72000) / 24000.0);
            if (expected < -30.0) continue;  // too faint to measure on 16 bits
            EXPECT_NEAR(20.0 * std::log10(left[end - 1] / a), expected, 0.5) << c.what << " fade-out at " << end;
            ++checked;
        }
        EXPECT_GT(checked, 0) << c.what;
        const float b = a * kLevelB / kLevelA;
        for (int64_t end = 94 * 1024; end < 108000; end += 1024) {
            const double expected = kFloor - c.falling(double(end - 96000) / 12000.0);
            if (expected < -30.0) continue;
            EXPECT_NEAR(20.0 * std::log10(left[end - 1] / b), expected, 0.5) << c.what << " fade-in at " << end;
        }
        EXPECT_NEAR(left[110000] / b, 1.0, 0.01) << c.what << ": B at full level after its fade";
    }
}

TEST_F(MusicSwitch, TransitionSegmentPlaysBetweenTheTwo) {
    // A leaves on the next bar (96000) for the one-bar transition segment, which hands over to B
    // at its exit cue (192000).
    bw::TransitionRule rule;
    rule.syncType = SxSyncType_NextBar;
    rule.hasTransSegment = true;
    rule.transSegmentID = kT;
    LoadSwitch(rule);
    const std::vector<float> left = PlayAndChange(200);
    const float a = left[20000];
    EXPECT_EQ(FirstDeparture(left, 1024, a), 96000);
    const float t = left[150000];
    EXPECT_NEAR(t / a, kLevelT / kLevelA, 0.02);
    EXPECT_EQ(FirstDeparture(left, 98048, t), 192000);
    EXPECT_NEAR(left[200000] / a, kLevelB / kLevelA, 0.01);
    // The transition segment reaches its exit cue where B enters.
    std::vector<MusicCallback> expected{{0, 0x400}, {96000, 0x400}, {192000, 0x400}, {192000, 0x800}, {192000, 0x4000}};
    std::vector<MusicCallback> heard = callbacks;
    std::sort(heard.begin(), heard.end());
    EXPECT_EQ(heard, expected);
}

TEST_F(MusicSwitch, SecondChangeWithinTheBarReplacesTheFirst) {
    bw::TransitionRule rule;
    rule.syncType = SxSyncType_NextBar;
    LoadSwitch(rule);
    EXPECT_NE(Post(kEvent, 0x4000), 0u);
    while (frames < kChangeFrame) Frame();
    SoundEngine::SetState(kGroup, kStateB);
    Frame();
    SoundEngine::SetState(kGroup, kStateA);
    while (frames < 130) Frame();
    const std::vector<float> left = Captured();
    // Back to A before the bar ended: A plays on through the bar line, B is never heard.
    const float a = left[20000];
    EXPECT_EQ(FirstDeparture(left, 1024, a), -1);
    EXPECT_TRUE(callbacks.empty()) << "no change became current";
}

TEST_F(MusicSwitch, GridSyncWithoutAGridDropsTheChange) {
    for (uint32_t syncType : {SxSyncType_NextBar, SxSyncType_NextBeat, SxSyncType_NextGrid}) {
        TearDown();
        SetUp();
        bw::TransitionRule rule;
        rule.syncType = syncType;
        LoadSwitch(rule, false);
        const std::vector<float> left = PlayAndChange(120);
        EXPECT_EQ(FirstDeparture(left, 1024, left[20000]), -1) << syncType << ": A plays on";
        const std::vector<MusicCallback> entryOnly{{0, 0x400}};
        EXPECT_EQ(callbacks, entryOnly) << syncType;
    }
}

TEST_F(MusicSwitch, SwitchInsideASwitchFollowsItsOwnGroupByItsOwnRules) {
    // The state picks A or the inner switch; the inner switch's switch group picks B or T. The
    // outer rules change at once, the inner ones on the next bar.
    constexpr uint32_t kInner = 350, kSwitchGroup = 70, kToB = 1, kToT = 2;
    std::vector<bw::Bytes> records = Segment(kA, kLevelA, 8000.0, {{1, 0.0}, {2, 8000.0}}, kSwitch);
    for (const std::vector<bw::Bytes>& more : {Segment(kB, kLevelB, 8000.0, {{1, 0.0}, {2, 8000.0}}, kInner),
                                               Segment(kT, kLevelT, 8000.0, {{1, 0.0}, {2, 8000.0}}, kInner)})
        records.insert(records.end(), more.begin(), more.end());
    bw::TransitionRule now, onBar;
    now.syncType = SxSyncType_Immediate;
    onBar.syncType = SxSyncType_NextBar;
    bw::MusicNode inner = Grid({kB, kT});
    inner.node.parentID = kSwitch;
    records.push_back(bw::Record(bw::Hirc_MusicSwitch, bw::MusicSwitchBody(kInner, inner, {onBar}, 0, kSwitchGroup,
                                                                           kToB, false, {{kToB, kB}, {kToT, kT}})));
    records.push_back(
        bw::Record(bw::Hirc_MusicSwitch, bw::MusicSwitchBody(kSwitch, Grid({kA, kInner}), {now}, 1, kGroup, kStateA,
                                                             false, {{kStateA, kA}, {kStateB, kInner}})));
    Load(records, kEvent, kSwitch);
    {
        platform::Lock lock(g_csMain);
        g_pStateMgr->AddStateGroup(kGroup);
    }
    SoundEngine::SetState(kGroup, kStateB);
    ASSERT_NE(Post(kEvent, 0x4000), 0u);
    while (frames < kChangeFrame) Frame();
    const int64_t changedAt = NextFrameSample();
    SoundEngine::SetSwitch(kSwitchGroup, kToT, kObject);
    while (frames < 120) Frame();
    const std::vector<float> left = Captured();
    const float b = left[20000];
    EXPECT_NEAR(left[20000] / left[100000], kLevelB / kLevelT, 0.01) << "B first, then T";
    ASSERT_LT(changedAt, 96000);
    EXPECT_EQ(FirstDeparture(left, 1024, b), 96000) << "the inner switch's rule: the next bar";
    const std::vector<MusicCallback> changes{{96000, 0x4000}};
    EXPECT_EQ(callbacks, changes);
}

TEST_F(MusicSwitch, RuleNamingThePlaylistStartsItAtTheRulesItem) {
    // The state picks A or a playlist of B then T; the rule into the playlist starts it at T.
    constexpr uint32_t kPlaylist = 360, kItemT = 3;
    std::vector<bw::Bytes> records = Segment(kA, kLevelA, 8000.0, {{1, 0.0}, {2, 8000.0}}, kSwitch);
    for (const std::vector<bw::Bytes>& more : {Segment(kB, kLevelB, 2000.0, {{1, 0.0}, {2, 2000.0}}, kPlaylist),
                                               Segment(kT, kLevelT, 2000.0, {{1, 0.0}, {2, 2000.0}}, kPlaylist)})
        records.insert(records.end(), more.begin(), more.end());
    bw::TransitionRule any, intoPlaylist;
    intoPlaylist.destinationID = kPlaylist;
    intoPlaylist.syncType = SxSyncType_NextBar;
    intoPlaylist.jumpToItem = kItemT;
    bw::TransitionRule atExit;
    atExit.syncType = SxSyncType_ExitMarker;
    bw::MusicNode playlist = Grid({kB, kT});
    playlist.node.parentID = kSwitch;
    records.push_back(bw::Record(bw::Hirc_MusicRanSeq, bw::MusicRanSeqBody(kPlaylist, playlist, {atExit},
                                                                           {{0, 1, 2, 0, 1}, {kB, 2}, {kT, kItemT}})));
    records.push_back(bw::Record(bw::Hirc_MusicSwitch,
                                 bw::MusicSwitchBody(kSwitch, Grid({kA, kPlaylist}), {any, intoPlaylist}, 1, kGroup,
                                                     kStateA, false, {{kStateA, kA}, {kStateB, kPlaylist}})));
    Load(records, kEvent, kSwitch);
    {
        platform::Lock lock(g_csMain);
        g_pStateMgr->AddStateGroup(kGroup);
    }
    const std::vector<float> left = PlayAndChange(200);
    const float a = left[20000];
    EXPECT_EQ(FirstDeparture(left, 1024, a), 96000);
    EXPECT_NEAR(left[120000] / a, kLevelT / kLevelA, 0.02) << "T, not B, follows A";
    EXPECT_EQ(FirstDeparture(left, 98048, left[120000]), 192000) << "and the playlist ends after it";
}

TEST_F(MusicSwitch, StoppedMusicEndsItsEventAndTermReturns) {
    bw::TransitionRule rule;
    LoadSwitch(rule);
    const SxPlayingID id = Post(kEvent, 0);
    ASSERT_NE(id, 0u);
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(CSxMusicRenderer::ContextCount(), 1u);
    SoundEngine::StopPlayingID(id);
    for (int i = 0; i < 4 && !ended; ++i) Frame();
    EXPECT_TRUE(ended);
    EXPECT_EQ(CSxMusicRenderer::ContextCount(), 0u);
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
}

}  // namespace
}  // namespace SX
