#pragma once
// The record handed from node to node of a voice: the planar output of the pitch node
// onwards, or a source's interleaved frames, with the markers it passes, its play position,
// pitch ratio, source length and rate.
#include <cstdint>
#include <vector>

#include "sound/engine/lower/SxAudioBuffer.h"
#include "sound/engine/voice/SxMediaParser.h"

namespace SX {

class CSxPBI;

struct SxBufferMarker {
    CSxPBI* instance = nullptr;
    uint32_t offset = 0;  // frame inside the buffer
    const SxSourceMarker* marker = nullptr;
};

struct SxNodeBuffer : SxAudioBuffer {
    const void* frames = nullptr;  // a source's interleaved frames (its own format)
    std::vector<SxBufferMarker> markers;
    int32_t playPosition = -1;  // source frame of the first frame, -1 for none
    float rate = 1.0f;
    int32_t sourceLength = -1;
    uint32_t sourceRate = 1;

    SxNodeBuffer() { state = SX_DataNeeded; }
};

}  // namespace SX
