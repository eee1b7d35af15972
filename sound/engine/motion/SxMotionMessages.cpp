#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/audio/SxQueuedMsg.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"

namespace SX {

void InstallMotionHandlers(CSxAudioMgr& mgr) {
    mgr.SetHandler(SxMsg_MotionPlayerDevice, [](const SxQueuedMsgHeader& h) {
        const auto& m = SxMsgAs<SxMsgMotionPlayerDevice>(h);
        if (m.add) {
            if (CSxMotionDeviceMgr* motion = CSxMotionDeviceMgr::Get())
                motion->AddPlayerMotionDevice(m.player, m.companyID, m.deviceID, m.initData);
        } else if (CSxMotionDeviceMgr* motion = CSxMotionDeviceMgr::Active()) {
            motion->RemovePlayerMotionDevice(m.player, m.companyID, m.deviceID);
        }
    });
    mgr.SetHandler(SxMsg_MotionSetPlayerListener, [](const SxQueuedMsgHeader& h) {
        const auto& m = SxMsgAs<SxMsgMotionSetPlayerListener>(h);
        if (CSxMotionDeviceMgr* motion = CSxMotionDeviceMgr::Get()) motion->SetPlayerListener(m.player, m.listener);
    });
    mgr.SetHandler(SxMsg_MotionSetPlayerVolume, [](const SxQueuedMsgHeader& h) {
        const auto& m = SxMsgAs<SxMsgMotionSetPlayerVolume>(h);
        if (CSxMotionDeviceMgr* motion = CSxMotionDeviceMgr::Get()) motion->SetPlayerVolume(m.player, m.volumeDb);
    });
}

}  // namespace SX
