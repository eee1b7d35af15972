#pragma once
// The auxiliary sends of a voice for one frame: this frame's levels of its game object's
// environments merged with the levels the voice kept from the last frame, so that a new send
// fades in from 0 and an ended one fades out to 0.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

constexpr uint32_t SxMaxEnvironmentSends = 4;

struct SxEnvironmentSend {
    SxUniqueID environmentID = 0;
    float current = 0.0f;
    float previous = 0.0f;
};

// current and kept end at their first zero ID (or after 4). Returns the number of sends;
// when fewer than 4, the entry after the last has a zero ID.
uint32_t SxMergeEnvironmentValues(const SxEnvironmentValue* current, const SxEnvironmentValue* kept,
                                  SxEnvironmentSend out[SxMaxEnvironmentSends]);

}  // namespace SX
