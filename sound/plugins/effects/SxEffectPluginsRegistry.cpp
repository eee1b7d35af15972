#include "sound/plugins/effects/SxEffectPluginsRegistry.h"

#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/effects/CSxDelayFX.h"
#include "sound/plugins/effects/CSxDynamicsFX.h"
#include "sound/plugins/effects/CSxFDNReverbFX.h"
#include "sound/plugins/effects/CSxFXSrcAudioInput.h"
#include "sound/plugins/effects/CSxMeterFX.h"
#include "sound/plugins/effects/CSxModalSynth.h"
#include "sound/plugins/effects/CSxParametricEQFX.h"
#include "sound/plugins/effects/CSxPeakLimiterFX.h"
#include "sound/plugins/effects/CSxRoomReverbFX.h"

namespace SX {

namespace {
struct Registration {
    SxPluginType type;
    uint32_t pluginID;
    SxCreatePluginCallback create;
    SxCreateParamCallback createParams;
};

const Registration kPlugins[] = {
    {SxPluginType_Effect, 108, CreateCompressorFX, CreateCompressorFXParams},
    {SxPluginType_Effect, 109, CreateExpanderFX, CreateExpanderFXParams},
    {SxPluginType_Effect, 110, CreatePeakLimiterFX, CreatePeakLimiterFXParams},
    {SxPluginType_Effect, 105, CreateParametricEQFX, CreateParametricEQFXParams},
    {SxPluginType_Effect, 106, CreateDelayFX, CreateDelayFXParams},
    {SxPluginType_Effect, 118, CreateRoomReverbFX, CreateRoomReverbFXParams},
    {SxPluginType_Effect, 115, CreateFDNReverbFX, CreateFDNReverbFXParams},
    {SxPluginType_Effect, 116, CreateModalSynth, CreateModalSynthParams},  // an effect that makes sound
    {SxPluginType_Source, 200, CreateAudioInputSource, CreateAudioInputSourceParams},
    {SxPluginType_Effect, 129, CreateMeterFX, CreateMeterFXParams},
};
}  // namespace

SXRESULT RegisterEffectPlugins() {
    SXRESULT result = SX_Success;
    for (const Registration& r : kPlugins) {
        const SXRESULT one = SoundEngine::RegisterPlugin(r.type, 0, r.pluginID, r.create, r.createParams);
        if (one != SX_Success && result == SX_Success) result = one;
    }
    return result;
}

}  // namespace SX
