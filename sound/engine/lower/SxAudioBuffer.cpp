#include "sound/engine/lower/SxAudioBuffer.h"

#include <cstring>

namespace SX {

void SxAudioBuffer::ZeroFillToMaxFrames() {
    if (validFrames == maxFrames) return;
    const uint32_t channels = Channels();
    for (uint32_t c = 0; c < channels; ++c)
        std::memset(Channel(c) + validFrames, 0, sizeof(float) * (maxFrames - validFrames));
    validFrames = maxFrames;
}

}  // namespace SX
