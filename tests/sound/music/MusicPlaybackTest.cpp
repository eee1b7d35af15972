// Music posted as an event and heard on the device: a playlist of two segments at 120 beats per
// minute, each segment's tracks playing their media on the grid, with the music callbacks at
// the samples where their beats, bars, grid lines and cues fall.
#include <algorithm>
#include <cmath>

#include "SxMusicPlayFixture.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "sound/engine/audio/SxQueuedMsg.h"
#include "sound/music/SxMusicSync.h"
#include "platform/os/Random.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/music/CSxMusicContainers.h"
#include "sound/music/SxPlaylistIterator.h"
#include "tests/sound/engine/SxRenderProbes.h"

namespace SX {
namespace {

namespace bw = bankwriter;
using sxtest::FirstDeparture;
using sxtest::MusicCallback;

constexpr uint32_t kA = 100, kB = 200, kPlaylist = 300, kEvent = 900;
constexpr float kLevelA = 0.2f, kLevelB = 0.5f;

class MusicPlayback : public sxtest::MusicPlayEngine {
protected:
    static CSxParameterNodeBase* FindNode(uint32_t id) {
        CSxIndexable* object = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id);
        if (object) object->Release();
        return dynamic_cast<CSxParameterNodeBase*>(object);
    }
    // A: two bars with a user cue at 1.5 s; B: one bar. The playlist plays A then B once.
    void LoadPlaylist(std::vector<bw::PlaylistItem> items) {
        std::vector<bw::Bytes> records = Segment(kA, kLevelA, 4000.0, {{1, 0.0}, {2, 1500.0}, {3, 4000.0}}, kPlaylist);
        const std::vector<bw::Bytes> b = Segment(kB, kLevelB, 2000.0, {{1, 0.0}, {2, 2000.0}}, kPlaylist);
        records.insert(records.end(), b.begin(), b.end());
        bw::TransitionRule atExit;
        atExit.syncType = SxSyncType_ExitMarker;
        records.push_back(
            bw::Record(bw::Hirc_MusicRanSeq, bw::MusicRanSeqBody(kPlaylist, Grid({kA, kB}), {atExit}, items)));
        Load(records, kEvent, kPlaylist);
    }
};

TEST_F(MusicPlayback, TwoSegmentPlaylistSoundsAndCallsBackAtItsSamples) {
    LoadPlaylist({{0, 1, 2, 0, 1}, {kA, 2}, {kB, 3}});
    ASSERT_NE(Post(kEvent, 0x3F00), 0u);
    while (!ended && frames < 400) Frame();
    for (int i = 0; i < 3; ++i) Frame();
    ASSERT_TRUE(ended) << "the event ends with its music";
    EXPECT_EQ(CSxMusicRenderer::ContextCount(), 0u);
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);

    // The device hears A from the first sample to its exit cue at 192000, then B for one bar.
    const std::vector<float> left = Captured();
    ASSERT_GT(left.size(), 289000u);
    const float a = left[48000], b = left[240000];
    EXPECT_GT(a, 0.1f);
    EXPECT_NEAR(b / a, kLevelB / kLevelA, 0.01);
    EXPECT_EQ(FirstDeparture(left, 0, 0.0f), 1) << "A starts at the first sample (its first frame ramps in from 0)";
    EXPECT_EQ(FirstDeparture(left, 1024, a), 192000) << "B takes over at A's exit cue";
    EXPECT_EQ(FirstDeparture(left, 193024, b), 288000) << "B ends at its exit cue";

    std::vector<MusicCallback> expected{{0, 0x400}, {72000, 0x2000}, {192000, 0x800}, {192000, 0x400}, {288000, 0x800}};
    for (int64_t t : {0, 96000, 192000}) expected.push_back({t, 0x200});
    for (int64_t t = 0; t < 288000; t += 24000) {
        expected.push_back({t, 0x100});
        expected.push_back({t, 0x1000});
    }
    std::sort(expected.begin(), expected.end());
    std::vector<MusicCallback> heard = callbacks;
    std::sort(heard.begin(), heard.end());
    EXPECT_EQ(heard, expected);
}

TEST_F(MusicPlayback, RandomPlaylistIsHeardInTheOrderItsIteratorDraws) {
    // A random level avoiding one repeat, looped, over three half-second segments told apart by
    // their levels: the music heard follows what an iterator alone draws with the same seed.
    constexpr uint32_t kC = 250;
    std::vector<bw::Bytes> records;
    const float levels[] = {0.2f, 0.5f, 0.35f};
    const uint32_t ids[] = {kA, kB, kC};
    for (int i = 0; i < 3; ++i) {
        const std::vector<bw::Bytes> segment = Segment(ids[i], levels[i], 500.0, {{1, 0.0}, {2, 500.0}}, kPlaylist);
        records.insert(records.end(), segment.begin(), segment.end());
    }
    bw::TransitionRule atExit;
    atExit.syncType = SxSyncType_ExitMarker;
    bw::PlaylistItem random{0, 1, 3, 2, 8};
    random.avoidRepeat = 1;
    records.push_back(bw::Record(bw::Hirc_MusicRanSeq, bw::MusicRanSeqBody(kPlaylist, Grid({kA, kB, kC}), {atExit},
                                                                           {random, {kA, 2}, {kB, 3}, {kC, 4}})));
    Load(records, kEvent, kPlaylist);
    auto* container = dynamic_cast<CSxMusicRanSeqCntr*>(FindNode(kPlaylist));
    ASSERT_NE(container, nullptr);
    for (unsigned seed : {1234u, 99u}) {
        platform::crt_srand(seed);
        std::vector<uint32_t> drawn;
        SxPlaylistIterator it;
        ASSERT_EQ(it.First(container->Playlist()), SX_Success);
        for (; it.HasNext() && drawn.size() < 40; it.Next()) drawn.push_back(it.SegmentID());
        ASSERT_GE(drawn.size(), 8u);
        ASSERT_LT(drawn.size(), 40u);
        for (size_t k = 1; k < drawn.size(); ++k) EXPECT_NE(drawn[k], drawn[k - 1]) << "no repeat";

        platform::crt_srand(seed);
        ASSERT_NE(Post(kEvent, 0), 0u);
        while (!ended && frames < 1000) Frame();
        ASSERT_TRUE(ended);
        const std::vector<float> left = Captured();
        ASSERT_GE(left.size(), drawn.size() * 24000);
        // Each half second's level against the first one's, whose segment the draw tells.
        const size_t first = static_cast<size_t>(std::find(ids, ids + 3, drawn[0]) - ids);
        const float unit = left[12000] / levels[first];
        std::vector<uint32_t> heard;
        for (size_t k = 0; k < drawn.size(); ++k) {
            const float level = left[k * 24000 + 12000];
            size_t best = 0;
            for (size_t i = 1; i < 3; ++i)
                if (std::fabs(level - levels[i] * unit) < std::fabs(level - levels[best] * unit)) best = i;
            heard.push_back(ids[best]);
        }
        EXPECT_EQ(heard, drawn) << "seed " << seed;
        EXPECT_EQ(FirstDeparture(left, drawn.size() * 24000 + 1, 0.0f), -1) << "and nothing after";
    }
}

TEST_F(MusicPlayback, PlaylistRulePlaysThePreEntryOfTheNextAndThePostExitOfTheLast) {
    // A: two bars and a quarter second of post-exit; B: half a second of pre-entry, then a bar.
    std::vector<bw::Bytes> records = Segment(kA, kLevelA, 4250.0, {{1, 0.0}, {2, 4000.0}}, kPlaylist);
    const std::vector<bw::Bytes> b = Segment(kB, kLevelB, 2500.0, {{1, 500.0}, {2, 2500.0}}, kPlaylist);
    records.insert(records.end(), b.begin(), b.end());
    bw::TransitionRule rule;
    rule.syncType = SxSyncType_ExitMarker;
    rule.playPostExit = true;
    rule.playPreEntry = true;
    records.push_back(bw::Record(bw::Hirc_MusicRanSeq, bw::MusicRanSeqBody(kPlaylist, Grid({kA, kB}), {rule},
                                                                           {{0, 1, 2, 0, 1}, {kA, 2}, {kB, 3}})));
    Load(records, kEvent, kPlaylist);
    ASSERT_NE(Post(kEvent, 0x0C00), 0u);
    while (!ended && frames < 400) Frame();
    const std::vector<float> left = Captured();
    const float a = left[48000];
    // B's pre-entry is heard from 168000 over A; A's post-exit ends at 204000; B's entry cue is
    // on A's exit cue.
    EXPECT_EQ(FirstDeparture(left, 1024, a), 168000);
    const float both = left[180000];
    EXPECT_NEAR(both / a, (kLevelA + kLevelB) / kLevelA, 0.02);
    EXPECT_EQ(FirstDeparture(left, 170048, both), 204000);
    EXPECT_NEAR(left[210000] / a, kLevelB / kLevelA, 0.01);
    std::vector<MusicCallback> expected{{0, 0x400}, {192000, 0x400}, {192000, 0x800}, {288000, 0x800}};
    std::vector<MusicCallback> heard = callbacks;
    std::sort(heard.begin(), heard.end());
    EXPECT_EQ(heard, expected);
}

TEST_F(MusicPlayback, TriggerPlaysTheStingerOnTheNextBarOnceWithinItsDontRepeatTime) {
    constexpr uint32_t kStinger = 400, kTrigger = 77;
    constexpr float kLevelS = 0.3f;
    bw::MusicNode node = Grid({});
    node.stingers = {{kTrigger, kStinger, SxSyncType_NextBar, 3000, 0}};
    std::vector<bw::Bytes> records = Segment(kA, kLevelA, 8000.0, {{1, 0.0}, {2, 8000.0}}, 0, node);
    const std::vector<bw::Bytes> s = Segment(kStinger, kLevelS, 1000.0, {{1, 0.0}, {2, 1000.0}}, 0);
    records.insert(records.end(), s.begin(), s.end());
    Load(records, kEvent, kA);
    ASSERT_NE(Post(kEvent, 0), 0u);
    while (frames < 50) Frame();
    ASSERT_LT(NextFrameSample(), 96000);
    SoundEngine::PostTrigger(kTrigger, kObject);
    Frame();
    SoundEngine::PostTrigger(kTrigger, kObject);
    while (frames < 200) Frame();
    const std::vector<float> left = Captured();
    const float a = left[20000];
    // The stinger sounds over A from the bar line for its one second, and only once.
    EXPECT_EQ(FirstDeparture(left, 1024, a), 96000);
    const float both = left[120000];
    EXPECT_NEAR(both / a, (kLevelA + kLevelS) / kLevelA, 0.02);
    EXPECT_EQ(FirstDeparture(left, 97024, both), 144000);
    EXPECT_EQ(FirstDeparture(left, 145024, a), -1);
}

TEST_F(MusicPlayback, SeekMovesThePlayingSegmentAndItEndsSoonerBySoMuch) {
    struct Case {
        const char* what;
        int32_t ms;
        bool snap;
    } cases[] = {{"to 6 s", 6000, false}, {"to 5.9 s, snapped to the cue at 6 s", 5900, true}};
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        Load(Segment(kA, kLevelA, 8000.0, {{1, 0.0}, {2, 6000.0}, {3, 8000.0}}, 0, Grid({})), kEvent, kA);
        ASSERT_NE(Post(kEvent, 0), 0u);
        while (frames < 20) Frame();
        const int64_t seekAt = NextFrameSample();
        SoundEngine::SeekOnEvent(kEvent, kObject, c.ms, c.snap);
        while (!ended && frames < 400) Frame();
        EXPECT_TRUE(ended) << c.what;
        // Two seconds (96000 samples) were left from 6 s: the music is heard to exactly then.
        const std::vector<float> left = Captured();
        EXPECT_EQ(FirstDeparture(left, static_cast<size_t>(seekAt) + 2048, left[seekAt + 2048]), seekAt + 96000)
            << c.what;
    }
}

TEST_F(MusicPlayback, StopFadesAlongTheCurveOfTheAction) {
    // A stop over half a second: the level in dB falls along the action's curve from the frame
    // the stop reaches the engine, and the music is silent and ended from the fade's end on.
    struct Case {
        const char* what;
        SxCurveInterpolation curve;
        double (*db)(double p);
    } cases[] = {
        {"linear", SxCurve_Linear, [](double p) { return -96.3 * p; }},
        {"cubic, fast", SxCurve_Log3, [](double p) { return -96.3 * (1.0 - std::pow(1.0 - p, 3.0)); }},
        {"sine, slow", SxCurve_SineRecip, [](double p) { return -96.3 * (1.0 - std::cos(p * 1.5707963267948966)); }},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        Load(Segment(kA, kLevelA, 8000.0, {{1, 0.0}, {2, 8000.0}}, 0, Grid({})), kEvent, kA);
        ASSERT_NE(Post(kEvent, 0), 0u);
        while (frames < 20) Frame();
        const int64_t stoppedAt = NextFrameSample();
        SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Stop, SxAllGameObjects, 500, c.curve);
        while (!ended && frames < 100) Frame();
        EXPECT_TRUE(ended) << c.what;
        const std::vector<float> left = Captured();
        const float a = left[10000];
        ASSERT_GT(a, 0.1f) << c.what;
        int checked = 0;
        for (int64_t end = stoppedAt + 1024; end < stoppedAt + 24000; end += 1024) {
            const double expected = c.db(double(end - stoppedAt) / 24000.0);
            if (expected < -30.0) continue;
            EXPECT_NEAR(20.0 * std::log10(left[end - 1] / a), expected, 0.5) << c.what << " at " << end;
            ++checked;
        }
        EXPECT_GE(checked, 2) << c.what;
        EXPECT_EQ(FirstDeparture(left, static_cast<size_t>(stoppedAt + 24576), 0.0f), -1) << c.what;
    }
}

TEST_F(MusicPlayback, PauseAndResumeFadeAlongTheirCurves) {
    // A pause over half a second on the slow cubic curve: the level in dB falls as -96.3 p^3 while
    // the music runs on, then it is held silent; the resume rises over a quarter second, linear
    // in dB. Levels are measured on the last sample of each frame.
    Load(Segment(kA, kLevelA, 8000.0, {{1, 0.0}, {2, 8000.0}}, 0, Grid({})), kEvent, kA);
    ASSERT_NE(Post(kEvent, 0), 0u);
    while (frames < 20) Frame();
    const int64_t pausedAt = NextFrameSample();
    SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Pause, SxAllGameObjects, 500, SxCurve_Exp3);
    while (frames < 60) Frame();
    const int64_t resumedAt = NextFrameSample();
    SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Resume, SxAllGameObjects, 250, SxCurve_Linear);
    while (frames < 90) Frame();
    const std::vector<float> left = Captured();
    ASSERT_GT(left.size(), static_cast<size_t>(resumedAt + 20000));
    const float a = left[10000];
    ASSERT_GT(a, 0.1f);
    const auto db = [&](int64_t i) { return 20.0 * std::log10(left[i] / a); };
    int checked = 0;
    for (int64_t end = pausedAt + 1024; end < pausedAt + 24000; end += 1024) {
        const double p = double(end - pausedAt) / 24000.0;
        const double expected = -96.3 * p * p * p;
        if (expected < -30.0) continue;
        EXPECT_NEAR(db(end - 1), expected, 0.5) << "pause fade at " << end;
        ++checked;
    }
    EXPECT_GT(checked, 10);
    // Silent from the frame the fade ends in until the resume (which starts too faint to hear).
    const int64_t heardAgain = FirstDeparture(left, static_cast<size_t>(pausedAt + 24576), 0.0f);
    EXPECT_GE(heardAgain, resumedAt);
    EXPECT_LT(heardAgain, resumedAt + 6000);
    checked = 0;
    for (int64_t end = resumedAt + 1024; end < resumedAt + 12000; end += 1024) {
        const double expected = -96.3 * (1.0 - double(end - resumedAt) / 12000.0);
        if (expected < -30.0) continue;
        EXPECT_NEAR(db(end - 1), expected, 0.5) << "resume fade at " << end;
        ++checked;
    }
    EXPECT_GT(checked, 2);
    EXPECT_FLOAT_EQ(left[resumedAt + 14000], a) << "full level after the resume fade";
}

TEST_F(MusicPlayback, PauseCountsAndResumeAllEndsEveryPause) {
    Load(Segment(kA, kLevelA, 4000.0, {{1, 0.0}, {2, 4000.0}}, 0, Grid({})), kEvent, kA);
    ASSERT_NE(Post(kEvent, 0), 0u);
    for (int i = 0; i < 20; ++i) Frame();
    SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Pause);
    SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Pause);
    for (int i = 0; i < 10; ++i) Frame();
    SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Resume);
    for (int i = 0; i < 10; ++i) Frame();
    const size_t stillPaused = Captured().size();
    SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Resume);
    for (int i = 0; i < 10; ++i) Frame();
    const std::vector<float> left = Captured();
    const float a = left[10000];
    ASSERT_GT(a, 0.1f);
    EXPECT_FLOAT_EQ(left[stillPaused - 2048], 0.0f) << "one resume of two pauses leaves it paused";
    EXPECT_FLOAT_EQ(left[left.size() - 2048], a) << "the second resume plays it on";
    while (!ended && frames < 300) Frame();
    // The pause held the music's clock: it ends 20 frames later than it would have.
    EXPECT_TRUE(ended);
    EXPECT_GT(frames, 192000 / 1024 + 15u);
}

}  // namespace
}  // namespace SX
