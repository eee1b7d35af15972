#include "sound/plugins/studio/StudioDsp.h"

#include <cmath>
#include <cstring>

namespace SX {

SXRESULT DSPMemoryArena::Allocate(ISxPluginMemAlloc* allocator, uint32_t size) {
    m_base = m_cursor = static_cast<uint8_t*>(allocator->Malloc(size));
    if (!m_base) return SX_InsufficientMemory;
    std::memset(m_base, 0, size);
    m_size = size;
    m_end = m_base + size;
    return SX_Success;
}

void DSPMemoryArena::Free(ISxPluginMemAlloc* allocator) {
    if (!m_base) return;
    allocator->Free(m_base);
    m_size = 0;
    m_base = m_cursor = m_end = nullptr;
}

void* DSPMemoryArena::GetBase(uint32_t* size) const {
    if (size) *size = m_size;
    return m_base;
}

void* DSPMemoryArena::Carve(uint32_t n) {
    uint8_t* carved = m_cursor;
    if (m_cursor) m_cursor += n;
    return carved;
}

double ClampedReciprocal(double n) {
    // Also a negative or not-a-number count: a factor outside (0, 1] would make the
    // smoothing diverge instead of settle.
    if (!(n > 1.0)) return 1.0;
    return 1.0 / n;
}

double TimeToCoefficient(const StudioTimeContext& context, double ms) {
    return ClampedReciprocal(context.sampleRate * ms * 0.001);
}

int32_t TimeToSamples(const StudioTimeContext& context, double ms) {
    const double samples = context.sampleRate * ms * 0.001;
    if (!(samples > 0.0)) return 0;
    if (samples >= 2147483647.0) return 2147483647;
    return int32_t(samples);
}

}  // namespace SX
