#pragma once
// Keeps one record per live playing ID: how many playback instances and pending actions
// still belong to it, and the game's callback. Notifies the end of the event when both
// counts reach 0. Callbacks run outside the manager's lock, so they may call the engine.
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/TestProbe.h"
#include "platform/os/Threads.h"
#include "sound/engine/playing/SxCallbackTypes.h"
#include "sound/engine/SxTypes.h"

namespace SX {

struct SxPostInfo {
    uint32_t eventID = 0;
    uint32_t playingID = 0;
    uint32_t gameObj = 0;
    SxCallbackFunc callback = nullptr;
    void* pCookie = nullptr;
    uint32_t flags = 0;
};

// Grid of a music sync notification, in samples at the output rate.
struct SxMusicGrid {
    uint32_t beat = 0;
    uint32_t bar = 0;
    uint32_t gridPeriod = 0;
    uint32_t gridOffset = 0;
};

// A marker a source met during the frame, waiting to be notified.
struct SxPendingMarker {
    uint32_t playingID;
    SxMarker marker;
};

class CSxPlayingMgr {
public:
    CSxPlayingMgr();
    ~CSxPlayingMgr();
    CSxPlayingMgr(const CSxPlayingMgr&) = delete;
    CSxPlayingMgr& operator=(const CSxPlayingMgr&) = delete;

    SXRESULT Init();
    void Term();

    SXRESULT AddPlayingID(const SxPostInfo& post);
    bool IsActive(uint32_t playingID);
    // After these return, the cancelled callbacks are not running (unless called on the
    // audio thread) and are not called again.
    void CancelEventCallback(uint32_t playingID);
    void CancelEventCallbackCookie(void* pCookie);

    // Out: the record's flags, left as they are when the playing ID is unknown.
    SXRESULT AddItemActiveCount(uint32_t playingID, uint32_t* outFlags);
    void RemoveItemActiveCount(uint32_t playingID);
    void AddPendingCount(uint32_t playingID);
    void RemovePendingCount(uint32_t playingID);

    void NotifyEndOfDynamicSequenceItem(uint32_t playingID, uint32_t audioNodeID, void* pCustomInfo);
    void NotifyMarker(uint32_t playingID, const SxMarker& marker);
    // Each in order; the list is emptied.
    void NotifyMarkers(std::vector<SxPendingMarker>& markers);
    void NotifyDuration(uint32_t playingID, float duration, float estimatedDuration, uint32_t audioNodeID);
    // The head of the info is filled in here; the volumes are the caller's.
    void NotifySpeakerVolumes(uint32_t playingID, SxSpeakerVolumeMatrixCallbackInfo* info);
    void NotifyMusic(uint32_t playingID);
    void NotifyMusicSync(uint32_t playingID, uint32_t syncBit, const SxMusicGrid& grid, uint32_t frameOffset = 0);

private:
    friend struct platform::TestProbe<CSxPlayingMgr>;

    struct Record {
        int32_t activeCount = 0;
        int32_t pendingCount = 1;  // the post itself
        uint32_t gameObj = 0;
        uint32_t eventID = 0;
        SxCallbackFunc callback = nullptr;
        void* pCookie = nullptr;
        uint32_t flags = 0;
    };

    // Calls the callback with the lock already left; the event tells cancellers it runs.
    void CallOutsideLock(SxCallbackFunc callback, SxCallbackType type, SxCallbackInfo* info);
    // With the lock held: frees the record when both counts are 0, then leaves the lock
    // and notifies the end of the event.
    void CheckEnd(std::unique_lock<platform::CriticalSection>& guard, uint32_t playingID);
    // With the lock held: the record when it has a callback that asked for one of mask's bits.
    Record* FindForNotification(uint32_t playingID, uint32_t mask);
    void WaitForRunningCallback();

    std::unordered_map<uint32_t, Record> m_records;
    platform::CriticalSection m_lock;
    platform::Event m_callbackDone;
    // The thread running a callback now, or no thread.
    std::atomic<std::thread::id> m_callbackThread{};
};

extern CSxPlayingMgr* g_pPlayingMgr;

}  // namespace SX
