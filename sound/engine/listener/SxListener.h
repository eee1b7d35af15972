#pragma once
// One of the eight listeners the lower engine pans for.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/listener/SxMath3D.h"

namespace SX {

constexpr uint32_t SxMaxListeners = 8;

struct SxListener {
    SxVector front{0.0f, 0.0f, 1.0f};
    SxVector top{0.0f, 1.0f, 0.0f};
    SxVector position;
    float volumes[8] = {};  // dB per speaker when spatialization is off
    uint8_t spatialized = 1;
    float scalingFactor = 1.0f;  // multiplies the attenuation distance
    SxMath::SxMatrix3 matrix;    // rows: side, top, front; turned for the speaker rule
};

}  // namespace SX
