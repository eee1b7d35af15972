#pragma once
// The game-parameter curves that attenuations and effects carry: each drives one of their
// properties through a curve of its own.
#include <cstdint>
#include <vector>

#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/hierarchy/SxReadCursor.h"

namespace SX {

struct SxRTPCEntry {
    uint32_t gameParameter, propertyID, curveID;
    uint8_t scaling;
    std::vector<SxCurvePoint> points;
};

// count 12-byte points (f32 x, f32 y, u32 shape); false when the bytes run out.
bool SxReadCurvePoints(SxReadCursor& cursor, uint32_t count, std::vector<SxCurvePoint>& points);

// u16 count, then per entry u32 game parameter, u32 property, u32 curve ID, u8 scaling, u16
// point count and the points. An entry for a property and curve already held replaces it.
// SX_Fail when the bytes run out; read tells whether any entry was read.
SXRESULT SxReadRTPCList(SxReadCursor& cursor, std::vector<SxRTPCEntry>& list, bool& read);

}  // namespace SX
