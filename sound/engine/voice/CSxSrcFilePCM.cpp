#include "sound/engine/voice/CSxSrcFilePCM.h"

#include <cstring>

#include "sound/engine/voice/CSxSrcBankPCM.h"

namespace SX {

SXRESULT CSxSrcFilePCM::ParseHeader(const uint8_t* data, uint32_t size) {
    if (SxParseMedia(data, size, true, m_media) != SX_Success) return SX_InvalidFile;
    if (SxReadMediaFormat(m_media, m_mediaFormat) != SX_Success) return SX_InvalidFile;
    const SxMediaFormat& f = m_mediaFormat;
    if (f.tag != SxMediaTag_PCM || f.blockAlign != f.channels * f.bitsPerSample / 8 || f.blockAlign == 0)
        return SX_InvalidFile;
    SXRESULT result = SxCheckKernelFormat(f.channels, f.bitsPerSample);
    if (result != SX_Success) return result;
    m_format.sampleRate = f.sampleRate;
    m_format.channelMask = f.channelMask;
    m_format.bitsPerSample = f.bitsPerSample;
    m_format.blockAlign = f.blockAlign;
    m_format.sampleType = f.bitsPerSample == 32 ? 1 : 0;
    m_total = m_media.dataSize / f.blockAlign;
    if (SetupLoops() != SX_Success) return SX_InvalidFile;
    m_loopStartOffset = m_media.dataOffset + m_loopStart * f.blockAlign;
    m_loopEndOffset = m_media.dataOffset + (m_loopEnd + 1) * f.blockAlign;
    return SX_Success;
}

float CSxSrcFilePCM::Throughput() const {
    return static_cast<float>(m_mediaFormat.blockAlign) * m_mediaFormat.sampleRate * 0.001f;
}

void CSxSrcFilePCM::LocateFrame(uint32_t frame, uint32_t& reached, uint32_t& offset) const {
    reached = frame;
    offset = m_media.dataOffset + frame * m_mediaFormat.blockAlign;
}

void CSxSrcFilePCM::DropCarried() {
    m_partialBytes = 0;
    m_partialComplete = false;
    m_handedBytes = 0;
}

void CSxSrcFilePCM::GetBuffer(SxNodeBuffer& buffer) {
    const uint32_t frameBytes = m_mediaFormat.blockAlign;
    m_handedBytes = 0;
    m_partialComplete = false;
    buffer.validFrames = 0;
    const uint32_t frames = FramesAvailable(buffer.maxFrames);
    if (frames == 0) {
        buffer.state = SX_NoDataReady;
        return;
    }
    for (;;) {
        const SXRESULT fetched = FetchBytes();
        if (fetched != SX_DataReady) {
            // Data ends before its frames do, or the stream failed: the voice stops.
            buffer.state = fetched == SX_NoDataReady ? SX_NoDataReady : SX_Fail;
            return;
        }
        if (m_partialBytes > 0) {
            const uint32_t missing = frameBytes - m_partialBytes;
            if (m_left < missing) {
                buffer.state = SX_Fail;
                return;
            }
            std::memcpy(m_partial + m_partialBytes, m_data, missing);
            m_handedBytes = missing;
            m_partialComplete = true;
            buffer.frames = m_partial;
            buffer.state = Advance(buffer, 1);
            return;
        }
        if (m_left >= frameBytes) break;
        // Less than a frame is left in this stream buffer: carry it to the next one.
        std::memcpy(m_partial, m_data, m_left);
        m_partialBytes = static_cast<uint16_t>(m_left);
        Consume(m_left);
    }
    const uint32_t count = std::min(frames, m_left / frameBytes);
    m_handedBytes = count * frameBytes;
    buffer.frames = m_data;
    buffer.state = Advance(buffer, count);
}

void CSxSrcFilePCM::ReleaseBuffer() {
    if (m_handedBytes > m_left) m_handedBytes = m_left;
    Consume(m_handedBytes);
    m_handedBytes = 0;
    if (m_partialComplete) m_partialBytes = 0;
    m_partialComplete = false;
}

}  // namespace SX
