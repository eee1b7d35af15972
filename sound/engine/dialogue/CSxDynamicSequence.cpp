#include "sound/engine/dialogue/CSxDynamicSequence.h"

#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/dialogue/CSxDynamicSequencePBI.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

namespace {
CSxParameterNodeBase* FindNode(SxUniqueID id) {
    return static_cast<CSxParameterNodeBase*>(g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id)
                                                             : nullptr);
}
}  // namespace

bool SxDynSeqPlaylist::Enqueue(SxUniqueID audioNodeID, uint32_t delayMs, void* customInfo) {
    return m_items.AddLast(SxDynSeqItem{audioNodeID, delayMs, customInfo});
}

SxDynSeqItem SxDynSeqPlaylist::TakeFirst() {
    const SxDynSeqItem item = m_items[0];
    m_items.Erase(0);
    return item;
}

CSxDynamicSequence* CSxDynamicSequence::Create(SxPlayingID playingID, uint32_t type) {
    auto* sequence = SxNew<CSxDynamicSequence>(g_DefaultPoolId, playingID, type);
    if (sequence && g_pObjectIndex) g_pObjectIndex->AddToIndex(sequence);
    return sequence;
}

CSxDynamicSequence::CSxDynamicSequence(SxPlayingID playingID, uint32_t type)
    : CSxPBIAware(playingID, SxIndex_DynamicSequence), m_type(type) {}

CSxDynamicSequence::~CSxDynamicSequence() {
    if (m_gameObj) m_gameObj->Release();
}

CSxPBI* CSxDynamicSequence::CreatePBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                                      const SxPriorityParams& priority) {
    return SxNew<CSxDynamicSequencePBI>(g_DefaultPoolId, node, source, params, priority, *this);
}

// --- the game's side ---

SxDynSeqPlaylist* CSxDynamicSequence::LockPlaylist() {
    m_lock.lock();
    std::lock_guard<std::mutex> guard(m_ownerLock);
    m_owner = std::this_thread::get_id();
    ++m_lockDepth;
    return &m_playlist;
}

SXRESULT CSxDynamicSequence::UnlockPlaylist(bool& waiting) {
    {
        std::lock_guard<std::mutex> guard(m_ownerLock);
        // Only the thread that holds the lock may let it go.
        if (m_lockDepth == 0 || m_owner != std::this_thread::get_id()) return SX_Fail;
        if (--m_lockDepth == 0) m_owner = std::thread::id();
    }
    waiting = m_state.load() == State_Waiting;
    m_lock.unlock();
    return SX_Success;
}

// --- the audio thread's side ---

void CSxDynamicSequence::SetGameObject(CSxRegisteredObj* gameObj) {
    if (gameObj) gameObj->AddRef();
    if (m_gameObj) m_gameObj->Release();
    m_gameObj = gameObj;
}

void CSxDynamicSequence::Execute(Command command, uint32_t transitionMs, SxCurveInterpolation curve) {
    switch (command) {
        case Command_Play:
            Play(transitionMs, curve);
            break;
        case Command_Pause:
            Pause(transitionMs, curve);
            break;
        case Command_Resume:
            Resume(transitionMs, curve);
            break;
        case Command_Close:
            Close();
            break;
        case Command_Stop:
            Stop(transitionMs, curve);
            break;
        case Command_Break:
            Break();
            break;
        case Command_ResumeWaiting:
            ResumeWaiting();
            break;
    }
}

void CSxDynamicSequence::NotifyItemEnd(SxUniqueID node, void* customInfo) {
    if (g_pPlayingMgr) g_pPlayingMgr->NotifyEndOfDynamicSequenceItem(ID(), node, customInfo);
}

SxUniqueID CSxDynamicSequence::GetNextToPlay(uint32_t& delayMs, void*& customInfo) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_state == State_Stopped || !m_gameObj) return 0;
    while (m_playlist.Length()) {
        const SxDynSeqItem item = m_playlist.TakeFirst();
        if (item.audioNodeID == 0) {
            NotifyItemEnd(0, item.customInfo);
            continue;
        }
        delayMs = item.delayMs;
        customInfo = item.customInfo;
        return item.audioNodeID;
    }
    m_state = State_Waiting;
    return 0;
}

SXRESULT CSxDynamicSequence::PlayItem(SxUniqueID id, uint32_t delayMs, uint32_t transitionMs,
                                      SxCurveInterpolation curve) {
    if (!m_gameObj) return SX_Fail;
    CSxParameterNodeBase* node = FindNode(id);
    if (!node) return SX_IDNotFound;
    SxPBIParams params;
    params.instigator = this;
    params.gameObj = m_gameObj;
    params.fade = SxFadeParams{transitionMs, curve};
    params.playingID = ID();
    params.sampleOffset = CSxLEngine::OutputSampleRate() / 1000 * delayMs;
    params.firstPlay = 1;
    const SXRESULT result = node->Play(params);
    node->Release();
    return result;
}

SXRESULT CSxDynamicSequence::PlayNext(uint32_t transitionMs, SxCurveInterpolation curve) {
    for (;;) {
        uint32_t delayMs = 0;
        void* customInfo = nullptr;
        const SxUniqueID node = GetNextToPlay(delayMs, customInfo);
        if (node == 0) return SX_Success;
        m_current = SxDynSeqItem{node, delayMs, customInfo};
        if (PlayItem(node, delayMs, transitionMs, curve) == SX_Success && m_liveInstances) return SX_Success;
        // Nothing of the item plays: it has ended, and the next one is tried.
        m_current = SxDynSeqItem();
        NotifyItemEnd(node, customInfo);
    }
}

SXRESULT CSxDynamicSequence::Play(uint32_t transitionMs, SxCurveInterpolation curve) {
    if (m_state == State_Playing || m_pauseCount) return SX_Success;
    m_state = State_Playing;
    return PlayNext(transitionMs, curve);
}

void CSxDynamicSequence::ItemInstanceEnded(bool startFailed) {
    if (m_liveInstances) --m_liveInstances;
    // An engine that terminates starts nothing more.
    if (startFailed || m_liveInstances || CSxURenderer::IsTerminating()) return;
    const SxDynSeqItem ended = m_current;
    m_current = SxDynSeqItem();
    if (m_state == State_Stopped) return;
    NotifyItemEnd(ended.audioNodeID, ended.customInfo);
    if (m_state == State_Playing && m_pauseCount == 0) PlayNext(0, SxCurve_Linear);
}

void CSxDynamicSequence::ActOnCurrent(SxActionKind kind, uint32_t transitionMs, SxCurveInterpolation curve) {
    if (m_current.audioNodeID == 0) return;
    CSxParameterNodeBase* node = FindNode(m_current.audioNodeID);
    if (!node) return;
    SxActionParams params;
    params.kind = kind;
    params.gameObj = m_gameObj;
    params.playingID = ID();
    params.transitionMs = transitionMs;
    params.curve = curve;
    params.targetID = m_current.audioNodeID;
    node->ExecuteAction(params);
    node->Release();
}

void CSxDynamicSequence::Pause(uint32_t transitionMs, SxCurveInterpolation curve) {
    if (m_state == State_Stopped) return;
    if (++m_pauseCount != 1) return;
    if (g_pAudioMgr) {
        CSxAudioMgr::Selection selection;
        selection.playingID = ID();
        g_pAudioMgr->PausePending(selection);
    }
    ActOnCurrent(SxActionKind_Pause, transitionMs, curve);
}

void CSxDynamicSequence::Resume(uint32_t transitionMs, SxCurveInterpolation curve) {
    if (m_pauseCount == 0 || --m_pauseCount != 0) return;
    if (g_pAudioMgr) {
        CSxAudioMgr::Selection selection;
        selection.playingID = ID();
        g_pAudioMgr->ResumePending(selection, false);
    }
    ActOnCurrent(SxActionKind_Resume, transitionMs, curve);
    GoOn(transitionMs, curve);
}

void CSxDynamicSequence::GoOn(uint32_t transitionMs, SxCurveInterpolation curve) {
    // An item that ended while paused, or a sequence not playing, goes on now.
    if (m_state != State_Playing)
        Play(transitionMs, curve);
    else if (m_liveInstances == 0)
        PlayNext(transitionMs, curve);
}

void CSxDynamicSequence::Stop(uint32_t transitionMs, SxCurveInterpolation curve) {
    m_state = State_Stopped;
    m_pauseCount = 0;
    if (g_pAudioMgr) {
        CSxAudioMgr::Selection selection;
        selection.playingID = ID();
        g_pAudioMgr->StopPending(selection);
    }
    ActOnCurrent(SxActionKind_Stop, transitionMs, curve);
}

void CSxDynamicSequence::Break() {
    if (m_state == State_Stopped) return;
    m_state = State_Stopped;
    m_pauseCount = 0;
    if (g_pAudioMgr) {
        CSxAudioMgr::Selection selection;
        selection.playingID = ID();
        g_pAudioMgr->StopPending(selection);
    }
    ActOnCurrent(SxActionKind_Break, 0, SxCurve_Linear);
}

void CSxDynamicSequence::Close() {
    m_closed = true;
    if (g_pPlayingMgr) g_pPlayingMgr->RemovePendingCount(ID());
    // The creation's reference: the sequence goes once its items and the game let go of it.
    Release();
}

void CSxDynamicSequence::ResumeWaiting() {
    if (m_state != State_Waiting) return;
    bool empty;
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        empty = m_playlist.Length() == 0;
    }
    if (!empty) Play(0, SxCurve_Linear);
}

void CSxDynamicSequence::ApplyActionKind(SxActionKind kind, CSxRegisteredObj* gameObj) {
    if (gameObj && gameObj != m_gameObj) return;
    switch (kind) {
        case SxActionKind_Stop:
            m_state = State_Stopped;
            m_pauseCount = 0;
            break;
        case SxActionKind_Pause:
            if (m_state != State_Stopped) ++m_pauseCount;
            break;
        case SxActionKind_Resume:
            if (m_pauseCount != 0 && --m_pauseCount == 0) GoOn(0, SxCurve_Linear);
            break;
        default:
            break;
    }
}

void CSxDynamicSequence::ApplyActionKindToAll(SxActionKind kind, CSxRegisteredObj* gameObj) {
    if (!g_pObjectIndex) return;
    // Under the table's lock: the game may let a sequence go meanwhile.
    SxIDTable& table = g_pObjectIndex->Table(SxIndex_DynamicSequence);
    platform::Lock lock(table.Lock());
    for (CSxIndexable* item : table.Items()) static_cast<CSxDynamicSequence*>(item)->ApplyActionKind(kind, gameObj);
}

}  // namespace SX
