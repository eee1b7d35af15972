#include "sound/engine/attenuations/SxRTPCList.h"

namespace SX {

bool SxReadCurvePoints(SxReadCursor& cursor, uint32_t count, std::vector<SxCurvePoint>& points) {
    if (!cursor.HasRoomFor(count, 12)) return false;
    points.resize(count);
    for (SxCurvePoint& point : points) {
        cursor.F32(point.x);
        cursor.F32(point.y);
        cursor.U32(point.shape);
    }
    return true;
}

SXRESULT SxReadRTPCList(SxReadCursor& cursor, std::vector<SxRTPCEntry>& list, bool& read) {
    read = false;
    uint16_t count;
    if (!cursor.U16(count) || !cursor.HasRoomFor(count, 15)) return SX_Fail;
    for (uint16_t r = 0; r < count; ++r) {
        SxRTPCEntry entry;
        uint16_t pointCount;
        if (!cursor.U32(entry.gameParameter) || !cursor.U32(entry.propertyID) || !cursor.U32(entry.curveID) ||
            !cursor.U8(entry.scaling) || !cursor.U16(pointCount) ||
            !SxReadCurvePoints(cursor, pointCount, entry.points))
            return SX_Fail;
        read = true;
        bool replaced = false;
        for (SxRTPCEntry& held : list) {
            if (held.propertyID != entry.propertyID || held.curveID != entry.curveID) continue;
            held = std::move(entry);
            replaced = true;
            break;
        }
        if (!replaced) list.push_back(std::move(entry));
    }
    return SX_Success;
}

}  // namespace SX
