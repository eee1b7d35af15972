#include "sound/music/CSxMusicRenderer.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <vector>

#include "core/Logger.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/lower/SxAudioBuffer.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "platform/os/Clock.h"
#include "platform/os/Threads.h"
#include "sound/music/CSxMusicCtx.h"
#include "sound/music/SxGridNotifier.h"
#include "sound/music/SxMusicEngine.h"
#include "sound/music/CSxMusicContainers.h"
#include "sound/music/CSxMusicSegment.h"
#include "sound/music/CSxMusicTrack.h"

namespace SX {
namespace {

enum SxMusicHircType : uint8_t {
    SxHirc_MusicSegment = 10,
    SxHirc_MusicTrack = 11,
    SxHirc_MusicSwitch = 12,
    SxHirc_MusicRanSeq = 13,
};

std::atomic<bool> g_initialized{false};
std::atomic<float> g_lookAheadScale{1.0f};
// Term waits this long in all for the audio thread to release the stopped music.
constexpr uint32_t kTermWaitMs = 1000;
constexpr uint32_t kTermWaitStepMs = 20;

template <typename Node>
SXRESULT ReadNew(Node* node, const uint8_t* body, uint32_t size, CSxIndexable** out) {
    if (!node) return SX_Fail;
    SXRESULT result;
    // A record whose reading runs out of memory is refused like any other that fails.
    try {
        result = node->SetInitialValues(body, size);
    } catch (const std::bad_alloc&) {
        result = SX_InsufficientMemory;
    }
    if (result != SX_Success) {
        node->Release();
        return result;
    }
    *out = node;
    return SX_Success;
}

struct SegmentInfoRecord {
    SxPlayingID playingID;
    SxSegmentInfo info;
    int64_t stamp;
};

struct PendingStateChange {
    uint32_t record;
    uint32_t group;
    uint32_t state;
    bool executed;  // applied, or superseded by a newer change of the group
};

// The contexts and deferred state changes belong to the audio thread (under the global audio
// lock); the segment-info table is read by game threads under its own lock.
struct RendererState {
    std::vector<std::unique_ptr<CSxMusicCtx>> contexts;
    std::atomic<uint32_t> count{0};
    platform::Event removed{false, false};
    std::vector<PendingStateChange> pending;  // oldest first
    uint32_t nextRecord = 1;
    platform::CriticalSection infoLock;
    std::vector<SegmentInfoRecord> infos;
};

RendererState& State() {
    static RendererState state;
    return state;
}

void RemoveInfo(SxPlayingID playingID) {
    RendererState& s = State();
    platform::Lock lock(s.infoLock);
    s.infos.erase(std::remove_if(s.infos.begin(), s.infos.end(),
                                 [&](const SegmentInfoRecord& r) { return r.playingID == playingID; }),
                  s.infos.end());
}

void ReleaseContext(std::unique_ptr<CSxMusicCtx> ctx) {
    const SxPlayingID playingID = ctx->PlayingID();
    if (ctx->CallbackFlags() & SxMusicCallback_SegmentInfo) RemoveInfo(playingID);
    ctx.reset();
    if (playingID && g_pPlayingMgr) g_pPlayingMgr->RemoveItemActiveCount(playingID);
    State().count.fetch_sub(1);
    State().removed.Set();
}

void ReleaseAll() {
    std::vector<std::unique_ptr<CSxMusicCtx>> contexts;
    contexts.swap(State().contexts);
    for (auto& ctx : contexts) ReleaseContext(std::move(ctx));
}

bool Matches(const CSxMusicCtx& ctx, const SxActionParams& params) {
    return (!params.gameObj || ctx.GameObj() == params.gameObj) &&
           (params.playingID == 0 || ctx.PlayingID() == params.playingID);
}

template <typename Fn>
void ForMatching(const SxActionParams& params, Fn fn) {
    for (const auto& ctx : State().contexts)
        if (Matches(*ctx, params)) fn(*ctx);
}

void ApplyAction(CSxMusicCtx& ctx, const SxActionParams& params) {
    switch (params.kind) {
        case SxActionKind_Stop:
            ctx.Stop(params.transitionMs, params.curve);
            break;
        case SxActionKind_Pause:
            ctx.Pause(params.transitionMs, params.curve);
            break;
        case SxActionKind_Resume:
            ctx.Resume(params.flags[2] != 0, params.transitionMs, params.curve);
            break;
        case SxActionKind_Seek:
            if (ctx.Seek(params.seekValue, params.seekBits & 1, params.seekBits & 2) && ctx.PlayingID() &&
                g_pPlayingMgr)
                g_pPlayingMgr->NotifyMusic(ctx.PlayingID());
            break;
        default:
            break;
    }
}

// Stop, pause and resume over everything (stop all, a playing ID's stop, global actions): the
// music contexts follow, except those whose node lies under an exception.
void OnExecuteOnAll(const SxActionParams& params, const std::vector<SxUniqueID>& exceptions) {
    ForMatching(params, [&](CSxMusicCtx& ctx) {
        for (const CSxParameterNodeBase* node = &ctx.Node(); node; node = node->Parent())
            if (std::find(exceptions.begin(), exceptions.end(), node->ID()) != exceptions.end()) return;
        ApplyAction(ctx, params);
    });
}

// What the sound engine asks of the music: state changes its music waits for, the records of
// music nodes, and actions over everything.
class MusicSeams final : public ISxStateHook, public ISxHircObjectReader, public ISxExecuteOnAllListener {
public:
    void ExecuteOnAll(const SxActionParams& params, const std::vector<SxUniqueID>& exceptions) override {
        OnExecuteOnAll(params, exceptions);
    }
    bool TakeOverStateChange(uint32_t groupID, uint32_t stateID) override {
        return CSxMusicRenderer::SetStateHook(groupID, stateID);
    }
    SXRESULT ReadHircObject(uint8_t type, const uint8_t* body, uint32_t size, SxBankID bank,
                            CSxIndexable** object) override {
        return CSxMusicRenderer::HircObjectHook(type, body, size, bank, object);
    }
};

MusicSeams g_musicSeams;

void Install() {
    // Installing again (a second Init) must not step the music twice a frame.
    SoundEngine::RemoveBehavioralExtension(&CSxMusicRenderer::PerformFrame);
    SoundEngine::AddBehavioralExtension(&CSxMusicRenderer::PerformFrame);
    SoundEngine::SetStateHook(&g_musicSeams);
    SoundEngine::SetHircObjectHook(&g_musicSeams);
    CSxURenderer::SetExecuteOnAllHook(&g_musicSeams);
}

}  // namespace

SXRESULT CSxMusicRenderer::Init(float lookAheadScale) {
    {
        platform::Lock lock(g_csMain);
        g_lookAheadScale = lookAheadScale;
        g_initialized = true;
    }
    Install();
    return SX_Success;
}

void CSxMusicRenderer::Term() {
    if (!g_initialized) return;
    RendererState& s = State();
    if (s.count > 0 && SoundEngine::IsInitialized()) {
        SoundEngine::StopAll();
        // The audio thread releases the stopped contexts in its next frames; without one (or
        // when it is stuck) the wait ends and they are released here.
        for (uint32_t waited = 0; s.count > 0 && waited < kTermWaitMs; waited += kTermWaitStepMs)
            s.removed.Wait(kTermWaitStepMs);
    }
    platform::Lock lock(g_csMain);
    if (!s.contexts.empty())
        SD_WARNING(Debug::kLogSevere, "music engine: %zu music contexts still playing at termination are released",
                   s.contexts.size());
    ReleaseAll();
    s.pending.clear();
    SoundEngine::RemoveBehavioralExtension(&CSxMusicRenderer::PerformFrame);
    // Only the music's own: a hook installed before it stays.
    SoundEngine::RemoveStateHook(&g_musicSeams);
    SoundEngine::RemoveHircObjectHook(&g_musicSeams);
    CSxURenderer::RemoveExecuteOnAllHook(&g_musicSeams);
    {
        platform::Lock infoLock(s.infoLock);
        s.infos.clear();
    }
    g_lookAheadScale = 1.0f;
    g_initialized = false;
}

bool CSxMusicRenderer::IsInitialized() { return g_initialized; }

float CSxMusicRenderer::LookAheadScale() { return g_lookAheadScale; }

uint32_t CSxMusicRenderer::ContextCount() { return State().count; }

SXRESULT CSxMusicRenderer::PlayNode(CSxMusicNode& node, const SxPBIParams& params) {
    if (!g_initialized) return SX_Fail;
    SxMusicPlayParams play;
    play.gameObj = params.gameObj;
    play.playingID = params.playingID;
    play.externalSources = params.externalSources;
    play.sampleOffset = params.sampleOffset;
    // The context keeps the event alive until it is released.
    if (play.playingID && g_pPlayingMgr) g_pPlayingMgr->AddItemActiveCount(play.playingID, &play.callbackFlags);
    std::unique_ptr<CSxMusicCtx> ctx = CSxMusicCtx::Create(node, play);
    if (!ctx) {
        if (play.playingID && g_pPlayingMgr) g_pPlayingMgr->RemoveItemActiveCount(play.playingID);
        return SX_Fail;
    }
    RendererState& s = State();
    if (play.callbackFlags & SxMusicCallback_SegmentInfo) {
        platform::Lock lock(s.infoLock);
        s.infos.push_back({play.playingID, SxSegmentInfo{}, platform::QueryCounter()});
    }
    if (play.playingID && g_pPlayingMgr) g_pPlayingMgr->NotifyMusic(play.playingID);
    s.contexts.push_back(std::move(ctx));
    s.count.fetch_add(1);
    return SX_Success;
}

SXRESULT CSxMusicRenderer::ExecuteNodeAction(CSxMusicNode& node, const SxActionParams& params) {
    ForMatching(params, [&](CSxMusicCtx& ctx) {
        if (&ctx.Node() == &node) ApplyAction(ctx, params);
    });
    return SX_Success;
}

void CSxMusicRenderer::PerformFrame(bool lastCall) {
    RendererState& s = State();
    if (lastCall) {
        ReleaseAll();
        s.pending.clear();
        return;
    }
    for (size_t i = 0; i < s.contexts.size(); ++i) {
        CSxMusicCtx& ctx = *s.contexts[i];
        ctx.Execute();
        if (!(ctx.CallbackFlags() & SxMusicCallback_SegmentInfo)) continue;
        SxSegmentInfo info;
        if (!ctx.GetPlayingSegmentInfo(info)) continue;
        platform::Lock lock(s.infoLock);
        for (SegmentInfoRecord& record : s.infos) {
            if (record.playingID != ctx.PlayingID()) continue;
            record.info = info;
            record.stamp = platform::QueryCounter();
        }
    }
    for (size_t i = 0; i < s.contexts.size();) {
        if (!s.contexts[i]->IsDone()) {
            ++i;
            continue;
        }
        std::unique_ptr<CSxMusicCtx> done = std::move(s.contexts[i]);
        s.contexts.erase(s.contexts.begin() + static_cast<std::ptrdiff_t>(i));
        ReleaseContext(std::move(done));
    }
}

namespace {

// The music context whose sync point for the group comes first, and its delay; null when the
// change need not wait (a sync point within the next frame is as good as now).
CSxMusicCtx* FirstStateSync(uint32_t groupID, int64_t& best) {
    CSxMusicCtx* chosen = nullptr;
    for (const auto& ctx : State().contexts) {
        int64_t delay;
        if (!ctx->DelayToStateSync(groupID, delay)) continue;
        if (!chosen || delay < best) {
            chosen = ctx.get();
            best = delay;
        }
    }
    return chosen && best - static_cast<int64_t>(SxFrameLength) > 0 ? chosen : nullptr;
}

}  // namespace

bool CSxMusicRenderer::SetStateHook(uint32_t groupID, uint32_t stateID) {
    RendererState& s = State();
    int64_t best = 0;
    CSxMusicCtx* chosen = FirstStateSync(groupID, best);
    if (!chosen) return false;
    const uint32_t record = s.nextRecord++;
    s.pending.push_back({record, groupID, stateID, false});
    chosen->ScheduleStateChange(best, record);
    return true;
}

void CSxMusicRenderer::ExecutePendingStateChange(uint32_t record) {
    RendererState& s = State();
    auto it = std::find_if(s.pending.begin(), s.pending.end(),
                           [&](const PendingStateChange& p) { return p.record == record; });
    if (it == s.pending.end()) return;
    const PendingStateChange change = *it;
    // The older changes of the group are superseded by this one.
    for (auto older = s.pending.begin(); older != it; ++older)
        if (older->group == change.group) older->executed = true;
    s.pending.erase(it);
    if (change.executed || !g_pStateMgr) return;
    g_pStateMgr->SetStateInternal(change.group, change.state, false, true);
}

void CSxMusicRenderer::RescheduleOrExecutePendingStateChange(uint32_t record) {
    RendererState& s = State();
    auto it = std::find_if(s.pending.begin(), s.pending.end(),
                           [&](const PendingStateChange& p) { return p.record == record; });
    if (it == s.pending.end()) return;
    if (it->executed) {
        s.pending.erase(it);
        return;
    }
    int64_t delay = 0;
    if (CSxMusicCtx* chosen = FirstStateSync(it->group, delay))
        chosen->ScheduleStateChange(delay, record);
    else
        ExecutePendingStateChange(record);
}

SXRESULT CSxMusicRenderer::GetPlayingSegmentInfo(SxPlayingID playingID, SxSegmentInfo& info, bool extrapolate) {
    RendererState& s = State();
    platform::Lock lock(s.infoLock);
    for (const SegmentInfoRecord& record : s.infos) {
        if (record.playingID != playingID) continue;
        info = record.info;
        if (extrapolate && (info.iActiveMs > 0 || info.iPreEntryMs > 0 || info.iPostExitMs > 0)) {
            const double perMs = static_cast<double>(platform::CounterFrequency()) / 1000.0;
            info.iPositionMs +=
                static_cast<int32_t>(static_cast<double>(platform::QueryCounter() - record.stamp) / perMs);
        }
        return SX_Success;
    }
    return SX_Fail;
}

SXRESULT CSxMusicRenderer::HircObjectHook(uint8_t type, const uint8_t* body, uint32_t size, SxBankID,
                                          CSxIndexable** object) {
    *object = nullptr;
    if (type < SxHirc_MusicSegment || type > SxHirc_MusicRanSeq) return SX_Refused;
    SxReadCursor cursor(body, size);
    uint32_t id;
    if (!g_pObjectIndex || !cursor.U32(id)) return SX_Fail;
    if (CSxIndexable* existing = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id)) {
        if (type == SxHirc_MusicTrack) {
            auto* track = dynamic_cast<CSxMusicTrack*>(existing);
            SXRESULT result = SX_Fail;
            if (track) {
                platform::Lock lock(g_csMain);
                result = track->SetInitialValues(body, size, true);
            }
            if (result != SX_Success) {
                SD_WARNING(Debug::kLogSevere, "music track %u could not be read again: %d", id, result);
                existing->Release();
                return result;
            }
        }
        *object = existing;
        return SX_Success;
    }
    platform::Lock lock(g_csMain);
    switch (type) {
        case SxHirc_MusicSegment:
            return ReadNew(CSxMusicSegment::Create(id), body, size, object);
        case SxHirc_MusicTrack:
            return ReadNew(CSxMusicTrack::Create(id), body, size, object);
        case SxHirc_MusicSwitch:
            return ReadNew(CSxMusicSwitchCntr::Create(id), body, size, object);
        default:
            return ReadNew(CSxMusicRanSeqCntr::Create(id), body, size, object);
    }
}

}  // namespace SX
