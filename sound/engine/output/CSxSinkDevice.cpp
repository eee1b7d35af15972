#include "sound/engine/output/CSxSinkDevice.h"

#include <cstring>

#include "sound/engine/lower/SxMixKernels.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

namespace {
uint32_t MaskFromSpeakerConfig(const platform::audio::OutputDevice& device) {
    uint32_t config = 0;
    if (!device.GetSpeakerConfig(config)) return SxChannelMaskStereo;
    const uint32_t layout = config & 0xFF;
    return layout == platform::audio::kSpeakerQuad || (layout >= platform::audio::kSpeakerSurround && layout <= 9)
               ? SxChannelMask51
               : SxChannelMaskStereo;
}
}  // namespace

CSxSinkDevice::CSxSinkDevice(std::unique_ptr<platform::audio::OutputDevice> device, uint32_t channelMask,
                             uint32_t sampleRate, uint32_t refillBuffers, uint32_t waitTimeMs)
    : CSxSink(channelMask, waitTimeMs),
      m_device(std::move(device)),
      m_sampleRate(sampleRate),
      m_refillBuffers(refillBuffers) {}

CSxSinkDevice::~CSxSinkDevice() { Term(); }

platform::audio::PcmFormat CSxSinkDevice::Format(uint32_t channelMask) const {
    platform::audio::PcmFormat format;
    format.sampleRate = m_sampleRate;
    format.channels = static_cast<uint16_t>(SxChannelCount(channelMask));
    format.bitsPerSample = 16;
    format.channelMask = channelMask;
    return format;
}

bool CSxSinkDevice::CheckFormat(uint32_t channelMask) {
    const uint32_t size = m_refillBuffers * SxChannelCount(channelMask) * 2 * SxFrameLength;
    return m_device->CreateBuffer(Format(channelMask), size) != nullptr;
}

CSxSinkDevice* CSxSinkDevice::Create(const SxPlatformInitSettings& settings, uint32_t sampleRate, uint32_t waitTimeMs,
                                     SxMemPoolId pool) {
    auto device = platform::audio::OutputDevice::Open();
    if (!device) return nullptr;
    uint32_t mask = settings.channelMask ? settings.channelMask : MaskFromSpeakerConfig(*device);
    if (mask != SxChannelMaskStereo && mask != SxChannelMask51) mask = SxChannelMaskStereo;
    const uint32_t refills = settings.numRefillsInVoice < 2 ? 4 : settings.numRefillsInVoice;
    auto* sink = SxNew<CSxSinkDevice>(pool, std::move(device), mask, sampleRate, refills, waitTimeMs);
    if (!sink) return nullptr;
    // A device that refuses 6 channels runs in stereo; one that refuses stereo fails in Init.
    if (mask == SxChannelMask51 && !sink->CheckFormat(SxChannelMask51)) sink->m_channelMask = SxChannelMaskStereo;
    return sink;
}

SXRESULT CSxSinkDevice::Init() {
    if (m_channelMask != SxChannelMaskStereo && m_channelMask != SxChannelMask51) return SX_Fail;
    const uint32_t channels = SxChannelCount(m_channelMask);
    const uint32_t size = m_refillBuffers * channels * 2 * SxFrameLength;
    auto buffer = m_device->CreateBuffer(Format(m_channelMask), size);
    if (!buffer) return SX_Fail;
    void *p1, *p2;
    uint32_t n1, n2;
    if (!buffer->Lock(0, size, &p1, &n1, &p2, &n2)) return SX_Fail;
    std::memset(p1, 0, n1);
    if (!buffer->Unlock(p1, n1, p2, n2)) return SX_Fail;
    buffer->SetVolume(0);
    m_buffer = std::move(buffer);
    m_bufferSize = size;
    m_bytesPerFrame = static_cast<uint16_t>(channels * 2);
    m_writeOffset = 0;
    m_written = false;
    return SX_Success;
}

SXRESULT CSxSinkDevice::Play() { return m_buffer && m_buffer->Play() ? SX_Success : SX_Fail; }

void CSxSinkDevice::Term() {
    if (m_buffer) m_buffer->Stop();
    m_buffer.reset();
    m_device.reset();
}

bool CSxSinkDevice::WriteOffsetOverrun(uint32_t previousPlay, uint32_t writeOffset, uint32_t writeCursor) {
    return (previousPlay < writeOffset && (writeOffset < writeCursor || writeCursor < previousPlay)) ||
           (writeOffset < writeCursor && writeCursor < previousPlay);
}

uint32_t CSxSinkDevice::FreeBytes(uint32_t playCursor, uint32_t writeOffset, uint32_t bufferSize) {
    return writeOffset <= playCursor ? playCursor - writeOffset : bufferSize - writeOffset + playCursor;
}

SXRESULT CSxSinkDevice::GetRefillSize(uint32_t& buffers) {
    buffers = 0;
    if (!m_buffer) return SX_Fail;
    const uint32_t previousPlay = m_playCursor;
    if (!m_buffer->GetCurrentPosition(m_playCursor, m_writeCursor)) return SX_Fail;
    uint32_t freeBytes;
    if (m_playCursor == 0 && m_writeCursor == 0 && !m_written) {
        freeBytes = m_bufferSize;
    } else {
        m_starved = WriteOffsetOverrun(previousPlay, m_writeOffset, m_writeCursor);
        freeBytes = FreeBytes(m_playCursor, m_writeOffset, m_bufferSize);
    }
    buffers = (freeBytes / m_bytesPerFrame) >> 10;
    return SX_Success;
}

SXRESULT CSxSinkDevice::Advance(uint32_t bytes) {
    if (bytes > 0) m_written = true;
    m_writeOffset += bytes;
    if (m_writeOffset >= m_bufferSize) m_writeOffset -= m_bufferSize;
    return SX_Success;
}

SXRESULT CSxSinkDevice::PassData(const SxAudioBuffer& buffer) {
    if (!m_buffer) return SX_Fail;
    if (buffer.validFrames == 0) return SX_Success;
    const uint32_t bytes = SxChannelCount(m_channelMask) * 2 * SxFrameLength;
    void *p1, *p2;
    uint32_t n1, n2;
    if (!m_buffer->Lock(m_writeOffset, bytes, &p1, &n1, &p2, &n2)) return SX_Fail;
    // Frames start at frame boundaries unless silence of part of a frame came before; then
    // the locked span wraps and the frame is converted aside and copied in two parts.
    int16_t wrapped[6 * SxFrameLength];
    auto* out = p2 ? wrapped : static_cast<int16_t*>(p1);
    if (buffer.channelMask == m_channelMask)
        SxMixKernels::FloatTo16(buffer.data, out, SxChannelCount(m_channelMask) * SxFrameLength);
    else if (m_channelMask == SxChannelMask51)
        SxMixKernels::StereoTo51Pcm16(buffer.data, out, SxFrameLength);
    else
        SxMixKernels::FivePointOneToStereoPcm16(buffer.data, out, SxFrameLength);
    if (p2) {
        std::memcpy(p1, wrapped, n1);
        std::memcpy(p2, reinterpret_cast<uint8_t*>(wrapped) + n1, n2);
    }
    if (!m_buffer->Unlock(p1, n1, p2, n2)) return SX_Fail;
    return Advance(bytes);
}

SXRESULT CSxSinkDevice::PassSilence(uint32_t frames) {
    if (frames == 0) return SX_Success;
    if (!m_buffer) return SX_Fail;
    const uint32_t bytes = m_bytesPerFrame * frames;
    void *p1, *p2;
    uint32_t n1, n2;
    if (!m_buffer->Lock(m_writeOffset, bytes, &p1, &n1, &p2, &n2)) return SX_Fail;
    std::memset(p1, 0, n1);
    if (p2) std::memset(p2, 0, n2);
    if (!m_buffer->Unlock(p1, n1, p2, n2)) return SX_Fail;
    return Advance(bytes);
}

}  // namespace SX
