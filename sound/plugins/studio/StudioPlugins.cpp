#include "sound/plugins/studio/StudioPlugins.h"

#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/studio/CStudioLimiterFX.h"

namespace SX {

SXRESULT RegisterStudioPlugins() {
    return SoundEngine::RegisterPlugin(SxPluginType_Effect, kStudioCompanyID, kStudioLimiterPluginID,
                                       CreateStudioLimiterFX, CreateStudioLimiterFXParams);
}

}  // namespace SX
