#include "sound/engine/listener/SxListenerMessages.h"

#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/lower/CSxLEngine.h"

namespace SX {

void InstallListenerHandlers(CSxAudioMgr& mgr) {
    mgr.SetHandler(SxMsg_SetListenerPosition, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgSetListenerPosition>(h);
        CSxLEngine::SetListenerPosition(r.listener, r.position.front, r.position.top, r.position.position);
    });
    mgr.SetHandler(SxMsg_SetListenerSpatialization, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgSetListenerSpatialization>(h);
        CSxLEngine::SetListenerSpatialization(r.listener, r.spatialized != 0, r.volumesPresent ? r.volumes : nullptr);
    });
    mgr.SetHandler(SxMsg_SetListenerPipeline, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgSetListenerPipeline>(h);
        CSxLEngine::SetListenerPipeline(r.listener, r.audio != 0, r.motion != 0);
    });
    mgr.SetHandler(SxMsg_SetListenerScaling, [](const SxQueuedMsgHeader& h) {
        const auto& r = SxMsgAs<SxMsgTargetValue<SxMsg_SetListenerScaling>>(h);
        CSxLEngine::SetListenerScalingFactor(r.target, r.value);
    });
}

}  // namespace SX
