#pragma once
// An output sink: takes the master output of each frame to the sound device and tells the
// lower engine how many 1024-frame buffers the device can take now.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/lower/SxAudioBuffer.h"

namespace SX {

class CSxSink {
public:
    CSxSink(uint32_t channelMask, uint32_t waitTimeMs) : m_channelMask(channelMask), m_waitTimeMs(waitTimeMs) {}
    virtual ~CSxSink() = default;
    CSxSink(const CSxSink&) = delete;
    CSxSink& operator=(const CSxSink&) = delete;

    virtual SXRESULT Init() = 0;
    virtual SXRESULT Play() = 0;
    virtual void Term() = 0;
    // The audio thread's wait before its next wake: half a frame.
    uint32_t GetWaitTime() const { return m_waitTimeMs; }
    virtual bool IsStarved() const = 0;
    virtual void ResetStarved() = 0;
    // Whole buffers that may be written now; anything but SX_Success means the device failed.
    virtual SXRESULT GetRefillSize(uint32_t& buffers) = 0;
    // One frame of the master output (interleaved, device order).
    virtual SXRESULT PassData(const SxAudioBuffer& buffer) = 0;
    virtual SXRESULT PassSilence(uint32_t frames) = 0;

    uint32_t ChannelMask() const { return m_channelMask; }

protected:
    uint32_t m_channelMask;
    uint32_t m_waitTimeMs;
};

}  // namespace SX
