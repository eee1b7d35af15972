#pragma once
// The obstruction and occlusion curves that banks define: for each of obstruction and
// occlusion, one curve to a volume and one to a low-pass filter value. It also answers for the
// environments, whose speaker volumes and bypass live in the effect share set of their ID.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/curves/CSxConversionTable.h"

namespace SX {

enum SxObsOccCurveKind : uint32_t { SxCurve_Obstruction = 0, SxCurve_Occlusion = 1 };
enum SxObsOccCurveTarget : uint32_t { SxCurveTarget_Volume = 0, SxCurveTarget_LowPass = 1 };

class CSxEnvironmentsMgr {
public:
    static constexpr uint32_t kCurves = 4;

    CSxEnvironmentsMgr() = default;
    ~CSxEnvironmentsMgr() { Term(); }
    CSxEnvironmentsMgr(const CSxEnvironmentsMgr&) = delete;
    CSxEnvironmentsMgr& operator=(const CSxEnvironmentsMgr&) = delete;

    SXRESULT Init();
    void Term();

    // Bank thread, under the global audio lock.
    SXRESULT SetObsOccCurve(SxObsOccCurveKind kind, SxObsOccCurveTarget target, uint32_t scaling,
                            const SxCurvePoint* points, uint32_t count);
    void SetCurveEnabled(SxObsOccCurveKind kind, SxObsOccCurveTarget target, bool enabled);
    // 0 when the curve is not enabled.
    float GetCurveValue(SxObsOccCurveKind kind, SxObsOccCurveTarget target, float x) const;

    // Audio thread. 2 when no share set has the environment's ID.
    SXRESULT SetVolumes(SxUniqueID environment, const float volumes[6]);
    // Six zeros for an unknown environment.
    void GetVolumes(SxUniqueID environment, float volumes[6]) const;
    // Also tells the lower engine. 2 when no share set has the ID.
    SXRESULT Bypass(SxUniqueID environment, bool bypass);
    // True for an unknown environment.
    bool IsBypassed(SxUniqueID environment) const;

private:
    static uint32_t Index(SxObsOccCurveKind kind, SxObsOccCurveTarget target) { return (kind & 1) * 2 + (target & 1); }

    bool m_enabled[kCurves] = {};
    CSxConversionTable m_curves[kCurves];
};

extern CSxEnvironmentsMgr* g_pEnvironmentsMgr;

}  // namespace SX
