#pragma once
// The musical grid of a music node, in samples at the output rate.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

struct SxMusicGrid {
    int32_t beatDuration = 0;
    int32_t barDuration = 0;
    int32_t gridPeriod = 0;
    int32_t gridOffset = 0;
};

// The grid fields as a bank record stores them.
struct SxMusicGridFields {
    double gridPeriodMs = 0.0;
    double gridOffsetMs = 0.0;
    float tempo = 0.0f;       // beats per minute
    uint8_t beatsPerBar = 0;  // time-signature numerator
    uint8_t beatValue = 0;    // time-signature denominator
};

// SX_InvalidParameter (and out untouched) for a tempo, signature or grid period that would
// leave a zero or negative step; else the grid at the current output rate.
SXRESULT SxComputeMusicGrid(const SxMusicGridFields& fields, SxMusicGrid& out);

}  // namespace SX
