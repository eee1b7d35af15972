#include "sound/engine/lower/SxPipelineBuffer.h"

#include <cstring>

#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

namespace {
uint32_t DataBytes(uint16_t frames, uint32_t mask) { return static_cast<uint32_t>(frames) * SxChannelCount(mask) * 4; }
}  // namespace

SXRESULT SxPipelineBuffer::AllocateData(uint16_t frames, uint32_t mask) {
    data = static_cast<float*>(CSxLEngine::GetCachedAudioBuffer(DataBytes(frames, mask)));
    if (!data) return SX_InsufficientMemory;
    channelMask = mask;
    maxFrames = frames;
    validFrames = 0;
    return SX_Success;
}

void SxPipelineBuffer::ReleaseData() {
    if (data) CSxLEngine::ReleaseCachedAudioBuffer(DataBytes(maxFrames, channelMask), data);
    data = nullptr;
    maxFrames = 0;
}

void SxPipelineBuffer::CopyMarkers(const SxPipelineBuffer& source, uint32_t first, uint32_t count) {
    uint32_t added = 0;
    for (uint16_t i = 0; i < source.markerCount; ++i)
        if (source.markers[i].position >= first && source.markers[i].position - first < count) ++added;
    if (added == 0) return;
    const uint32_t total = markerCount + added;
    auto* list =
        static_cast<SxPipelineMarker*>(MemoryMgr::Malloc(g_LEngineDefaultPoolId, total * sizeof(SxPipelineMarker)));
    if (!list || total > 0xFFFF) {
        MemoryMgr::Free(g_LEngineDefaultPoolId, list);
        FreeMarkers();
        return;
    }
    if (markerCount) std::memcpy(static_cast<void*>(list), markers, markerCount * sizeof(SxPipelineMarker));
    uint32_t next = markerCount;
    for (uint16_t i = 0; i < source.markerCount; ++i) {
        const SxPipelineMarker& marker = source.markers[i];
        if (marker.position < first || marker.position - first >= count) continue;
        list[next] = marker;
        list[next++].position = 0;
    }
    MemoryMgr::Free(g_LEngineDefaultPoolId, markers);
    markers = list;
    markerCount = static_cast<uint16_t>(total);
}

void SxPipelineBuffer::FreeMarkers() {
    MemoryMgr::Free(g_LEngineDefaultPoolId, markers);
    markers = nullptr;
    markerCount = 0;
}

}  // namespace SX
