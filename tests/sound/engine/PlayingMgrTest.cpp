#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/os/Threads.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/positions/CSxPositionRepository.h"
#include "sound/engine/transitions/SxTimingSettings.h"

namespace {

using namespace SX;

struct Call {
    SxCallbackType type;
    void* cookie;
    uint32_t eventID, playingID, gameObj;
};

std::vector<Call> g_calls;
std::function<void(SxCallbackType, SxCallbackInfo*)> g_onCall;

void Record(SxCallbackType type, SxCallbackInfo* info) {
    uint32_t gameObj = type == SxCallback_MusicNotification || type <= SxCallback_SpeakerVolumeMatrix
                           ? static_cast<SxEventCallbackInfo*>(info)->gameObj
                           : 0;
    g_calls.push_back({type, info->pCookie, info->eventID, info->playingID, gameObj});
    if (g_onCall) g_onCall(type, info);
}

struct PlayingMgr : ::testing::Test {
    PlayingMgr() {
        g_calls.clear();
        g_onCall = nullptr;
        mgr.Init();
        repo.Init();
        g_pPlayingMgr = &mgr;
        g_pPositionRepository = &repo;
    }
    ~PlayingMgr() override {
        g_pPlayingMgr = nullptr;
        g_pPositionRepository = nullptr;
        g_onCall = nullptr;
        SetCurrentThreadIsAudioThread(false);
    }
    void Post(uint32_t playingID, uint32_t flags, SxCallbackFunc callback = Record) {
        SxPostInfo post;
        post.eventID = 0x5000 + playingID;
        post.playingID = playingID;
        post.gameObj = 42;
        post.callback = callback;
        post.pCookie = &cookie;
        post.flags = flags;
        ASSERT_EQ(mgr.AddPlayingID(post), SX_Success);
    }

    int cookie = 0;
    CSxPlayingMgr mgr;
    CSxPositionRepository repo;
};

TEST_F(PlayingMgr, EndOfEventComesAfterTheLastCountIsRemoved) {
    Post(1, SxCallback_EndOfEvent);
    mgr.AddPendingCount(1);     // an action waits
    mgr.RemovePendingCount(1);  // the post's own count
    uint32_t flags = 0;
    mgr.AddItemActiveCount(1, &flags);  // the action plays
    EXPECT_EQ(flags, uint32_t(SxCallback_EndOfEvent));
    mgr.RemovePendingCount(1);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_TRUE(mgr.IsActive(1));
    mgr.RemoveItemActiveCount(1);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].type, SxCallback_EndOfEvent);
    EXPECT_EQ(g_calls[0].cookie, &cookie);
    EXPECT_EQ(g_calls[0].eventID, 0x5001u);
    EXPECT_EQ(g_calls[0].playingID, 1u);
    EXPECT_EQ(g_calls[0].gameObj, 42u);
    EXPECT_FALSE(mgr.IsActive(1));
    mgr.RemoveItemActiveCount(1);  // unknown by now: nothing happens
    EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(PlayingMgr, AnEventThatPlaysNothingEndsWithItsPost) {
    Post(2, SxCallback_EndOfEvent);
    Post(3, SxCallback_Marker);  // did not ask for the end
    mgr.RemovePendingCount(2);
    mgr.RemovePendingCount(3);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].playingID, 2u);
    EXPECT_FALSE(mgr.IsActive(3));
}

TEST_F(PlayingMgr, FlagsWithoutACallbackKeepOnlyMarkerAndHighBits) {
    struct Case {
        SxCallbackFunc callback;
        uint32_t asked, kept;
    } cases[] = {
        {nullptr, 0xFFFFFFFFu, 0xFFFF0004u},
        {nullptr, 0x1Bu, 0x0u},
        {Record, 0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    uint32_t id = 10;
    for (const Case& c : cases) {
        Post(id, c.asked, c.callback);
        uint32_t flags = 0xDEADu;
        mgr.AddItemActiveCount(id, &flags);
        EXPECT_EQ(flags, c.kept) << id;
        ++id;
    }
    uint32_t untouched = 0xDEADu;
    EXPECT_EQ(mgr.AddItemActiveCount(999, &untouched), SX_Success);
    EXPECT_EQ(untouched, 0xDEADu);
}

TEST_F(PlayingMgr, NotificationsReachOnlyTheKindsAskedFor) {
    Post(4, SxCallback_Duration | SxCallback_EndOfDynamicSequenceItem | 0x100);
    mgr.NotifyMarker(4, SxMarker{1, 2, "cue"});
    mgr.NotifyMarker(77, SxMarker{1, 2, "cue"});
    mgr.NotifyDuration(4, 1500.0f, 1500.0f, 9);
    mgr.NotifyEndOfDynamicSequenceItem(4, 9, nullptr);
    mgr.NotifyMusic(4);
    mgr.NotifyMusicSync(4, 0x200, SxMusicGrid{24000, 96000, 48000, 0});  // not asked
    mgr.NotifyMusicSync(4, 0x100, SxMusicGrid{24000, 96000, 48000, 0});
    std::vector<uint32_t> types;
    for (const Call& c : g_calls) types.push_back(c.type);
    EXPECT_EQ(types, (std::vector<uint32_t>{SxCallback_Duration, SxCallback_EndOfDynamicSequenceItem,
                                            SxCallback_MusicNotification, 0x100}));

    Post(5, SxCallbackFlag_EnableGetSourcePlayPosition);  // position only: no music
    mgr.NotifyMusic(5);
    EXPECT_EQ(g_calls.size(), 4u);

    g_calls.clear();
    Post(6, SxCallback_Marker);
    std::vector<SxPendingMarker> markers = {{6, {1, 10, "a"}}, {4, {2, 20, "b"}}, {6, {3, 30, "c"}}};
    std::vector<uint32_t> ids;
    g_onCall = [&](SxCallbackType, SxCallbackInfo* info) {
        ids.push_back(static_cast<SxMarkerCallbackInfo*>(info)->marker.identifier);
    };
    mgr.NotifyMarkers(markers);
    EXPECT_EQ(ids, (std::vector<uint32_t>{1, 3}));
    EXPECT_TRUE(markers.empty());
}

TEST_F(PlayingMgr, MusicSyncGivesTheGridInSeconds) {
    SxTimingSettings::SetSampleRate(48000);
    Post(6, 0x100);
    SxMusicSyncCallbackInfo got{};
    g_onCall = [&](SxCallbackType, SxCallbackInfo* info) { got = *static_cast<SxMusicSyncCallbackInfo*>(info); };
    mgr.NotifyMusicSync(6, 0x100, SxMusicGrid{24000, 96000, 48000, 12000});
    EXPECT_EQ(got.syncType, 0x100u);
    EXPECT_FLOAT_EQ(got.beatDuration, 0.5f);
    EXPECT_FLOAT_EQ(got.barDuration, 2.0f);
    EXPECT_FLOAT_EQ(got.gridDuration, 1.0f);
    EXPECT_FLOAT_EQ(got.gridOffset, 0.25f);
}

TEST_F(PlayingMgr, TheEndDropsTheStoredPositionEvenAfterACancel) {
    const int voice = 0;
    for (uint32_t id : {20u, 21u}) {
        Post(id, SxCallback_EndOfEvent | SxCallbackFlag_EnableGetSourcePlayPosition);
        repo.UpdatePosition(id, SxPositionInfo{48000, 1.0f, 96000, 48000}, &voice);
    }
    mgr.CancelEventCallback(21);
    mgr.RemovePendingCount(20);
    mgr.RemovePendingCount(21);
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_FALSE(repo.HasEntries());
}

TEST_F(PlayingMgr, CallbacksRunOutsideTheLock) {
    Post(30, SxCallback_EndOfEvent);
    Post(31, SxCallback_EndOfEvent);
    // Another thread must be able to use the manager while the callback runs.
    g_onCall = [&](SxCallbackType, SxCallbackInfo* info) {
        if (info->playingID == 30) std::thread([&] { mgr.RemovePendingCount(31); }).join();
    };
    mgr.RemovePendingCount(30);
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].playingID, 30u);
    EXPECT_EQ(g_calls[1].playingID, 31u);
}

TEST_F(PlayingMgr, CancellingFromInsideTheCallbackOnTheAudioThreadDoesNotBlock) {
    SetCurrentThreadIsAudioThread(true);
    Post(40, SxCallback_Marker);
    g_onCall = [&](SxCallbackType, SxCallbackInfo* info) { mgr.CancelEventCallbackCookie(info->pCookie); };
    mgr.NotifyMarker(40, SxMarker{1, 0, nullptr});
    mgr.NotifyMarker(40, SxMarker{2, 0, nullptr});
    EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(PlayingMgr, CancelFromAnotherThreadWaitsForTheRunningCallback) {
    Post(50, SxCallback_Marker | SxCallback_Duration);
    std::atomic<bool> cancelReturned{false};
    std::atomic<bool> cancelWasEarly{false};
    std::atomic<bool> entered{false};
    std::thread canceller;
    g_onCall = [&](SxCallbackType, SxCallbackInfo*) {
        entered = true;
        // Wait until the cancel has cleared the record, then stay a while longer: the
        // cancel must not come back while this callback runs.
        uint32_t flags = SxCallback_Duration;
        while (flags & SxCallback_Duration) {
            mgr.AddItemActiveCount(50, &flags);
            std::this_thread::yield();
        }
        for (int i = 0; i < 2000; ++i) {
            if (cancelReturned) cancelWasEarly = true;
            std::this_thread::yield();
        }
    };
    std::thread audio([&] {
        SetCurrentThreadIsAudioThread(true);
        mgr.NotifyMarker(50, SxMarker{1, 0, nullptr});
        SetCurrentThreadIsAudioThread(false);
    });
    while (!entered) std::this_thread::yield();
    canceller = std::thread([&] {
        mgr.CancelEventCallback(50);
        cancelReturned = true;
    });
    canceller.join();
    audio.join();
    EXPECT_FALSE(cancelWasEarly);
    mgr.NotifyDuration(50, 1.0f, 1.0f, 0);
    EXPECT_EQ(g_calls.size(), 1u);
}

}  // namespace
