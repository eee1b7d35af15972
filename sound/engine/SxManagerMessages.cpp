#include "sound/engine/SxManagerMessages.h"

#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/environments/CSxEnvironmentsMgr.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/registry/SxMessageObject.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"

namespace SX {

namespace {

// The ramp a record asks for; a time of 0 or less sets the value at once.
template <typename Record>
SxRTPCTransitionParams TransitionOf(const Record& r, bool withTransition) {
    SxRTPCTransitionParams transition;
    if (withTransition && r.transitionMs > 0) {
        transition.durationMs = static_cast<uint32_t>(r.transitionMs);
        transition.shape = static_cast<SxCurveInterpolation>(r.curve);
    }
    return transition;
}

void SetRTPC(const SxQueuedMsgHeader& h) {
    const auto& r = SxMsgAs<SxMsgSetRTPC>(h);
    SxMessageObject object(r.gameObject);
    if (!g_pRTPCMgr || object.Dropped()) return;
    g_pRTPCMgr->SetRTPCInternal(r.gameParameter, r.value, object.Get(),
                                TransitionOf(r, h.type == SxMsg_SetRTPCWithTransition));
}

void ResetRTPC(const SxQueuedMsgHeader& h) {
    const auto& r = SxMsgAs<SxMsgResetRTPC>(h);
    SxMessageObject object(r.gameObject);
    if (!g_pRTPCMgr || object.Dropped()) return;
    g_pRTPCMgr->ResetRTPC(r.gameParameter, object.Get(), TransitionOf(r, h.type == SxMsg_ResetRTPCWithTransition));
}

void InstallGameSyncHandlers(CSxAudioMgr& mgr) {
    mgr.SetHandler(SxMsg_SetRTPC, SetRTPC);
    mgr.SetHandler(SxMsg_SetRTPCWithTransition, SetRTPC);
    mgr.SetHandler(SxMsg_ResetRTPC, ResetRTPC);
    mgr.SetHandler(SxMsg_ResetRTPCWithTransition, ResetRTPC);
    mgr.SetHandler(SxMsg_SetSwitch, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgSetSwitch>(h);
        SxMessageObject object(r.gameObject);
        if (g_pRTPCMgr && object.Get()) g_pRTPCMgr->SetSwitchInternal(r.switchGroup, r.switchState, object.Get());
    });
    mgr.SetHandler(SxMsg_SetState, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgSetState>(h);
        if (g_pStateMgr) g_pStateMgr->SetStateInternal(r.group, r.state, r.skipTransition, r.skipNotification);
    });
    mgr.SetHandler(SxMsg_Trigger, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgTrigger>(h);
        SxMessageObject object(r.gameObject);
        if (g_pStateMgr && !object.Dropped()) g_pStateMgr->Trigger(r.trigger, object.Get());
    });
}

void InstallRegistryHandlers(CSxAudioMgr& mgr) {
    mgr.SetHandler(SxMsg_RegisterGameObj, [](const SxQueuedMsgHeader& h) {
        if (g_pRegistryMgr) g_pRegistryMgr->RegisterObject(SxMsgAs<SxMsgGameObject>(h).gameObject);
    });
    mgr.SetHandler(SxMsg_UnregisterGameObj, [](const SxQueuedMsgHeader& h) {
        if (!g_pRegistryMgr) return;
        const SxGameObjectID id = SxMsgAs<SxMsgGameObject>(h).gameObject;
        if (id == SxAllGameObjects)
            g_pRegistryMgr->UnregisterAll();
        else
            g_pRegistryMgr->UnregisterObject(id);
    });
    mgr.SetHandler(SxMsg_SetPosition, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgSetPosition>(h);
        if (g_pRegistryMgr)
            g_pRegistryMgr->SetPosition(r.gameObject, &r.position, 1, 0, static_cast<uint8_t>(r.listener));
    });
    mgr.SetHandler(SxMsg_SetMultiplePositions, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgSetMultiplePositions>(h);
        const auto* positions = reinterpret_cast<const SxSoundPosition*>(&r + 1);
        if (g_pRegistryMgr)
            g_pRegistryMgr->SetPosition(r.gameObject, positions, r.count, static_cast<uint8_t>(r.type), 31);
    });
    mgr.SetHandler(SxMsg_SetActiveListeners, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgSetActiveListeners>(h);
        if (g_pRegistryMgr) g_pRegistryMgr->SetActiveListeners(r.gameObject, static_cast<uint8_t>(r.listenerMask));
    });
    mgr.SetHandler(SxMsg_SetEnvironmentsValues, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgSetEnvironmentsValues>(h);
        if (g_pRegistryMgr) g_pRegistryMgr->SetGameObjectEnvironmentsValues(r.gameObject, r.values, r.count);
    });
    mgr.SetHandler(SxMsg_SetDryLevel, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgTargetValue<SxMsg_SetDryLevel>>(h);
        if (g_pRegistryMgr) g_pRegistryMgr->SetDryLevel(r.target, r.value);
    });
    mgr.SetHandler(SxMsg_SetAttenuationScaling, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgTargetValue<SxMsg_SetAttenuationScaling>>(h);
        if (g_pRegistryMgr) g_pRegistryMgr->SetAttenuationScalingFactor(r.target, r.value);
    });
    mgr.SetHandler(SxMsg_SetObstructionAndOcclusion, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgSetObstructionAndOcclusion>(h);
        if (g_pRegistryMgr)
            g_pRegistryMgr->SetObstructionAndOcclusion(r.gameObject, r.listener, r.obstruction, r.occlusion);
    });
}

}  // namespace

void InstallEnvironmentHandlers(CSxAudioMgr& mgr) {
    mgr.SetHandler(SxMsg_SetEnvironmentVolumes, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgSetEnvironmentVolumes>(h);
        if (g_pEnvironmentsMgr) g_pEnvironmentsMgr->SetVolumes(r.environment, r.volumes);
    });
    mgr.SetHandler(SxMsg_BypassEnvironment, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgBypassEnvironment>(h);
        if (g_pEnvironmentsMgr) g_pEnvironmentsMgr->Bypass(r.environment, r.bypass != 0);
    });
}

void InstallManagerHandlers(CSxAudioMgr& mgr) {
    InstallRegistryHandlers(mgr);
    InstallGameSyncHandlers(mgr);
    InstallEnvironmentHandlers(mgr);
}

}  // namespace SX
