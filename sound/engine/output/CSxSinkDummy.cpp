#include "sound/engine/output/CSxSinkDummy.h"

#include "platform/os/Clock.h"

namespace SX {

CSxSinkDummy::CSxSinkDummy(uint32_t sampleRate, uint32_t waitTimeMs)
    : CSxSink(SxChannelMaskStereo, waitTimeMs), m_lastTick(platform::TickCount()), m_sampleRate(sampleRate) {}

SXRESULT CSxSinkDummy::GetRefillSize(uint32_t& buffers) {
    const uint32_t now = platform::TickCount();
    // Unsigned difference: correct across the wrap of the tick count.
    const uint32_t elapsedMs = now - m_lastTick;
    m_lastTick = now;
    constexpr uint64_t kPeriod = uint64_t(SxFrameLength) * 1000;  // one buffer, in ms x rate
    m_carry += uint64_t(elapsedMs) * m_sampleRate;
    buffers = static_cast<uint32_t>(m_carry / kPeriod);
    m_carry %= kPeriod;
    return SX_Success;
}

}  // namespace SX
