#pragma once
// The audio manager: the queue of API messages, the audio thread "SX::EventManager", the audio
// frame it runs, and the lists of pending actions (actions of posted events waiting for their
// delay, or put aside by a pause).
#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "platform/os/Threads.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxInitSettings.h"
#include "sound/engine/audio/SxChunkRing.h"
#include "sound/engine/audio/SxPostedEvent.h"
#include "sound/engine/audio/SxQueuedMsg.h"
#include "sound/engine/thread/SxThread.h"

namespace SX {

using SxMsgHandler = void (*)(const SxQueuedMsgHeader& record);

class CSxAudioMgr {
public:
    CSxAudioMgr() = default;
    ~CSxAudioMgr();
    CSxAudioMgr(const CSxAudioMgr&) = delete;
    CSxAudioMgr& operator=(const CSxAudioMgr&) = delete;

    SXRESULT Init(const SxInitSettings& settings);
    // Starts the audio thread; SX_Fail when it cannot be made.
    SXRESULT Start(const SxThreadProperties& properties);
    void StopThread();
    // Drops every queued message and pending action and frees the queue.
    void Term();

    // Appends a record (its size stored in its header). A full queue makes a game thread wait
    // for the audio thread; the audio thread itself, or any caller while no audio thread runs,
    // gets SX_InsufficientMemory instead. SX_MessageTooLarge for a record above a chunk.
    SXRESULT Enqueue(SxQueuedMsgHeader& record, uint32_t size);
    // Closes a batch when anything is queued and wakes the audio thread. A queue too full for
    // the close has the reader apply everything queued instead.
    SXRESULT RenderAudio();
    // Applies the records of closed batches (everything while a writer waits for room).
    void ProcessMsgQueue();
    // One audio frame per buffer the sink asks for: messages and pending actions, behavioral
    // extensions, transitions, paths, limiters and the voices' queued commands, the lower
    // engine, then what the voices reported back; the motion devices send once at the end.
    void Perform();

    // Reader side of the message types other managers own. A handler must not release the
    // objects the record refers to: the reader does that after it. For a stop of a playing ID
    // the reader first stops its pending actions, and for an action on an event it applies
    // the event's other actions to their pending entries; the handlers do the rest (the
    // master bus's stop, the play actions' targets).
    void SetHandler(uint16_t type, SxMsgHandler handler);

    // Pending actions.
    void EnqueueOrExecuteAction(SxPendingAction* pending);
    void ProcessPendingList();
    // Entries matching every given criterion; an empty selection matches all.
    struct Selection {
        SxPlayingID playingID = 0;                     // 0: any
        SxGameObjectID gameObject = SxAllGameObjects;  // any
        SxUniqueID actionID = 0;                       // 0: any
        SxUniqueID targetID = 0;                       // the actions' target element; 0: any
        bool includeResumeActions = true;              // false: resume actions are left alone
    };
    void StopPending(const Selection& selection);
    // Pending entries move to the paused list; paused ones need one more resume.
    void PausePending(const Selection& selection);
    // One entry still pending (not yet run) is paused at once, needing that many resumes.
    void PausePendingAction(const SxPendingAction* pending, uint32_t pauses);
    // Paused entries needing no more resumes go back by the frames they spent paused; the
    // others need one resume less. A master resume ignores the counts.
    void ResumePending(const Selection& selection, bool master);
    void ClearPendingActions();

    uint32_t ChunkCount();
    uint32_t LookAhead() const { return m_lookAhead; }

private:
    friend struct platform::TestProbe<CSxAudioMgr>;

    struct Node {
        Node* next;
        SxPendingAction* action;
    };
    void ThreadMain();
    bool ApplyRecord(const SxQueuedMsgHeader& record);
    void ApplyPostEvent(const SxMsgPostEvent& record);
    void ApplyActionOnEvent(const SxMsgExecuteActionOnEvent& record);
    // Drops the event reference a record holds once it is applied or drained.
    static void ReleaseReferences(const SxQueuedMsgHeader& record);
    void ExecuteNow(SxPendingAction* pending);
    void Drop(SxPendingAction* pending);
    bool InsertByLaunchFrame(SxPendingAction* pending);
    bool AppendPaused(SxPendingAction* pending);
    Node* NewNode(SxPendingAction* pending);
    void FreeNode(Node* node);
    void DrainQueue();

    // The message queue: game threads write it (Enqueue, RenderAudio), the audio thread reads
    // it (ProcessMsgQueue) while holding g_csMain. m_queueLock guards m_ring; when both locks
    // are held, g_csMain was taken first.
    platform::CriticalSection m_queueLock;
    SxChunkRing m_ring;                        // guarded by m_queueLock
    std::atomic<bool> m_writerWaiting{false};  // a writer waits for room: the reader drains all
    std::atomic<uint32_t> m_batchesQueued{0};  // counted by writers, compared by the reader
    uint32_t m_batchesApplied = 0;             // the reader's (audio thread) only
    platform::Event m_spaceAvailable{true, false};
    platform::Event m_wake{false, false};

    // Set while the engine initialises, before the audio thread starts; read-only after.
    SxMsgHandler m_handlers[SxMsg_TypeCount] = {};
    uint32_t m_lookAhead = 1;

    // The pending and paused actions and the node free list: under g_csMain, which the audio
    // frame holds and every API call that stops, pauses or resumes pending actions takes.
    Node* m_pending = nullptr;
    Node* m_paused = nullptr;
    Node* m_freeNodes = nullptr;

    // The audio thread: started and stopped by the thread that initialises the engine.
    SxThreadHandle m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_threadRunning{false};
};

extern CSxAudioMgr* g_pAudioMgr;

}  // namespace SX
