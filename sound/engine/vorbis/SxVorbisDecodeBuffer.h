#pragma once
// Where a Vorbis source decodes to: a buffer of the lower engine's cache, taken on first use
// and held until released, with room for 1024 frames of the source's channels.
#include <cstdint>

namespace SX {

class SxVorbisDecodeBuffer {
public:
    // The held buffer, or one taken from the cache now; null when the cache has none.
    int16_t* Acquire(uint32_t channels);
    void Release();
    int16_t* Frames() const { return m_frames; }

private:
    int16_t* m_frames = nullptr;
    uint32_t m_bytes = 0;
};

}  // namespace SX
