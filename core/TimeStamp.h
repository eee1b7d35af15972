#pragma once
// A moment of the engine clock, with a word of its own that taking a stamp clears.
#include <cstdint>

namespace SD {

struct TimeStamp {
    double time = 0.0;
    uint32_t extra = 0;
};

// Stores the engine clock's current time (0 when no core exists) and clears the extra word.
void StampTime(TimeStamp& stamp);

}  // namespace SD
