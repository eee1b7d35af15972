#include "sound/engine/SxRegistryMessages.h"

#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/registry/CSxRegistryMgr.h"

namespace SX {

namespace {

template <typename Record>
const Record& As(const SxQueuedMsgHeader& header) {
    return reinterpret_cast<const Record&>(header);
}

bool IsRegistered(SxGameObjectID gameObject) {
    if (!g_pRegistryMgr) return false;
    CSxRegisteredObj* object = g_pRegistryMgr->GetObjAndAddref(gameObject);
    if (!object) return false;
    object->Release();
    return true;
}

}  // namespace

void InstallRegistryHandlers(CSxAudioMgr& mgr) {
    g_EventHooks.isGameObjectRegistered = IsRegistered;
    mgr.SetHandler(SxMsg_RegisterGameObj, [](const SxQueuedMsgHeader& h) {
        if (g_pRegistryMgr) g_pRegistryMgr->RegisterObject(As<SxMsgGameObject>(h).gameObject);
    });
    mgr.SetHandler(SxMsg_UnregisterGameObj, [](const SxQueuedMsgHeader& h) {
        if (!g_pRegistryMgr) return;
        const SxGameObjectID id = As<SxMsgGameObject>(h).gameObject;
        if (id == SxAllGameObjects)
            g_pRegistryMgr->UnregisterAll();
        else
            g_pRegistryMgr->UnregisterObject(id);
    });
    mgr.SetHandler(SxMsg_SetPosition, [](const SxQueuedMsgHeader& h) {
        const auto& r = As<SxMsgSetPosition>(h);
        if (g_pRegistryMgr)
            g_pRegistryMgr->SetPosition(r.gameObject, &r.position, 1, 0, static_cast<uint8_t>(r.listener));
    });
    mgr.SetHandler(SxMsg_SetMultiplePositions, [](const SxQueuedMsgHeader& h) {
        const auto& r = As<SxMsgSetMultiplePositions>(h);
        const auto* positions = reinterpret_cast<const SxSoundPosition*>(&r + 1);
        if (g_pRegistryMgr)
            g_pRegistryMgr->SetPosition(r.gameObject, positions, r.count, static_cast<uint8_t>(r.type), 31);
    });
    mgr.SetHandler(SxMsg_SetActiveListeners, [](const SxQueuedMsgHeader& h) {
        const auto& r = As<SxMsgSetActiveListeners>(h);
        if (g_pRegistryMgr) g_pRegistryMgr->SetActiveListeners(r.gameObject, static_cast<uint8_t>(r.listenerMask));
    });
    mgr.SetHandler(SxMsg_SetEnvironmentsValues, [](const SxQueuedMsgHeader& h) {
        const auto& r = As<SxMsgSetEnvironmentsValues>(h);
        if (g_pRegistryMgr) g_pRegistryMgr->SetGameObjectEnvironmentsValues(r.gameObject, r.values, r.count);
    });
    mgr.SetHandler(SxMsg_SetDryLevel, [](const SxQueuedMsgHeader& h) {
        const auto& r = As<SxMsgTargetValue<SxMsg_SetDryLevel>>(h);
        if (g_pRegistryMgr) g_pRegistryMgr->SetDryLevel(r.target, r.value);
    });
    mgr.SetHandler(SxMsg_SetAttenuationScaling, [](const SxQueuedMsgHeader& h) {
        const auto& r = As<SxMsgTargetValue<SxMsg_SetAttenuationScaling>>(h);
        if (g_pRegistryMgr) g_pRegistryMgr->SetAttenuationScalingFactor(r.target, r.value);
    });
    mgr.SetHandler(SxMsg_SetObstructionAndOcclusion, [](const SxQueuedMsgHeader& h) {
        const auto& r = As<SxMsgSetObstructionAndOcclusion>(h);
        if (g_pRegistryMgr)
            g_pRegistryMgr->SetObstructionAndOcclusion(r.gameObject, r.listener, r.obstruction, r.occlusion);
    });
}

}  // namespace SX
