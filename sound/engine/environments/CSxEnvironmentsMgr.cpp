#include "sound/engine/environments/CSxEnvironmentsMgr.h"

#include "sound/engine/SxAudioThread.h"

namespace SX {

CSxEnvironmentsMgr* g_pEnvironmentsMgr = nullptr;

SXRESULT CSxEnvironmentsMgr::Init() {
    for (bool& enabled : enabled_) enabled = false;
    return SX_Success;
}

void CSxEnvironmentsMgr::Term() {
    for (CSxConversionTable& curve : curves_) curve.Unset();
}

SXRESULT CSxEnvironmentsMgr::SetObsOccCurve(SxObsOccCurveKind kind, SxObsOccCurveTarget target, uint32_t scaling,
                                            const SxCurvePoint* points, uint32_t count) {
    // Banks load on their own thread while audio frames read the curves.
    platform::Lock guard(g_csMain);
    CSxConversionTable& curve = curves_[Index(kind, target)];
    curve.Unset();
    return count ? curve.Set(points, count, scaling) : SX_Success;
}

void CSxEnvironmentsMgr::SetCurveEnabled(SxObsOccCurveKind kind, SxObsOccCurveTarget target, bool enabled) {
    platform::Lock guard(g_csMain);
    enabled_[Index(kind, target)] = enabled;
}

float CSxEnvironmentsMgr::GetCurveValue(SxObsOccCurveKind kind, SxObsOccCurveTarget target, float x) const {
    const uint32_t i = Index(kind, target);
    return enabled_[i] ? curves_[i].Convert(x) : 0.0f;
}

}  // namespace SX
