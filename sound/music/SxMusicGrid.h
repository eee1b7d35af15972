#pragma once
// The musical grid of a music node (the engine's SxMusicGrid: beat, bar, grid period and
// offset in samples at the output rate) from the fields of its bank record.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/playing/CSxPlayingMgr.h"

namespace SX {

// The grid fields as a bank record stores them.
struct SxMusicGridFields {
    double gridPeriodMs = 0.0;
    double gridOffsetMs = 0.0;
    float tempo = 0.0f;       // beats per minute
    uint8_t beatsPerBar = 0;  // time-signature numerator
    uint8_t beatValue = 0;    // time-signature denominator
};

// SX_InvalidParameter (and out untouched) for a tempo, signature or grid period that would
// leave a zero or negative step; else the grid at the current output rate, its offset brought
// into [0, period) (the same grid lines from the entry cue on).
SXRESULT SxComputeMusicGrid(const SxMusicGridFields& fields, SxMusicGrid& out);

}  // namespace SX
