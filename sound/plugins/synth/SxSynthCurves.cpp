#include "sound/plugins/synth/SxSynthCurves.h"

#include <cstring>

#include "sound/plugins/synth/SxSynthParams.h"

namespace SX {

bool SxReadSynthCurveList(SxBlockCursor& cursor, const int* ids, int count, std::vector<SxSynthCurveRef>& refs) {
    uint16_t curveCount = 0;
    if (!cursor.Read(curveCount) || curveCount > kMaxSynthCurves) return false;
    for (uint16_t k = 0; k < curveCount; ++k) {
        uint32_t id;
        SxSynthCurveRef ref;
        if (!cursor.Read(id) || !cursor.Read(ref.points) || ref.points > kMaxSynthCurvePoints) return false;
        ref.value = SxSynthValueOfID(ids, count, id);
        ref.data = cursor.data + cursor.offset;
        if (!cursor.Skip(ref.points * uint32_t(sizeof(SxCurvePoint)))) return false;
        refs.push_back(ref);
    }
    return true;
}

SXRESULT SxSetSynthCurves(CSxConversionTable* curves, int count, const std::vector<SxSynthCurveRef>& refs) {
    for (int k = 0; k < count; ++k) curves[k].Unset();
    SXRESULT result = SX_Success;
    for (const SxSynthCurveRef& ref : refs) {
        if (ref.points == 0) continue;
        // The block's points need not be aligned.
        std::vector<SxCurvePoint> points(ref.points);
        std::memcpy(points.data(), ref.data, points.size() * sizeof(SxCurvePoint));
        if (curves[ref.value].Set(points.data(), ref.points, 0) == SX_InsufficientMemory)
            result = SX_InsufficientMemory;
    }
    return result;
}

bool SxCopySynthCurves(const CSxConversionTable* from, CSxConversionTable* to, int count) {
    for (int k = 0; k < count; ++k)
        if (from[k].Count() && to[k].Set(from[k].Points(), from[k].Count(), from[k].Scaling()) != SX_Success)
            return false;
    return true;
}

}  // namespace SX
