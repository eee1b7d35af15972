// State changes held back by the music: a segment that uses a state group with a sync type has
// the group's change applied on that sync point of the playing segment; the music engine's
// segment information and its termination while music still plays.
#include "SxMusicPlayFixture.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "sound/music/SxMusicSync.h"

namespace SX {
namespace {

namespace bw = bankwriter;

constexpr uint32_t kA = 100, kEvent = 900, kGroup = 60, kState = 7, kLater = 8;

class MusicStateSync : public sxtest::MusicPlayEngine {
protected:
    // A lone segment of four bars at 120 beats per minute that uses the group with the sync type.
    void LoadSegment(uint8_t syncType) {
        {
            platform::Lock lock(g_csMain);
            g_pStateMgr->AddStateGroup(kGroup);
        }
        bw::MusicNode node = Grid({});
        node.node.stateGroups = {{kGroup, syncType, {}}};
        Load(Segment(kA, 0.2f, 8000.0, {{1, 0.0}, {2, 8000.0}}, 0, node), kEvent, kA);
    }
    uint32_t GroupState() {
        platform::Lock lock(g_csMain);
        return g_pStateMgr->GetState(kGroup);
    }
};

TEST_F(MusicStateSync, StateChangeWaitsForTheSegmentsSyncPoint) {
    struct Case {
        const char* what;
        uint8_t syncType;
        int64_t appliedBy;  // the change is in force after the frame holding this sample
    } cases[] = {
        {"immediate", SxSyncType_Immediate, -1},
        {"next bar", SxSyncType_NextBar, 96000},
        {"next beat", SxSyncType_NextBeat, 72000},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        LoadSegment(c.syncType);
        ASSERT_NE(Post(kEvent, 0), 0u);
        while (frames < 50) Frame();
        const int64_t changedAt = NextFrameSample();
        ASSERT_GT(changedAt, 48000);
        SoundEngine::SetState(kGroup, kState);
        // A second change of the group before the sync point supersedes the first.
        if (c.appliedBy >= 0) {
            Frame();
            SoundEngine::SetState(kGroup, kLater);
        }
        const uint32_t last = c.appliedBy >= 0 ? kLater : kState;
        const int64_t appliedBy = c.appliedBy >= 0 ? c.appliedBy : changedAt;
        int64_t appliedAt = -1;
        while (frames < 120 && appliedAt < 0) {
            const int64_t frameStart = NextFrameSample();
            Frame();
            if (GroupState() == last)
                appliedAt = frameStart;
            else
                EXPECT_EQ(GroupState(), 0u) << c.what << ": nothing applied before the sync point";
        }
        EXPECT_LE(appliedAt, appliedBy) << c.what;
        EXPECT_GT(appliedAt + 1024, appliedBy) << c.what << ": applied in the frame of the sync point";
    }
}

TEST_F(MusicStateSync, SegmentInformationFollowsThePlayingSegment) {
    LoadSegment(SxSyncType_Immediate);
    const SxPlayingID id = Post(kEvent, 0x20000);
    SxSegmentInfo info;
    EXPECT_EQ(MusicEngine::GetPlayingSegmentInfo(id + 1, info, false), SX_Fail);
    for (int i = 0; i < 47; ++i) Frame();
    ASSERT_EQ(MusicEngine::GetPlayingSegmentInfo(id, info, false), SX_Success);
    EXPECT_EQ(info.iActiveMs, 8000);
    EXPECT_EQ(info.iPreEntryMs, 0);
    EXPECT_EQ(info.iPostExitMs, 0);
    // The position of the frame last rendered, in whole milliseconds.
    EXPECT_NEAR(info.iPositionMs, NextFrameSample() / 48.0, 22.0);
    clock.Advance(0.010);
    SxSegmentInfo later;
    ASSERT_EQ(MusicEngine::GetPlayingSegmentInfo(id, later, true), SX_Success);
    EXPECT_EQ(later.iPositionMs, info.iPositionMs + 10) << "extrapolated by the time since the frame";
}

TEST_F(MusicStateSync, TermReleasesMusicTheAudioThreadNeverStopped) {
    LoadSegment(SxSyncType_Immediate);
    ASSERT_NE(Post(kEvent, 0), 0u);
    for (int i = 0; i < 5; ++i) Frame();
    ASSERT_EQ(CSxMusicRenderer::ContextCount(), 1u);
    // No frame runs while Term waits: it gives up after its bound and releases the music itself.
    MusicEngine::Term();
    EXPECT_EQ(CSxMusicRenderer::ContextCount(), 0u);
    EXPECT_FALSE(CSxMusicRenderer::IsInitialized());
    ASSERT_EQ(MusicEngine::Init(nullptr), SX_Success);
}

}  // namespace
}  // namespace SX
