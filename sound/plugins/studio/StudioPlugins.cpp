#include "sound/plugins/studio/StudioPlugins.h"

#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/studio/CStudioDeviceSimFX.h"
#include "sound/plugins/studio/CStudioLimiterFX.h"

namespace SX {

SXRESULT RegisterStudioPlugins() {
    const SXRESULT deviceSim =
        SoundEngine::RegisterPlugin(SxPluginType_Effect, kStudioCompanyID, kStudioDeviceSimPluginID,
                                    CreateStudioDeviceSimFX, CreateStudioDeviceSimFXParams);
    const SXRESULT limiter = SoundEngine::RegisterPlugin(SxPluginType_Effect, kStudioCompanyID, kStudioLimiterPluginID,
                                                         CreateStudioLimiterFX, CreateStudioLimiterFXParams);
    return deviceSim == SX_Success ? limiter : deviceSim;
}

}  // namespace SX
