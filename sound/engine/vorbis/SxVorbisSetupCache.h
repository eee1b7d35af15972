#pragma once
// Decoded setups shared by every source whose media carries the same setup. An entry is found
// by the media's setup ID and a hash of the setup's own bytes, block sizes and channel count,
// so two different setups that happen to carry one ID are never mixed up. An entry lives as
// long as a source holds it.
#include <cstdint>
#include <memory>

#include "sound/engine/vorbis/SxVorbisSetup.h"

namespace SX {
namespace SxVorbisSetupCache {

// The decoded setup, parsed on a miss; null when it does not parse.
std::shared_ptr<const SxVorbisSetup> Acquire(uint32_t setupID, const uint8_t* setup, uint32_t size, uint32_t channels,
                                             uint32_t shortLog2, uint32_t longLog2);
// Setups held by sources now.
size_t LiveCount();

}  // namespace SxVorbisSetupCache
}  // namespace SX
