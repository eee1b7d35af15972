#pragma once
// Result codes of the sound engine's calls.
#include <cstdint>

namespace SX {

typedef uint32_t SXRESULT;

enum : SXRESULT {
    SX_Success = 1,
    SX_Fail = 2,
    SX_InvalidID = 14,
    SX_IDNotFound = 15,
    SX_InvalidStateGroup = 20,
    SX_InvalidParameter = 31,
    SX_InsufficientMemory = 52,
};

}  // namespace SX
