#include "sound/engine/playing/CSxPlayingMgr.h"

#include <mutex>
#include <thread>

#include "sound/engine/SxAudioThread.h"
#include "sound/engine/positions/CSxPositionRepository.h"
#include "sound/engine/transitions/SxTimingSettings.h"

namespace SX {

CSxPlayingMgr* g_pPlayingMgr = nullptr;

namespace {
// Music notifications: bit 7 and above, except the position-keeping request.
constexpr uint32_t kMusicFlags = ~(0x7Fu | SxCallbackFlag_EnableGetSourcePlayPosition);
}  // namespace

CSxPlayingMgr::CSxPlayingMgr() : m_callbackDone(true, true) {}

CSxPlayingMgr::~CSxPlayingMgr() { Term(); }

SXRESULT CSxPlayingMgr::Init() {
    platform::Lock guard(m_lock);
    m_callbackDone.Set();
    m_records.clear();
    return SX_Success;
}

void CSxPlayingMgr::Term() {
    platform::Lock guard(m_lock);
    m_records.clear();
}

SXRESULT CSxPlayingMgr::AddPlayingID(const SxPostInfo& post) {
    Record record;
    record.gameObj = post.gameObj;
    record.eventID = post.eventID;
    record.callback = post.callback;
    record.pCookie = post.pCookie;
    record.flags = post.callback ? post.flags : (post.flags & SxCallbackFlag_KeptWithoutCallback);
    platform::Lock guard(m_lock);
    m_records[post.playingID] = record;
    return SX_Success;
}

bool CSxPlayingMgr::IsActive(uint32_t playingID) {
    platform::Lock guard(m_lock);
    return m_records.count(playingID) != 0;
}

void CSxPlayingMgr::WaitForRunningCallback() {
    // A callback that cancels itself must not wait for itself: it runs on the audio thread,
    // or on whichever thread ended its event (Term ends the queued ones on its caller's).
    if (IsAudioThread() || m_callbackThread.load() == std::this_thread::get_id()) return;
    m_callbackDone.Wait();
}

void CSxPlayingMgr::CancelEventCallback(uint32_t playingID) {
    {
        platform::Lock guard(m_lock);
        auto it = m_records.find(playingID);
        if (it != m_records.end()) {
            it->second.callback = nullptr;
            // The position-keeping request is not a callback: the stored position must
            // still be dropped when the playing ID ends.
            it->second.flags &= SxCallbackFlag_KeptWithoutCallback;
        }
    }
    WaitForRunningCallback();
}

void CSxPlayingMgr::CancelEventCallbackCookie(void* pCookie) {
    {
        platform::Lock guard(m_lock);
        for (auto& entry : m_records) {
            if (entry.second.pCookie != pCookie) continue;
            entry.second.callback = nullptr;
            entry.second.flags &= SxCallbackFlag_KeptWithoutCallback;
        }
    }
    WaitForRunningCallback();
}

SXRESULT CSxPlayingMgr::AddItemActiveCount(uint32_t playingID, uint32_t* outFlags) {
    platform::Lock guard(m_lock);
    auto it = m_records.find(playingID);
    if (it != m_records.end()) {
        ++it->second.activeCount;
        if (outFlags) *outFlags = it->second.flags;
    }
    return SX_Success;
}

void CSxPlayingMgr::RemoveItemActiveCount(uint32_t playingID) {
    std::unique_lock<platform::CriticalSection> guard(m_lock);
    auto it = m_records.find(playingID);
    if (it == m_records.end()) return;
    --it->second.activeCount;
    CheckEnd(guard, playingID);
}

void CSxPlayingMgr::AddPendingCount(uint32_t playingID) {
    if (playingID == 0) return;
    platform::Lock guard(m_lock);
    auto it = m_records.find(playingID);
    if (it != m_records.end()) ++it->second.pendingCount;
}

void CSxPlayingMgr::RemovePendingCount(uint32_t playingID) {
    std::unique_lock<platform::CriticalSection> guard(m_lock);
    auto it = m_records.find(playingID);
    if (it == m_records.end()) return;
    --it->second.pendingCount;
    CheckEnd(guard, playingID);
}

void CSxPlayingMgr::CheckEnd(std::unique_lock<platform::CriticalSection>& guard, uint32_t playingID) {
    auto it = m_records.find(playingID);
    const Record record = it->second;
    if (record.activeCount > 0 || record.pendingCount > 0) return;
    if ((record.flags & SxCallbackFlag_EnableGetSourcePlayPosition) && g_pPositionRepository)
        g_pPositionRepository->RemovePlayingID(playingID);
    m_records.erase(it);
    if (!(record.flags & SxCallback_EndOfEvent) || !record.callback) return;
    SxEventCallbackInfo info{};
    info.pCookie = record.pCookie;
    info.eventID = record.eventID;
    info.playingID = playingID;
    info.gameObj = record.gameObj;
    m_callbackDone.Reset();
    guard.unlock();
    CallOutsideLock(record.callback, SxCallback_EndOfEvent, &info);
}

void CSxPlayingMgr::CallOutsideLock(SxCallbackFunc callback, SxCallbackType type, SxCallbackInfo* info) {
    // A callback may end another event and so run one inside itself: the outer one ends last.
    const std::thread::id outer = m_callbackThread.exchange(std::this_thread::get_id());
    callback(type, info);
    m_callbackThread.store(outer);
    if (outer == std::thread::id()) m_callbackDone.Set();
}

CSxPlayingMgr::Record* CSxPlayingMgr::FindForNotification(uint32_t playingID, uint32_t mask) {
    auto it = m_records.find(playingID);
    if (it == m_records.end() || !(it->second.flags & mask) || !it->second.callback) return nullptr;
    return &it->second;
}

namespace {
template <class Info>
void FillHead(Info& info, void* pCookie, uint32_t eventID, uint32_t playingID, uint32_t gameObj) {
    info.pCookie = pCookie;
    info.eventID = eventID;
    info.playingID = playingID;
    info.gameObj = gameObj;
}
}  // namespace

void CSxPlayingMgr::NotifyEndOfDynamicSequenceItem(uint32_t playingID, uint32_t audioNodeID, void* pCustomInfo) {
    std::unique_lock<platform::CriticalSection> guard(m_lock);
    Record* record = FindForNotification(playingID, SxCallback_EndOfDynamicSequenceItem);
    if (!record) return;
    SxDynamicSequenceItemCallbackInfo info{};
    FillHead(info, record->pCookie, record->eventID, playingID, record->gameObj);
    info.audioNodeID = audioNodeID;
    info.pCustomInfo = pCustomInfo;
    const SxCallbackFunc callback = record->callback;
    m_callbackDone.Reset();
    guard.unlock();
    CallOutsideLock(callback, SxCallback_EndOfDynamicSequenceItem, &info);
}

void CSxPlayingMgr::NotifyMarker(uint32_t playingID, const SxMarker& marker) {
    std::unique_lock<platform::CriticalSection> guard(m_lock);
    Record* record = FindForNotification(playingID, SxCallback_Marker);
    if (!record) return;
    SxMarkerCallbackInfo info{};
    FillHead(info, record->pCookie, record->eventID, playingID, record->gameObj);
    info.marker = marker;
    const SxCallbackFunc callback = record->callback;
    m_callbackDone.Reset();
    guard.unlock();
    CallOutsideLock(callback, SxCallback_Marker, &info);
}

void CSxPlayingMgr::NotifyMarkers(std::vector<SxPendingMarker>& markers) {
    for (const SxPendingMarker& pending : markers) NotifyMarker(pending.playingID, pending.marker);
    markers.clear();
}

void CSxPlayingMgr::NotifyDuration(uint32_t playingID, float duration, float estimatedDuration, uint32_t audioNodeID) {
    std::unique_lock<platform::CriticalSection> guard(m_lock);
    Record* record = FindForNotification(playingID, SxCallback_Duration);
    if (!record) return;
    SxDurationCallbackInfo info{};
    FillHead(info, record->pCookie, record->eventID, playingID, record->gameObj);
    info.duration = duration;
    info.estimatedDuration = estimatedDuration;
    info.audioNodeID = audioNodeID;
    const SxCallbackFunc callback = record->callback;
    m_callbackDone.Reset();
    guard.unlock();
    CallOutsideLock(callback, SxCallback_Duration, &info);
}

void CSxPlayingMgr::NotifySpeakerVolumes(uint32_t playingID, SxSpeakerVolumeMatrixCallbackInfo* info) {
    std::unique_lock<platform::CriticalSection> guard(m_lock);
    Record* record = FindForNotification(playingID, SxCallback_SpeakerVolumeMatrix);
    if (!record) return;
    FillHead(*info, record->pCookie, record->eventID, playingID, record->gameObj);
    const SxCallbackFunc callback = record->callback;
    m_callbackDone.Reset();
    guard.unlock();
    CallOutsideLock(callback, SxCallback_SpeakerVolumeMatrix, info);
}

void CSxPlayingMgr::NotifyMusic(uint32_t playingID) {
    std::unique_lock<platform::CriticalSection> guard(m_lock);
    Record* record = FindForNotification(playingID, kMusicFlags);
    if (!record) return;
    SxEventCallbackInfo info{};
    FillHead(info, record->pCookie, record->eventID, playingID, record->gameObj);
    const SxCallbackFunc callback = record->callback;
    m_callbackDone.Reset();
    guard.unlock();
    CallOutsideLock(callback, SxCallback_MusicNotification, &info);
}

void CSxPlayingMgr::NotifyMusicSync(uint32_t playingID, uint32_t syncBit, const SxMusicGrid& grid,
                                    uint32_t frameOffset) {
    std::unique_lock<platform::CriticalSection> guard(m_lock);
    Record* record = FindForNotification(playingID, syncBit);
    if (!record) return;
    SxMusicSyncCallbackInfo info{};
    info.pCookie = record->pCookie;
    info.eventID = record->eventID;
    info.playingID = playingID;
    info.syncType = syncBit;
    const float rate = float(SxTimingSettings::sampleRate);
    info.beatDuration = float(grid.beat) / rate;
    info.barDuration = float(grid.bar) / rate;
    info.gridDuration = float(grid.gridPeriod) / rate;
    info.gridOffset = float(grid.gridOffset) / rate;
    info.frameOffset = frameOffset;
    const SxCallbackFunc callback = record->callback;
    m_callbackDone.Reset();
    guard.unlock();
    CallOutsideLock(callback, SxCallbackType(syncBit), &info);
}

}  // namespace SX
