#pragma once
// The buffer passed between the nodes of a voice: an audio buffer whose data comes from the
// lower engine's buffer cache, with the markers that fall inside it and the play position.
#include <cstdint>

#include "sound/engine/lower/SxAudioBuffer.h"

namespace SX {

struct SxPipelineMarker {
    uint32_t cueID = 0;
    uint32_t position = 0;  // frames from the start of the buffer
    const char* label = nullptr;
    uint32_t spare[2] = {};
};

struct SxPipelineBuffer : SxAudioBuffer {
    uint16_t markerCount = 0;
    SxPipelineMarker* markers = nullptr;
    uint32_t position = 0;  // play position of the first frame, in source frames
    float rate = 1.0f;
    uint32_t sourceLength = 0;  // frames
    uint32_t sourceSampleRate = 0;

    // frames x channels f32 from the cache; valid frames 0. SX_InsufficientMemory when none.
    SXRESULT AllocateData(uint16_t frames, uint32_t mask);
    // Back to the cache; max frames 0.
    void ReleaseData();
    // Appends the source's markers that lie in [first, first + count), each at position 0.
    // When the larger list cannot be had, this buffer's markers are dropped.
    void CopyMarkers(const SxPipelineBuffer& source, uint32_t first, uint32_t count);
    void FreeMarkers();
};

}  // namespace SX
