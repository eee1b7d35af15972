#include "sound/engine/audio/CSxAudioMgr.h"

#include <ctime>
#include <mutex>

#include "platform/os/Random.h"
#include "sound/engine/SxBehavioralExtensions.h"
#include "sound/engine/audio/SxExternalSources.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"
#include "sound/engine/paths/CSxPathMgr.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

CSxAudioMgr* g_pAudioMgr = nullptr;

namespace {
void AddPendingCount(SxPlayingID id) {
    if (g_pPlayingMgr) g_pPlayingMgr->AddPendingCount(id);
}
void RemovePendingCount(SxPlayingID id) {
    if (g_pPlayingMgr) g_pPlayingMgr->RemovePendingCount(id);
}
}  // namespace

CSxAudioMgr::~CSxAudioMgr() { Term(); }

SXRESULT CSxAudioMgr::Init(const SxInitSettings& settings) {
    m_batchesQueued = 0;
    m_batchesApplied = 0;
    g_uSxAudioFrameCounter = 0;
    m_lookAhead = settings.continuousPlaybackLookAhead;
    return m_ring.Init(settings.commandQueueSize / SxChunkRing::kChunkSize, g_DefaultPoolId);
}

SXRESULT CSxAudioMgr::Start(const SxThreadProperties& properties) {
    m_spaceAvailable.Reset();
    m_stop = false;
    m_threadRunning = true;
    SxThread::Create([](void* self) { static_cast<CSxAudioMgr*>(self)->ThreadMain(); }, this, properties, m_thread,
                     "SX::EventManager");
    if (!m_thread) {
        m_threadRunning = false;
        return SX_Fail;
    }
    return SX_Success;
}

void CSxAudioMgr::StopThread() {
    if (!m_thread) return;
    m_stop = true;
    m_wake.Set();
    m_thread->Join();
    m_thread.reset();
    {
        // Under the queue lock: a writer checks the flag and resets the event under it, so
        // the event set below cannot be lost between the two.
        platform::Lock lock(m_queueLock);
        m_threadRunning = false;
    }
    // A writer still waiting for room gives up instead of waiting for ever.
    m_spaceAvailable.Set();
}

void CSxAudioMgr::ThreadMain() {
    SetCurrentThreadIsAudioThread(true);
    platform::crt_srand(static_cast<unsigned>(std::time(nullptr)));
    CSxLEngine::StartOutput();
    while (!m_stop) {
        Perform();
        m_wake.Wait(CSxLEngine::GetWaitTime());
    }
    SetCurrentThreadIsAudioThread(false);
}

void CSxAudioMgr::Term() {
    StopThread();
    DrainQueue();
    ClearPendingActions();
    while (m_freeNodes) {
        Node* next = m_freeNodes->next;
        MemoryMgr::Free(g_DefaultPoolId, m_freeNodes);
        m_freeNodes = next;
    }
}

void CSxAudioMgr::SetHandler(uint16_t type, SxMsgHandler handler) {
    if (type < SxMsg_TypeCount) m_handlers[type] = handler;
}

uint32_t CSxAudioMgr::ChunkCount() {
    platform::Lock lock(m_queueLock);
    return m_ring.ChunkCount();
}

SXRESULT CSxAudioMgr::Enqueue(SxQueuedMsgHeader& record, uint32_t size) {
    if (size > SxChunkRing::kChunkSize) return SX_MessageTooLarge;
    record.size = static_cast<uint16_t>(SxChunkRing::AlignedSize(size));
    std::unique_lock<platform::CriticalSection> lock(m_queueLock);
    SXRESULT result = m_ring.Append(&record, size);
    while (result == SX_InsufficientMemory) {
        // Waiting for room is only safe on a game thread while the audio thread drains.
        if (IsAudioThread() || !m_threadRunning) return SX_InsufficientMemory;
        m_spaceAvailable.Reset();
        m_writerWaiting = true;
        lock.unlock();
        m_wake.Set();
        m_spaceAvailable.Wait();
        lock.lock();
        result = m_ring.Append(&record, size);
    }
    return result;
}

SXRESULT CSxAudioMgr::RenderAudio() {
    bool wake = false;
    {
        platform::Lock lock(m_queueLock);
        if (!m_ring.IsEmpty()) {
            SxQueuedMsgHeader end{SxChunkRing::AlignedSize(sizeof(SxQueuedMsgHeader)), SxMsg_EndOfBatch};
            if (m_ring.Append(&end, sizeof end) == SX_Success)
                ++m_batchesQueued;
            else
                m_writerWaiting = true;  // no room to close the batch: the reader takes all that is queued
            wake = true;
        }
    }
    if (wake) m_wake.Set();
    return SX_Success;
}

void CSxAudioMgr::ProcessMsgQueue() {
    if (!m_writerWaiting && m_batchesApplied == m_batchesQueued) return;
    std::unique_lock<platform::CriticalSection> lock(m_queueLock);
    bool batchEnded = false;
    while (!batchEnded) {
        const uint8_t* block;
        uint32_t bytes;
        if (!m_ring.PeekBlock(block, bytes)) break;
        lock.unlock();
        uint32_t consumed = 0;
        while (consumed < bytes && !batchEnded) {
            const auto& header = *reinterpret_cast<const SxQueuedMsgHeader*>(block + consumed);
            batchEnded = ApplyRecord(header);
            consumed += header.size;
        }
        lock.lock();
        m_ring.Commit(consumed);
    }
    m_writerWaiting = false;
    lock.unlock();
    m_spaceAvailable.Set();
}

bool CSxAudioMgr::ApplyRecord(const SxQueuedMsgHeader& record) {
    switch (record.type) {
        case SxMsg_EndOfBatch:
            ++m_batchesApplied;
            return m_batchesApplied == m_batchesQueued && !m_writerWaiting;
        case SxMsg_PostEvent:
            ApplyPostEvent(SxMsgAs<SxMsgPostEvent>(record));
            return false;
        case SxMsg_StopPlayingID: {
            Selection selection;
            selection.playingID = SxMsgAs<SxMsgStopPlayingID>(record).playingID;
            StopPending(selection);
            break;
        }
        case SxMsg_ExecuteActionOnEvent:
            ApplyActionOnEvent(SxMsgAs<SxMsgExecuteActionOnEvent>(record));
            break;
        default:
            break;
    }
    if (record.type < SxMsg_TypeCount && m_handlers[record.type]) m_handlers[record.type](record);
    ReleaseReferences(record);
    return false;
}

void CSxAudioMgr::ApplyActionOnEvent(const SxMsgExecuteActionOnEvent& record) {
    for (uint32_t i = 0; i < record.event->ActionCount(); ++i) {
        ISxEventAction* action = record.event->Action(i);
        if (action->ActionType() == SxActionType_Play) continue;  // applied to its target by the hierarchy
        Selection selection;
        selection.actionID = action->ActionID();
        selection.playingID = record.playingID;
        switch (record.kind) {
            case SxActionOnEvent_Stop:
            case SxActionOnEvent_Break:
                StopPending(selection);
                break;
            case SxActionOnEvent_Pause:
                PausePending(selection);
                break;
            case SxActionOnEvent_Resume:
                ResumePending(selection, false);
                break;
            default:
                break;
        }
    }
}

void CSxAudioMgr::ApplyPostEvent(const SxMsgPostEvent& record) {
    ISxPostedEvent* event = record.event;
    // Actions scoped to one game object run only for a registered object.
    const bool registered = record.gameObject == SxAllGameObjects || SxIsGameObjectRegistered(record.gameObject);
    for (uint32_t i = 0; i < event->ActionCount(); ++i) {
        ISxEventAction* action = event->Action(i);
        const bool scopedToObject = action->ActionType() & 1;
        if (scopedToObject && !registered) continue;
        auto* pending = SxNew<SxPendingAction>(g_DefaultPoolId);
        if (!pending) continue;
        pending->action = action;
        pending->playingID = record.playingID;
        pending->callerPlayingID = record.callerPlayingID;
        pending->gameObject = scopedToObject ? record.gameObject : SxAllGameObjects;
        pending->externalSources = record.externalSources;
        if (pending->externalSources.array) pending->externalSources.array->AddRef();
        EnqueueOrExecuteAction(pending);
    }
    RemovePendingCount(record.playingID);
    event->Release();
    if (record.externalSources.array) record.externalSources.array->Release();
}

void CSxAudioMgr::ReleaseReferences(const SxQueuedMsgHeader& record) {
    if (record.type == SxMsg_ExecuteActionOnEvent)
        SxMsgAs<SxMsgExecuteActionOnEvent>(record).event->Release();
    else if (record.type == SxMsg_SeekOnEvent)
        SxMsgAs<SxMsgSeekOnEvent>(record).event->Release();
}

void CSxAudioMgr::DrainQueue() {
    platform::Lock lock(m_queueLock);
    const uint8_t* block;
    uint32_t bytes;
    while (m_ring.PeekBlock(block, bytes)) {
        for (uint32_t consumed = 0; consumed < bytes;) {
            const auto& header = *reinterpret_cast<const SxQueuedMsgHeader*>(block + consumed);
            if (header.type == SxMsg_PostEvent) {
                const auto& post = SxMsgAs<SxMsgPostEvent>(header);
                RemovePendingCount(post.playingID);
                post.event->Release();
                if (post.externalSources.array) post.externalSources.array->Release();
            } else {
                ReleaseReferences(header);
            }
            consumed += header.size;
        }
        m_ring.Commit(bytes);
    }
    m_ring.Term();
    m_batchesQueued = 0;
    m_batchesApplied = 0;
}

void CSxAudioMgr::Perform() {
    platform::Lock lock(g_csMain);
    uint32_t buffers = CSxLEngine::GetNumBuffersToRefill();
    for (;;) {
        ProcessMsgQueue();
        ProcessPendingList();
        if (buffers == 0) break;
        SxBehavioralExtensions::Call(false);
        if (g_pTransitionMgr) g_pTransitionMgr->ProcessTransitionsList(g_uSxAudioFrameCounter + 1);
        if (g_pPathMgr) g_pPathMgr->ProcessPathsList(g_uSxAudioFrameCounter + 1);
        CSxURenderer::ProcessLimiters();
        // The lower engine's frame starts by handing the queued commands to its voices.
        CSxLEngineCmds::ExecuteCommands();
        CSxLEngine::Perform();
        // What the voices reported: instances started, ended or destroyed.
        CSxURenderer::ProcessCommands();
        ++g_uSxAudioFrameCounter;
        --buffers;
    }
    if (CSxMotionDeviceMgr* motion = CSxMotionDeviceMgr::Active()) motion->RenderData();
}

// --- pending actions ---

CSxAudioMgr::Node* CSxAudioMgr::NewNode(SxPendingAction* pending) {
    Node* node = m_freeNodes;
    if (node)
        m_freeNodes = node->next;
    else
        node = static_cast<Node*>(MemoryMgr::Malloc(g_DefaultPoolId, sizeof(Node)));
    if (node) *node = Node{nullptr, pending};
    return node;
}

void CSxAudioMgr::FreeNode(Node* node) {
    node->next = m_freeNodes;
    m_freeNodes = node;
}

void CSxAudioMgr::EnqueueOrExecuteAction(SxPendingAction* pending) {
    AddPendingCount(pending->playingID);
    pending->action->AddRef();
    const uint32_t delay = pending->action->DelaySamples();
    uint32_t frames = delay >> 10;
    pending->launchFrame = g_uSxAudioFrameCounter;
    pending->sampleOffset = delay & 1023;
    if (delay <= 1023) return ExecuteNow(pending);
    if (pending->action->ActionType() == SxActionType_PlayAndContinue) {
        const uint32_t lookAhead = frames < m_lookAhead ? frames : m_lookAhead;
        frames -= lookAhead;
        pending->sampleOffset = delay - (frames << 10);
        if (frames == 0) return ExecuteNow(pending);
    }
    pending->launchFrame += frames;
    if (!InsertByLaunchFrame(pending)) Drop(pending);
}

bool CSxAudioMgr::InsertByLaunchFrame(SxPendingAction* pending) {
    Node* node = NewNode(pending);
    if (!node) return false;
    Node** link = &m_pending;
    while (*link && (*link)->action->launchFrame <= pending->launchFrame) link = &(*link)->next;
    node->next = *link;
    *link = node;
    return true;
}

bool CSxAudioMgr::AppendPaused(SxPendingAction* pending) {
    Node* node = NewNode(pending);
    if (!node) return false;
    Node** link = &m_paused;
    while (*link) link = &(*link)->next;
    *link = node;
    return true;
}

void CSxAudioMgr::ExecuteNow(SxPendingAction* pending) {
    pending->action->Execute(*pending);
    Drop(pending);
}

void CSxAudioMgr::Drop(SxPendingAction* pending) {
    RemovePendingCount(pending->playingID);
    pending->action->Release();
    if (pending->externalSources.array) pending->externalSources.array->Release();
    SxDelete(g_DefaultPoolId, pending);
}

void CSxAudioMgr::ProcessPendingList() {
    while (m_pending && m_pending->action->launchFrame <= g_uSxAudioFrameCounter) {
        Node* node = m_pending;
        m_pending = node->next;
        SxPendingAction* pending = node->action;
        FreeNode(node);
        ExecuteNow(pending);
    }
}

namespace {
bool Matches(const SxPendingAction& p, const CSxAudioMgr::Selection& s) {
    return (s.playingID == 0 || p.playingID == s.playingID) &&
           (s.gameObject == SxAllGameObjects || p.gameObject == s.gameObject) &&
           (s.actionID == 0 || p.action->ActionID() == s.actionID) &&
           (s.targetID == 0 || p.action->TargetID() == s.targetID) &&
           (s.includeResumeActions || (p.action->ActionType() >> 8) != 0x03);
}
// A chain of plays waiting for its next item goes (or moves to the level above the stopped
// element) when that element is one of its levels or above them.
// A pending item of a chain that goes through the selected element is held and released with it.
bool MatchesOrContinues(const SxPendingAction& p, const CSxAudioMgr::Selection& s) {
    if (Matches(p, s)) return true;
    if (s.targetID == 0 || p.action->ActionType() != SxActionType_PlayAndContinue) return false;
    CSxAudioMgr::Selection rest = s;
    rest.targetID = 0;
    return Matches(p, rest) && p.action->ContinuesUnder(s.targetID);
}

bool BreaksChain(SxPendingAction& p, const CSxAudioMgr::Selection& s) {
    if (s.targetID == 0 || p.action->ActionType() != SxActionType_PlayAndContinue) return false;
    CSxAudioMgr::Selection rest = s;
    rest.targetID = 0;
    return Matches(p, rest) && p.action->BreakToNode(s.targetID, p);
}
}  // namespace

void CSxAudioMgr::StopPending(const Selection& selection) {
    for (Node** list : {&m_pending, &m_paused})
        for (Node** link = list; *link;) {
            Node* node = *link;
            if (Matches(*node->action, selection) || BreaksChain(*node->action, selection)) {
                *link = node->next;
                Drop(node->action);
                FreeNode(node);
            } else {
                link = &node->next;
            }
        }
}

void CSxAudioMgr::PausePendingAction(const SxPendingAction* pending, uint32_t pauses) {
    if (pauses == 0) return;
    for (Node** link = &m_pending; *link; link = &(*link)->next) {
        Node* node = *link;
        if (node->action != pending) continue;
        *link = node->next;
        FreeNode(node);
        SxPendingAction* paused = const_cast<SxPendingAction*>(pending);
        paused->pausedFrame = g_uSxAudioFrameCounter;
        paused->pauseCount = pauses - 1;
        if (!AppendPaused(paused)) Drop(paused);
        return;
    }
}

void CSxAudioMgr::PausePending(const Selection& selection) {
    for (Node* node = m_paused; node; node = node->next)
        if (MatchesOrContinues(*node->action, selection)) ++node->action->pauseCount;
    for (Node** link = &m_pending; *link;) {
        Node* node = *link;
        if (!MatchesOrContinues(*node->action, selection)) {
            link = &node->next;
            continue;
        }
        *link = node->next;
        SxPendingAction* pending = node->action;
        FreeNode(node);
        pending->pausedFrame = g_uSxAudioFrameCounter;
        pending->pauseCount = 0;
        if (!AppendPaused(pending)) Drop(pending);
    }
}

void CSxAudioMgr::ResumePending(const Selection& selection, bool master) {
    for (Node** link = &m_paused; *link;) {
        Node* node = *link;
        SxPendingAction* pending = node->action;
        if (!MatchesOrContinues(*pending, selection)) {
            link = &node->next;
            continue;
        }
        if (pending->pauseCount != 0 && !master) {
            --pending->pauseCount;
            link = &node->next;
            continue;
        }
        *link = node->next;
        FreeNode(node);
        pending->launchFrame += g_uSxAudioFrameCounter - pending->pausedFrame;
        if (!InsertByLaunchFrame(pending)) Drop(pending);
    }
}

void CSxAudioMgr::ClearPendingActions() {
    for (Node** list : {&m_pending, &m_paused})
        while (*list) {
            Node* node = *list;
            *list = node->next;
            Drop(node->action);
            FreeNode(node);
        }
}

}  // namespace SX
