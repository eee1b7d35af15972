#pragma once
// The codec fields of a packed Vorbis format chunk, and where the packets lie in the data.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

struct SxVorbisFormat {
    static constexpr uint32_t kChunkSize = 66;

    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t averageBytesPerSecond = 0;
    uint32_t channelMask = 0;
    uint32_t totalFrames = 0;
    uint32_t loopStart = 0;  // bytes from the end of the seek table
    uint32_t loopEnd = 0;
    uint16_t loopStartDrop = 0;  // frames
    uint16_t loopEndDrop = 0;
    uint32_t seekTableSize = 0;
    uint32_t firstPacket = 0;  // from the start of the data chunk
    uint16_t maxPacket = 0;
    uint16_t fileEndDrop = 0;
    uint32_t setupMemory = 0;
    uint32_t setupID = 0;
    uint8_t shortLog2 = 0;
    uint8_t longLog2 = 0;

    // 7 for a chunk too short, of another tag, or whose offsets do not fit in a data chunk
    // of dataSize bytes (a seek table, setup or loop region past the data).
    SXRESULT Read(const uint8_t* fmt, uint32_t fmtSize, uint32_t dataSize);
    // The setup packet in the data chunk; 7 when its record is larger than the room between
    // the seek table and the first audio packet.
    SXRESULT SetupPacket(const uint8_t* data, const uint8_t*& setup, uint32_t& size) const;
};

// Seek table entries {u16 frames, u16 bytes}: the packet to decode from for a target frame,
// as the frame its output starts at and a byte offset from the first audio packet. Entries
// whose bytes pass the packets (dataBytes) end the walk.
void SxVorbisSeekLookup(const uint8_t* table, uint32_t tableSize, uint32_t dataBytes, uint32_t target, uint32_t& frame,
                        uint32_t& offset);

}  // namespace SX
