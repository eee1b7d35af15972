#pragma once
// The 31 early-reflection patterns of the room reverb: per side up to 64 taps of
// {time in ms, signed gain}, times ascending.
#include <cstdint>

namespace SX {

constexpr uint32_t SxRoomPatternCount = 31;
constexpr uint32_t SxRoomPatternMaxTaps = 64;

struct SxRoomTap {
    float time;  // ms
    float gain;
};

struct SxRoomPattern {
    const char16_t* name;
    uint32_t leftCount;
    SxRoomTap left[SxRoomPatternMaxTaps];
    uint32_t rightCount;
    SxRoomTap right[SxRoomPatternMaxTaps];
};

// index beyond the table: the last pattern.
const SxRoomPattern& SxGetRoomPattern(uint32_t index);

}  // namespace SX
