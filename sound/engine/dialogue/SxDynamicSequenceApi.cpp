#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/dialogue/CSxDynamicSequence.h"
#include "sound/engine/dialogue/SxDynamicSequenceMessages.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/registry/CSxRegistryMgr.h"

namespace SX {

namespace {

CSxDynamicSequence* FindSequence(SxPlayingID id) {
    return static_cast<CSxDynamicSequence*>(
        g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_DynamicSequence, id) : nullptr);
}

SXRESULT QueueCommand(SxPlayingID id, CSxDynamicSequence::Command command, int32_t transitionMs = 0,
                      SxCurveInterpolation curve = SxCurve_Linear) {
    SxMsgDynamicSequenceCommand record;
    record.sequence = id;
    record.command = command;
    record.transitionMs = transitionMs;
    record.curve = curve;
    return g_pAudioMgr ? g_pAudioMgr->Enqueue(record.header, sizeof record) : SX_Fail;
}

// Unknown and closed sequences refuse every call.
SXRESULT Command(SxPlayingID id, CSxDynamicSequence::Command command, int32_t transitionMs = 0,
                 SxCurveInterpolation curve = SxCurve_Linear) {
    CSxDynamicSequence* sequence = FindSequence(id);
    if (!sequence) return SX_Fail;
    if (sequence->IsClosed()) {
        sequence->Release();
        return SX_Fail;
    }
    if (command == CSxDynamicSequence::Command_Close) sequence->MarkClosed();
    sequence->Release();
    return QueueCommand(id, command, transitionMs, curve);
}

}  // namespace

void SxInstallDynamicSequenceHandlers(CSxAudioMgr& mgr) {
    mgr.SetHandler(SxMsg_DynamicSequenceGameObject, [](const SxQueuedMsgHeader& h) {
        const auto& record = SxMsgAs<SxMsgDynamicSequenceGameObject>(h);
        CSxDynamicSequence* sequence = FindSequence(record.sequence);
        if (!sequence) return;
        CSxRegisteredObj* object = g_pRegistryMgr ? g_pRegistryMgr->GetObjAndAddref(record.gameObject) : nullptr;
        sequence->SetGameObject(object);
        if (object) object->Release();
        sequence->Release();
    });
    mgr.SetHandler(SxMsg_DynamicSequenceCommand, [](const SxQueuedMsgHeader& h) {
        const auto& record = SxMsgAs<SxMsgDynamicSequenceCommand>(h);
        CSxDynamicSequence* sequence = FindSequence(record.sequence);
        if (!sequence) return;
        sequence->Execute(static_cast<CSxDynamicSequence::Command>(record.command),
                          record.transitionMs > 0 ? static_cast<uint32_t>(record.transitionMs) : 0,
                          static_cast<SxCurveInterpolation>(record.curve));
        sequence->Release();
    });
}

namespace SoundEngine::DynamicSequence {

SxPlayingID Open(SxGameObjectID gameObject, uint32_t callbackFlags, SxCallbackFunc callback, void* cookie,
                 uint32_t type) {
    if (!g_pAudioMgr || !g_pObjectIndex) return 0;
    const SxPlayingID id = NextPlayingID();
    CSxDynamicSequence* sequence = CSxDynamicSequence::Create(id, type);
    if (!sequence) return 0;
    if (g_pPlayingMgr) {
        SxPostInfo post;
        post.playingID = id;
        post.gameObj = gameObject;
        post.callback = callback;
        post.pCookie = cookie;
        post.flags = callbackFlags;
        if (g_pPlayingMgr->AddPlayingID(post) != SX_Success) {
            sequence->Release();
            return 0;
        }
    }
    SxMsgDynamicSequenceGameObject record;
    record.sequence = id;
    record.gameObject = gameObject;
    if (g_pAudioMgr->Enqueue(record.header, sizeof record) != SX_Success) {
        if (g_pPlayingMgr) g_pPlayingMgr->RemovePendingCount(id);
        sequence->Release();
        return 0;
    }
    return id;
}

SXRESULT Play(SxPlayingID id, int32_t transitionMs, SxCurveInterpolation curve) {
    return Command(id, CSxDynamicSequence::Command_Play, transitionMs, curve);
}
SXRESULT Pause(SxPlayingID id, int32_t transitionMs, SxCurveInterpolation curve) {
    return Command(id, CSxDynamicSequence::Command_Pause, transitionMs, curve);
}
SXRESULT Resume(SxPlayingID id, int32_t transitionMs, SxCurveInterpolation curve) {
    return Command(id, CSxDynamicSequence::Command_Resume, transitionMs, curve);
}
SXRESULT Stop(SxPlayingID id, int32_t transitionMs, SxCurveInterpolation curve) {
    return Command(id, CSxDynamicSequence::Command_Stop, transitionMs, curve);
}
SXRESULT Break(SxPlayingID id) { return Command(id, CSxDynamicSequence::Command_Break, 0, SxCurve_Linear); }
SXRESULT Close(SxPlayingID id) { return Command(id, CSxDynamicSequence::Command_Close, 0, SxCurve_Linear); }

SxDynSeqPlaylist* LockPlaylist(SxPlayingID id) {
    // The look-up's reference stays with the lock until the unlock.
    CSxDynamicSequence* sequence = FindSequence(id);
    if (!sequence) return nullptr;
    if (sequence->IsClosed()) {
        sequence->Release();
        return nullptr;
    }
    return sequence->LockPlaylist();
}

SXRESULT UnlockPlaylist(SxPlayingID id) {
    CSxDynamicSequence* sequence = FindSequence(id);
    if (!sequence) return SX_Fail;
    bool waiting = false;
    const SXRESULT result = sequence->UnlockPlaylist(waiting);
    if (result == SX_Success) {
        sequence->Release();  // the lock's
        if (waiting) QueueCommand(id, CSxDynamicSequence::Command_ResumeWaiting);
    }
    sequence->Release();
    return result;
}

}  // namespace SoundEngine::DynamicSequence

}  // namespace SX
