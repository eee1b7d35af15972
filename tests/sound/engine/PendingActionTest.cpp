#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/os/Clock.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "SxTestMemory.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxAudioMgrProbe.h"

using namespace SX;
namespace control = platform::audio::control;

namespace {

struct Launch {
    int tag;
    uint32_t frame, offset;
};
std::vector<Launch> g_launches;

class TestAction : public ISxEventAction {
public:
    TestAction(int tag, uint32_t delay, uint16_t type) : tag_(tag), delay_(delay), type_(type) {}
    uint32_t AddRef() override { return ++refs; }
    uint32_t Release() override { return --refs; }
    uint16_t ActionType() const override { return type_; }
    SxUniqueID ActionID() const override { return 100 + tag_; }
    uint32_t DelaySamples() const override { return delay_; }
    SXRESULT Execute(SxPendingAction& pending) override {
        g_launches.push_back({tag_, qvtest::AudioMgrProbe::FrameCounter(), pending.sampleOffset});
        return SX_Success;
    }
    int refs = 0;

private:
    int tag_;
    uint32_t delay_;
    uint16_t type_;
};

constexpr uint16_t kPlay = 0x0403;

class PendingActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_launches.clear();
        ASSERT_EQ(playing.Init(), SX_Success);
        g_pPlayingMgr = &playing;
        control::Reset();
        control::SetOpenFails(true);  // the silent sink paces frames by the tick count
        ASSERT_EQ(CSxLEngine::Init(SxPlatformInitSettings()), SX_Success);
        ASSERT_EQ(mgr.Init(SxInitSettings()), SX_Success);
        g_pAudioMgr = &mgr;
    }
    void TearDown() override {
        mgr.Term();
        CSxLEngine::Term();
        g_pAudioMgr = nullptr;
        control::Reset();
        // Every action added a pending count and dropped it: only the post's own count is left.
        for (SxPlayingID id : posted) {
            playing.RemovePendingCount(id);
            EXPECT_FALSE(playing.IsActive(id)) << "playing ID " << id;
        }
        g_pPlayingMgr = nullptr;
        playing.Term();
    }
    void Schedule(TestAction& action, SxPlayingID playingID = 1) {
        if (posted.insert(playingID).second) {
            SxPostInfo post;
            post.playingID = playingID;
            ASSERT_EQ(playing.AddPlayingID(post), SX_Success);
        }
        auto* pending = SxNew<SxPendingAction>(g_DefaultPoolId);
        pending->action = &action;
        pending->playingID = playingID;
        mgr.EnqueueOrExecuteAction(pending);
    }
    // Three frames per call: 64 ms at 48000 Hz.
    void RunThreeFrames() {
        clock.Advance(0.064);
        mgr.Perform();
    }
    sxtest::TestMemory memory;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    CSxPlayingMgr playing;
    std::set<SxPlayingID> posted;
    CSxAudioMgr mgr;
};

TEST_F(PendingActionTest, DelaysBecomeALaunchFrameAndAnOffset) {
    struct Case {
        uint32_t delay;
        uint16_t type;
        uint32_t frame, offset;
    } cases[] = {
        {0, kPlay, 0, 0},
        {1023, kPlay, 0, 1023},
        {1024, kPlay, 1, 0},
        {5000, kPlay, 4, 5000 - 4096},
        // Play-and-continue runs up to the look-ahead (1 frame) early, keeping the rest as offset.
        {2047, SxActionType_PlayAndContinue, 0, 2047},
        {2048, SxActionType_PlayAndContinue, 1, 1024},
        {5 * 1024 + 10, SxActionType_PlayAndContinue, 4, 1034},
    };
    std::vector<TestAction> actions;
    actions.reserve(std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i)
        actions.emplace_back(static_cast<int>(i), cases[i].delay, cases[i].type);
    for (auto& action : actions) Schedule(action);
    for (int i = 0; i < 3; ++i) RunThreeFrames();
    ASSERT_EQ(g_launches.size(), std::size(cases));
    for (const Launch& launch : g_launches) {
        const Case& c = cases[launch.tag];
        EXPECT_EQ(launch.frame, c.frame) << "delay " << c.delay;
        EXPECT_EQ(launch.offset, c.offset) << "delay " << c.delay;
    }
    for (auto& action : actions) EXPECT_EQ(action.refs, 0);
}

TEST_F(PendingActionTest, ActionsDueInOneFrameLaunchInPostingOrder) {
    TestAction late(1, 3000, kPlay), early(2, 2500, kPlay), third(3, 2900, kPlay);
    Schedule(late);
    Schedule(early);
    Schedule(third);
    RunThreeFrames();
    ASSERT_EQ(g_launches.size(), 3u);
    EXPECT_EQ(g_launches[0].tag, 1);
    EXPECT_EQ(g_launches[1].tag, 2);
    EXPECT_EQ(g_launches[2].tag, 3);
}

TEST_F(PendingActionTest, PauseTwiceResumeOnceStaysPausedAndMasterResumeShiftsTheLaunch) {
    TestAction action(1, 10 * 1024, kPlay), other(2, 10 * 1024, kPlay);
    Schedule(action, 7);
    Schedule(other, 8);
    CSxAudioMgr::Selection seven;
    seven.playingID = 7;
    mgr.PausePending(seven);
    mgr.PausePending(seven);
    mgr.ResumePending(seven, false);
    EXPECT_EQ(qvtest::AudioMgrProbe::PausedCount(mgr), 1u);
    EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(mgr), 1u);
    RunThreeFrames();
    mgr.ResumePending(CSxAudioMgr::Selection(), true);  // master resume
    EXPECT_EQ(qvtest::AudioMgrProbe::PausedCount(mgr), 0u);
    for (int i = 0; i < 5; ++i) RunThreeFrames();
    ASSERT_EQ(g_launches.size(), 2u);
    EXPECT_EQ(g_launches[0].tag, 2);
    EXPECT_EQ(g_launches[0].frame, 10u);
    EXPECT_EQ(g_launches[1].tag, 1);
    EXPECT_EQ(g_launches[1].frame, 13u) << "moved by the three frames spent paused";
}

TEST_F(PendingActionTest, MasterPauseHoldsEverythingAndStopDropsIt) {
    TestAction a(1, 2048, kPlay), b(2, 4096, kPlay);
    Schedule(a, 1);
    Schedule(b, 2);
    mgr.PausePending(CSxAudioMgr::Selection());
    RunThreeFrames();
    RunThreeFrames();
    EXPECT_TRUE(g_launches.empty());
    EXPECT_EQ(qvtest::AudioMgrProbe::PausedCount(mgr), 2u);
    CSxAudioMgr::Selection two;
    two.playingID = 2;
    mgr.StopPending(two);
    mgr.ResumePending(CSxAudioMgr::Selection(), true);
    RunThreeFrames();
    ASSERT_EQ(g_launches.size(), 1u);
    EXPECT_EQ(g_launches[0].tag, 1);
    EXPECT_EQ(g_launches[0].frame, 8u);
    EXPECT_EQ(b.refs, 0);
}

}  // namespace

namespace {

struct TwoActionEvent : ISxPostedEvent {
    TwoActionEvent(TestAction& a, TestAction& b) : actions{&a, &b} {}
    uint32_t AddRef() override { return ++refs; }
    uint32_t Release() override { return --refs; }
    uint32_t ActionCount() const override { return 2; }
    ISxEventAction* Action(uint32_t i) const override { return actions[i]; }
    TestAction* actions[2];
    int refs = 1;
};

TEST_F(PendingActionTest, MessagesStopAndPauseTheWaitingActionsOfAnEventOrPlayingID) {
    TestAction first(1, 4096, kPlay + 1), second(2, 4096, kPlay + 1), third(3, 4096, kPlay + 1);
    Schedule(first, 5);
    Schedule(second, 5);
    Schedule(third, 6);
    TwoActionEvent event(first, second);

    SxMsgExecuteActionOnEvent pause;
    pause.event = &event;
    pause.kind = SxActionOnEvent_Pause;
    pause.playingID = 5;
    event.AddRef();
    ASSERT_EQ(mgr.Enqueue(pause.header, sizeof pause), SX_Success);
    SxMsgStopPlayingID stop;
    stop.playingID = 6;
    ASSERT_EQ(mgr.Enqueue(stop.header, sizeof stop), SX_Success);
    mgr.RenderAudio();
    mgr.Perform();
    EXPECT_EQ(qvtest::AudioMgrProbe::PausedCount(mgr), 2u);
    EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(mgr), 0u) << "playing ID 6 stopped";
    EXPECT_EQ(event.refs, 1) << "the record's reference is dropped";
    EXPECT_EQ(third.refs, 0);

    SxMsgExecuteActionOnEvent resume = pause;
    resume.kind = SxActionOnEvent_Resume;
    event.AddRef();
    ASSERT_EQ(mgr.Enqueue(resume.header, sizeof resume), SX_Success);
    mgr.RenderAudio();
    mgr.Perform();
    EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(mgr), 2u);
    for (int i = 0; i < 3; ++i) RunThreeFrames();
    EXPECT_EQ(g_launches.size(), 2u);
}

}  // namespace
