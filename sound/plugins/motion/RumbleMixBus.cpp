#include "sound/plugins/motion/RumbleMixBus.h"

#include <algorithm>
#include <initializer_list>
#include <limits>

#include "core/Logger.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {
constexpr uint16_t kRingMask = RumbleMixBus::kRingFloats - 1;
}

SXRESULT RumbleMixBus::Init(ISxPluginMemAlloc* allocator, const SxPlatformInitSettings*, int32_t player,
                            void* deviceData) {
    m_player = player;
    m_lastLeft = m_lastRight = 0.0f;
    if (m_controller) {
        m_controller->Term(allocator);
        m_controller = nullptr;
    }
    if (deviceData) {
        SD_WARNING(Debug::kLogError, "Unable to initialise rumble on a direct input device.");
        return SX_Success;
    }
    void* memory = allocator ? allocator->Malloc(sizeof(SxRumbleControllerPad)) : nullptr;
    if (memory) m_controller = new (memory) SxRumbleControllerPad(static_cast<uint8_t>(player));
    return SX_Success;
}

SXRESULT RumbleMixBus::Term(ISxPluginMemAlloc* allocator) {
    if (m_controller) {
        m_controller->Term(allocator);
        m_controller = nullptr;
    }
    return SxFxDelete(this, allocator);
}

// Audio drives both motors alike with the highest sample (not magnitude) of each half frame.
SXRESULT RumbleMixBus::MixAudio(SxAudioBuffer* buffer) {
    const uint32_t channels = SxChannelCount(buffer->channelMask & ~SxChannelBitLFE);
    const uint32_t half = buffer->validFrames >> 1;
    for (uint32_t h = 0; h < 2; ++h) {
        float peak = 0.0f;
        for (uint32_t c = 0; c < channels; ++c) {
            const float* samples = buffer->Channel(c) + h * half;
            for (uint32_t i = 0; i < half; ++i) peak = std::max(peak, samples[i]);
        }
        m_ring[(m_write + 2 * h) & kRingMask] += peak * m_volume;
        m_ring[(m_write + 2 * h + 1) & kRingMask] += peak * m_volume;
    }
    m_dataThisFrame = true;
    return SX_Success;
}

// Motion drives each motor with its channel, sampled at the start and the middle of the frame.
SXRESULT RumbleMixBus::MixMotion(SxAudioBuffer* buffer) {
    if (buffer->validFrames == 0) return SX_Success;
    const uint32_t channels = std::min<uint32_t>(2, buffer->Channels());
    for (uint32_t c = 0; c < channels; ++c) {
        const float* samples = buffer->Channel(c);
        m_ring[(m_write + c) & kRingMask] += m_volume * samples[0];
        m_ring[(m_write + 2 + c) & kRingMask] += m_volume * samples[buffer->maxFrames >> 1];
    }
    m_dataThisFrame = true;
    return SX_Success;
}

SXRESULT RumbleMixBus::EndFrame() {
    auto clearFrame = [this] {
        for (uint16_t k = 0; k < 4; ++k) m_ring[(m_write + k) & kRingMask] = 0.0f;
    };
    if (m_dataThisFrame) {
        for (uint16_t k = 0; k < 4; ++k) m_peak = std::max(m_peak, m_ring[(m_write + k) & kRingMask]);
    } else if (m_silent) {
        return SX_Success;  // the motors are at rest already
    } else {
        clearFrame();  // two zero pairs bring the motors to rest
    }
    m_write = (m_write + 4) & kRingMask;
    clearFrame();
    m_dataThisFrame = false;
    // Past eight queued pairs the oldest go, so the motors lag at most about eight frames;
    // the count stays that of the pairs between the read and the write index.
    m_queued += 2;
    while (m_queued > kMaxQueuedPairs) {
        m_read = (m_read + 2) & kRingMask;
        --m_queued;
    }
    return SX_Success;
}

SXRESULT RumbleMixBus::SendNextPair() {
    if (m_read == m_write) {
        m_queued = 0;
        return static_cast<SXRESULT>(0);
    }
    const float left = m_ring[m_read];
    const float right = m_ring[(m_read + 1) & kRingMask];
    if (m_queued > 0) --m_queued;
    m_read = (m_read + 2) & kRingMask;
    return Send(left, right);
}

SXRESULT RumbleMixBus::Send(float left, float right) {
    m_silent = left + right == 0.0f;
    left = std::min(left, 1.0f);
    right = std::min(right, 1.0f);
    if (!m_controller) return SX_Success;
    // A pad that went away is asked again, so that it gets the levels once it is back.
    if (left == m_lastLeft && right == m_lastRight && m_controller->IsConnected()) return SX_Success;
    const SXRESULT result = m_controller->SetMotors(left, right);
    if (result != SX_Success) {
        // Nothing is remembered as sent: the next pair goes out whatever it holds, and a frame
        // without data queues the zeros again.
        m_silent = false;
        m_lastLeft = m_lastRight = std::numeric_limits<float>::quiet_NaN();
        return result;
    }
    m_lastLeft = left;
    m_lastRight = right;
    return result;
}

float RumbleMixBus::TakePeak() {
    const float peak = m_peak;
    m_peak = 0.0f;
    return peak;
}

ISxPlugin* CreateRumbleMixBus(ISxPluginMemAlloc* allocator) { return SxFxNew<RumbleMixBus>(allocator); }

}  // namespace SX
