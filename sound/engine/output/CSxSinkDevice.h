#pragma once
// The normal output: the platform's sound output device, fed through its looping buffer of
// 16-bit interleaved samples (refill-buffer count x 1024 frames).
#include <memory>

#include "platform/TestProbe.h"
#include "platform/audio/OutputDevice.h"
#include "sound/engine/SxInitSettings.h"
#include "sound/engine/output/CSxSink.h"

namespace SX {

class CSxSinkDevice : public CSxSink {
public:
    // Opens the device and settles the channel mask (stereo or 5.1); null when the device
    // cannot be opened or the pool has no room. The sink lives in the pool (SxDelete).
    static CSxSinkDevice* Create(const SxPlatformInitSettings& settings, uint32_t sampleRate, uint32_t waitTimeMs,
                                 SxMemPoolId pool);
    CSxSinkDevice(std::unique_ptr<platform::audio::OutputDevice> device, uint32_t channelMask, uint32_t sampleRate,
                  uint32_t refillBuffers, uint32_t waitTimeMs);
    ~CSxSinkDevice() override;

    SXRESULT Init() override;
    SXRESULT Play() override;
    void Term() override;
    bool IsStarved() const override { return m_starved; }
    void ResetStarved() override { m_starved = false; }
    SXRESULT GetRefillSize(uint32_t& buffers) override;
    SXRESULT PassData(const SxAudioBuffer& buffer) override;
    SXRESULT PassSilence(uint32_t frames) override;

    // The cursor arithmetic of the refill query. Starved: the write offset lies strictly inside
    // the span the device claimed since the last query (previous play cursor to current write
    // cursor, in buffer order, wrap-around included).
    static bool WriteOffsetOverrun(uint32_t previousPlay, uint32_t writeOffset, uint32_t writeCursor);
    // Bytes that may be written from the write offset up to the play cursor.
    static uint32_t FreeBytes(uint32_t playCursor, uint32_t writeOffset, uint32_t bufferSize);

private:
    friend struct platform::TestProbe<CSxSinkDevice>;

    platform::audio::PcmFormat Format(uint32_t channelMask) const;
    bool CheckFormat(uint32_t channelMask);
    SXRESULT Advance(uint32_t bytes);

    std::unique_ptr<platform::audio::OutputDevice> m_device;
    std::unique_ptr<platform::audio::OutputBuffer> m_buffer;
    uint32_t m_sampleRate;
    uint32_t m_refillBuffers;
    uint32_t m_bufferSize = 0;
    uint32_t m_writeOffset = 0;
    uint32_t m_playCursor = 0;
    uint32_t m_writeCursor = 0;
    uint16_t m_bytesPerFrame = 0;
    bool m_starved = false;
    // Cursors at 0/0 mean a buffer that has not started only until the first write: after it they
    // mean nothing has played yet, and the written part is not free.
    bool m_written = false;
};

}  // namespace SX
