// Music whose track streams its media from a file: the clip is started its look-ahead before it
// must be heard, so a stream that takes a few frames to fill is still heard at its sample, and
// a clip joined part-way is heard from that point of its file. The files stream from memory
// through a stream manager that answers "not ready" a set number of times per stream.
#include <algorithm>
#include <cstring>

#include "SxMusicPlayFixture.h"
#include "sound/engine/SxMemoryStreams.h"
#include "sound/music/SxMusicSync.h"

namespace SX {
namespace {

namespace bw = bankwriter;
using sxtest::FirstDeparture;
using sxtest::MemoryStreams;
using sxtest::MusicCallback;

constexpr uint32_t kSegment = 100, kFile = 77, kEvent = 900;
constexpr uint32_t kOther = 200, kSwitch = 300, kGroup = 50, kStateOther = 1, kStateStreamed = 2;

class MusicLookAhead : public sxtest::MusicPlayEngine {
protected:
    void SetUp() override {
        MusicPlayEngine::SetUp();
        ISxStreamMgr::m_pStreamMgr = &streams;
    }
    void TearDown() override {
        MusicPlayEngine::TearDown();
        ISxStreamMgr::m_pStreamMgr = nullptr;
    }
    // A one-second segment whose track streams a file: level 0.2 for its first half, 0.5 after.
    // With a head, the bank holds that many bytes of the file's start (prefetched).
    std::vector<bw::Bytes> Streamed(int32_t lookAheadMs, uint32_t notReady, uint32_t parent, uint32_t head = 0) {
        QV::media::Signal signal;
        signal.samples.assign(24000, 0.2f);
        signal.samples.resize(48000, 0.5f);
        streams.files[kFile] = QV::media::Build(signal, QV::media::Encoding::Pcm16);
        // A stream with a head in memory is read from only once the head has played: it fills
        // meanwhile, the frames it takes counted from its making.
        (head ? streams.notReadyFrames : streams.notReady) = notReady;
        bw::Source source;
        source.pluginID = 1 << 16 | 1;  // PCM
        source.streamType = head ? 2 : 1;
        source.fileID = kFile;
        source.mediaID = kFile;
        if (head) {
            s_media[kFile].assign(streams.files[kFile].begin(), streams.files[kFile].begin() + head);
            source.size = head;
        }
        bw::MusicTrack track;
        track.sources = {source};
        track.clips = {{0, kFile, 0.0, 0.0, 0.0, 1000.0}};
        track.node.parentID = kSegment;
        track.lookAheadMs = lookAheadMs;
        bw::MusicNode node = Grid({});
        node.children = {kSegment + 500};
        node.node.parentID = parent;
        return {
            bw::Record(bw::Hirc_MusicTrack, bw::MusicTrackBody(kSegment + 500, track)),
            bw::Record(bw::Hirc_MusicSegment, bw::MusicSegmentBody(kSegment, node, 1000.0, {{1, 0.0}, {2, 1000.0}}))};
    }
    void LoadStreamed(int32_t lookAheadMs, uint32_t notReady, uint32_t head = 0) {
        Load(Streamed(lookAheadMs, notReady, 0, head), kEvent, kSegment);
    }
    MemoryStreams streams;
};

TEST_F(MusicLookAhead, StreamedClipStartedEarlyIsHeardAtItsSample) {
    // 100 ms of look-ahead: the music is heard 4800 samples after the post, and a stream that is
    // not ready for its first three requests (about three frames) still makes that sample. A
    // clip whose file's head the bank holds needs no look-ahead: it is heard at once, from the
    // file's first sample, while the stream fills.
    struct Case {
        const char* what;
        int32_t lookAheadMs;
        uint32_t notReady;
        int64_t heardAt;
        uint32_t head = 0;
    } cases[] = {
        {"100 ms of look-ahead, stream ready at once", 100, 0, 4800},
        {"100 ms of look-ahead, stream filling for three requests", 100, 3, 4800},
        {"no look-ahead, stream ready at once", 0, 0, 0},
        {"a prefetched head, stream filling for three frames", 100, 3, 0, 16384},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        LoadStreamed(c.lookAheadMs, c.notReady, c.head);
        ASSERT_NE(Post(kEvent, 0x400), 0u) << c.what;
        while (!ended && frames < 120) Frame();
        EXPECT_TRUE(ended) << c.what;
        const std::vector<float> left = Captured();
        ASSERT_GT(left.size(), static_cast<size_t>(c.heardAt + 48000)) << c.what;
        // A voice rises from silence over its first frame, from its first sample on.
        const int64_t heard = FirstDeparture(left, 0, 0.0f);
        EXPECT_GE(heard, c.heardAt) << c.what << ": silence up to the look-ahead";
        EXPECT_LE(heard, c.heardAt + 1) << c.what;
        const int64_t steady = (c.heardAt / 1024 + 1) * 1024;
        const float a = left[steady];
        ASSERT_GT(a, 0.1f) << c.what;
        EXPECT_EQ(FirstDeparture(left, static_cast<size_t>(steady), a), c.heardAt + 24000)
            << c.what << ": the second half of the file half a second later";
        EXPECT_NEAR(left[c.heardAt + 30000] / a, 2.5f, 0.02f) << c.what;
        const std::vector<MusicCallback> entry{{c.heardAt, 0x400}};
        EXPECT_EQ(callbacks, entry) << c.what << ": the entry cue is where the music is heard";
    }
}

TEST_F(MusicLookAhead, SegmentInformationTellsTheLookAheadStillToRun) {
    // The segment is heard 4800 samples (100 ms) after the post: until then its position is
    // negative and the look-ahead left counts down with it, then it is 0.
    LoadStreamed(100, 0);
    const SxPlayingID id = Post(kEvent, 0x20000);
    ASSERT_NE(id, 0u);
    struct Expect {
        uint32_t frames;
        int32_t positionMs, lookAheadMs;
    } expected[] = {{2, -79, 79}, {5, -15, 15}, {6, 7, 0}, {11, 113, 0}};
    for (const Expect& e : expected) {
        while (frames < e.frames) Frame();
        SxSegmentInfo info;
        ASSERT_EQ(MusicEngine::GetPlayingSegmentInfo(id, info, false), SX_Success) << e.frames;
        EXPECT_EQ(info.iPositionMs, e.positionMs) << e.frames;
        EXPECT_EQ(info.iLookAheadMs, e.lookAheadMs) << e.frames;
        EXPECT_EQ(info.iActiveMs, 1000) << e.frames;
    }
}

TEST_F(MusicLookAhead, StreamedClipJoinedPartWayIsHeardFromThatPointOfItsFile) {
    // A seek to 600 ms joins the clip in its second half: the file is read from there, not from
    // its start, also while the stream takes two requests to fill.
    LoadStreamed(100, 2);
    ASSERT_NE(Post(kEvent, 0), 0u);
    while (frames < 10) Frame();
    const int64_t seekAt = NextFrameSample();
    SoundEngine::SeekOnEvent(kEvent, kObject, 600, false);
    while (!ended && frames < 120) Frame();
    EXPECT_TRUE(ended);
    const std::vector<float> left = Captured();
    const float a = left[6000];
    ASSERT_GT(a, 0.1f);
    ASSERT_GT(left.size(), static_cast<size_t>(seekAt + 8192));
    EXPECT_NEAR(left[seekAt + 8192] / a, 2.5f, 0.02f) << "the second half of the file after the seek";
    // The stream filled a frame after the seek; the segment's clock did not wait for it: the
    // 400 ms left after 600 ms end 19200 samples after the seek.
    const int64_t resumed = FirstDeparture(left, static_cast<size_t>(seekAt), 0.0f);
    ASSERT_GE(resumed, seekAt);
    EXPECT_LE(resumed, seekAt + 2 * 1024);
    EXPECT_EQ(FirstDeparture(left, static_cast<size_t>(resumed + 2048), left[resumed + 2048]), seekAt + 19200);
}

TEST_F(MusicLookAhead, ImmediateChangeToStreamedMusicWaitsForItsLookAhead) {
    // A switch plays music from the bank; an immediate change to the streamed segment (100 ms of
    // look-ahead, three requests to fill) takes place 4800 samples after it reaches the engine,
    // so that the new music is heard from its first sample at the sync point.
    std::vector<bw::Bytes> records = Segment(kOther, 0.3f, 8000.0, {{1, 0.0}, {2, 8000.0}}, kSwitch);
    const std::vector<bw::Bytes> streamed = Streamed(100, 3, kSwitch);
    records.insert(records.end(), streamed.begin(), streamed.end());
    bw::TransitionRule rule;
    rule.syncType = SxSyncType_Immediate;
    records.push_back(bw::Record(bw::Hirc_MusicSwitch,
                                 bw::MusicSwitchBody(kSwitch, Grid({kOther, kSegment}), {rule}, 1, kGroup, kStateOther,
                                                     false, {{kStateOther, kOther}, {kStateStreamed, kSegment}})));
    Load(records, kEvent, kSwitch);
    {
        platform::Lock lock(g_csMain);
        g_pStateMgr->AddStateGroup(kGroup);
    }
    ASSERT_NE(Post(kEvent, 0x4000), 0u);
    while (frames < 20) Frame();
    const int64_t changedAt = NextFrameSample();
    SoundEngine::SetState(kGroup, kStateStreamed);
    while (frames < 40) Frame();
    const std::vector<float> left = Captured();
    const float other = left[10000];
    ASSERT_GT(other, 0.1f);
    EXPECT_EQ(FirstDeparture(left, 1024, other), changedAt + 4800) << "the old music up to the sync point";
    const int64_t steady = ((changedAt + 4800) / 1024 + 1) * 1024;
    EXPECT_NEAR(left[steady] / other, 0.2f / 0.3f, 0.01f) << "the streamed file's first half from there";
    const std::vector<MusicCallback> change{{changedAt + 4800, 0x4000}};
    EXPECT_EQ(callbacks, change);
}

}  // namespace
}  // namespace SX
