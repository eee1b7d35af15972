#include "sound/engine/attenuations/CSxAttenuation.h"

#include "sound/engine/attenuations/SxRTPCList.h"
#include "sound/engine/hierarchy/SxReadCursor.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

namespace {

constexpr float kDegreesToRadians = 3.14159265358979f / 180.0f;

}  // namespace

CSxAttenuation* CSxAttenuation::Create(SxUniqueID id) {
    auto* attenuation = SxNew<CSxAttenuation>(g_DefaultPoolId, id);
    if (attenuation && g_pObjectIndex) g_pObjectIndex->AddToIndex(attenuation);
    return attenuation;
}

SXRESULT CSxAttenuation::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id;
    uint8_t coneEnabled, curveCount;
    if (!cursor.U32(id) || !cursor.U8(coneEnabled)) return SX_Fail;
    m_coneEnabled = coneEnabled != 0;
    if (m_coneEnabled) {
        float inside, outside;
        if (!cursor.F32(inside) || !cursor.F32(outside) || !cursor.F32(m_coneValue1) || !cursor.F32(m_coneValue2))
            return SX_Fail;
        m_inside = inside * kDegreesToRadians * 0.5f;
        m_outside = outside * kDegreesToRadians * 0.5f;
    }
    for (uint8_t& use : m_curveUse) {
        if (!cursor.U8(use)) return SX_Fail;
        // A use names one of the five curves or none.
        if (use != kNoCurve && use >= kCurveCount) return SX_Fail;
    }
    // More curves than there are slots is refused, not read past them.
    if (!cursor.U8(curveCount) || curveCount > kCurveCount) return SX_Fail;
    SXRESULT result = SX_Fail;
    std::vector<SxCurvePoint> points;
    for (uint8_t c = 0; c < curveCount; ++c) {
        uint8_t scaling;
        uint16_t pointCount;
        if (!cursor.U8(scaling) || !cursor.U16(pointCount) || !SxReadCurvePoints(cursor, pointCount, points))
            return SX_Fail;
        result = pointCount ? m_curves[c].Set(points.data(), pointCount, scaling) : SX_Success;
        if (result != SX_Success) return result;
    }
    bool read;
    if (SxReadRTPCList(cursor, m_rtpcs, read) != SX_Success) return SX_Fail;
    return read ? SX_Success : result;
}

const CSxConversionTable* CSxAttenuation::CurveFor(Use use) const {
    const uint8_t index = use < kCurveCount ? m_curveUse[use] : kNoCurve;
    return index < kCurveCount && m_curves[index].Count() ? &m_curves[index] : nullptr;
}

float CSxAttenuation::Evaluate(Use use, float distance) const {
    const CSxConversionTable* curve = CurveFor(use);
    return curve ? curve->Convert(distance) : 0.0f;
}

}  // namespace SX
