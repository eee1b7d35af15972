#include "sound/engine/environments/CSxEnvironmentsMgr.h"

#include <algorithm>

#include "sound/engine/SxAudioThread.h"
#include "sound/engine/attenuations/CSxFxBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/lower/CSxLEngine.h"

namespace SX {

CSxEnvironmentsMgr* g_pEnvironmentsMgr = nullptr;

namespace {
// The environment's share set with a reference, or null.
CSxFxShareSet* FindEnvironment(SxUniqueID environment) {
    return static_cast<CSxFxShareSet*>(g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_FxShareSet, environment)
                                                      : nullptr);
}
}  // namespace

SXRESULT CSxEnvironmentsMgr::Init() {
    for (bool& enabled : m_enabled) enabled = false;
    return SX_Success;
}

void CSxEnvironmentsMgr::Term() {
    for (CSxConversionTable& curve : m_curves) curve.Unset();
}

SXRESULT CSxEnvironmentsMgr::SetObsOccCurve(SxObsOccCurveKind kind, SxObsOccCurveTarget target, uint32_t scaling,
                                            const SxCurvePoint* points, uint32_t count) {
    // Banks load on their own thread while audio frames read the curves.
    platform::Lock guard(g_csMain);
    CSxConversionTable& curve = m_curves[Index(kind, target)];
    curve.Unset();
    return count ? curve.Set(points, count, scaling) : SX_Success;
}

void CSxEnvironmentsMgr::SetCurveEnabled(SxObsOccCurveKind kind, SxObsOccCurveTarget target, bool enabled) {
    platform::Lock guard(g_csMain);
    m_enabled[Index(kind, target)] = enabled;
}

float CSxEnvironmentsMgr::GetCurveValue(SxObsOccCurveKind kind, SxObsOccCurveTarget target, float x) const {
    const uint32_t i = Index(kind, target);
    return m_enabled[i] ? m_curves[i].Convert(x) : 0.0f;
}

// --- environments ---

SXRESULT CSxEnvironmentsMgr::SetVolumes(SxUniqueID environment, const float volumes[6]) {
    CSxFxShareSet* shareSet = FindEnvironment(environment);
    if (!shareSet) return SX_Fail;
    shareSet->SetVolumes(volumes);
    shareSet->Release();
    return SX_Success;
}

void CSxEnvironmentsMgr::GetVolumes(SxUniqueID environment, float volumes[6]) const {
    CSxFxShareSet* shareSet = FindEnvironment(environment);
    if (!shareSet) {
        std::fill(volumes, volumes + CSxFxShareSet::kSpeakers, 0.0f);
        return;
    }
    std::copy(shareSet->Volumes(), shareSet->Volumes() + CSxFxShareSet::kSpeakers, volumes);
    shareSet->Release();
}

SXRESULT CSxEnvironmentsMgr::Bypass(SxUniqueID environment, bool bypass) {
    CSxFxShareSet* shareSet = FindEnvironment(environment);
    if (!shareSet) return SX_Fail;
    shareSet->SetBypass(bypass);
    shareSet->Release();
    CSxLEngine::BypassEnvFx(environment, bypass);
    return SX_Success;
}

bool CSxEnvironmentsMgr::IsBypassed(SxUniqueID environment) const {
    CSxFxShareSet* shareSet = FindEnvironment(environment);
    if (!shareSet) return true;
    const bool bypassed = shareSet->IsBypassed();
    shareSet->Release();
    return bypassed;
}

}  // namespace SX
