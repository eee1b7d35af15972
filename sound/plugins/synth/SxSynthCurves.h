#pragma once
// The curve list of the wind and whoosh synths' parameter blocks: read and checked as a whole
// before any curve is replaced, then set on the synth's conversion tables.
#include <cstdint>
#include <vector>

#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/plugins/synth/SxDeflectorBank.h"

namespace SX {

// A list may hold at most this many curves, and a curve this many points.
constexpr uint16_t kMaxSynthCurves = 64;
constexpr uint16_t kMaxSynthCurvePoints = 4096;

// One curve of a list: the value it drives and its points, still in the block.
struct SxSynthCurveRef {
    int value;
    uint16_t points;
    const uint8_t* data;
};

// The list at the cursor: a count, then for each curve its ID, point count and points. False
// for a list that runs past the block or exceeds the bounds above. A curve drives the value
// whose base ID (ids, count of them) it names, or the first value for any other ID.
bool SxReadSynthCurveList(SxBlockCursor& cursor, const int* ids, int count, std::vector<SxSynthCurveRef>& refs);

// Unsets every curve, then sets each the list holds points for; SX_InsufficientMemory when
// one could not be held.
SXRESULT SxSetSynthCurves(CSxConversionTable* curves, int count, const std::vector<SxSynthCurveRef>& refs);

// Copies every curve that has points; false when one could not be held.
bool SxCopySynthCurves(const CSxConversionTable* from, CSxConversionTable* to, int count);

}  // namespace SX
