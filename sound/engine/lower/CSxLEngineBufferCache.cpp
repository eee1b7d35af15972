// The lower engine's cache of sample buffers: voices release and take buffers of the same
// sizes every frame, so a few free buffers per size class keep allocation out of the frame.
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

namespace {

constexpr uint32_t kClasses = 24;
constexpr uint32_t kClassBytes = 1024;
constexpr uint32_t kKeptPerClass = 2;

struct SizeClass {
    uint32_t count = 0;
    void* free[kKeptPerClass] = {};
};
SizeClass g_classes[kClasses];

// Class k holds more than k KB and at most k + 1 KB; below 1 KB counts as 1 KB.
uint32_t ClassOf(uint32_t size) { return size <= kClassBytes ? 0 : (size - 1) / kClassBytes; }

}  // namespace

void* CSxLEngine::GetCachedAudioBuffer(uint32_t size) {
    const uint32_t k = ClassOf(size);
    if (k >= kClasses) return MemoryMgr::Malign(g_LEngineDefaultPoolId, size, 16);
    SizeClass& sizeClass = g_classes[k];
    if (sizeClass.count) return sizeClass.free[--sizeClass.count];
    return MemoryMgr::Malign(g_LEngineDefaultPoolId, (k + 1) * kClassBytes, 16);
}

void CSxLEngine::ReleaseCachedAudioBuffer(uint32_t size, void* buffer) {
    if (!buffer) return;
    const uint32_t k = ClassOf(size);
    if (k < kClasses && g_classes[k].count < kKeptPerClass) {
        g_classes[k].free[g_classes[k].count++] = buffer;
        return;
    }
    MemoryMgr::Free(g_LEngineDefaultPoolId, buffer);
}

void CSxLEngine::FreeCachedAudioBuffers() {
    for (SizeClass& sizeClass : g_classes) {
        while (sizeClass.count) MemoryMgr::Free(g_LEngineDefaultPoolId, sizeClass.free[--sizeClass.count]);
    }
}

}  // namespace SX
