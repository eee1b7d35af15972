#include "sound/plugins/motion/SxMotionPluginsRegistry.h"

#include "sound/engine/motion/CSxMotionDeviceMgr.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/motion/CSxMotionGenerator.h"
#include "sound/plugins/motion/RumbleMixBus.h"

namespace SX {

SXRESULT RegisterMotionPlugins() {
    const SXRESULT generator = SoundEngine::RegisterPlugin(SxPluginType_MotionSource, 0, kMotionGeneratorPluginID,
                                                           CreateMotionGenerator, CreateMotionGeneratorParams);
    const SXRESULT rumble = MotionEngine::RegisterMotionDevice(0, kRumbleDeviceID, CreateRumbleMixBus);
    return generator != SX_Success ? generator : rumble;
}

}  // namespace SX
