#include "sound/plugins/synth/SxSourcePluginsRegistry.h"

#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/synth/CSxFXSrcSilence.h"
#include "sound/plugins/synth/CSxFXSrcSine.h"
#include "sound/plugins/synth/CSxToneGen.h"
#include "sound/plugins/synth/CSxWhooshSynth.h"
#include "sound/plugins/synth/CSxWindSynth.h"

namespace SX {

namespace {
struct Registration {
    uint32_t pluginID;
    SxCreatePluginCallback create;
    SxCreateParamCallback createParams;
};

const Registration kSources[] = {
    {102, CreateToneGen, CreateToneGenParams},
    {100, CreateSineSource, CreateSineSourceParams},
    {101, CreateSilenceSource, CreateSilenceSourceParams},
    {119, CreateWindSynth, CreateWindSynthParams},
    {120, CreateWhooshSynth, CreateWhooshSynthParams},
};
}  // namespace

SXRESULT RegisterSourcePlugins() {
    SXRESULT result = SX_Success;
    for (const Registration& r : kSources) {
        const SXRESULT one = SoundEngine::RegisterPlugin(SxPluginType_Source, 0, r.pluginID, r.create, r.createParams);
        if (one != SX_Success && result == SX_Success) result = one;
    }
    return result;
}

}  // namespace SX
