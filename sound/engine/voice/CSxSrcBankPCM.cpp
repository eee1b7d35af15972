#include "sound/engine/voice/CSxSrcBankPCM.h"

#include "sound/engine/voice/VoiceResampler.h"

namespace SX {

SXRESULT SxCheckKernelFormat(uint32_t channels, uint32_t bitsPerSample) {
    return VoiceResampler::FormatIndex(bitsPerSample, channels) == VoiceResampler::kNoKernel
               ? SX_UnsupportedChannelConfig
               : SX_Success;
}

SXRESULT CSxSrcBankPCM::StartSource() {
    if (m_started) return SX_Success;
    const uint8_t* media;
    uint32_t size;
    SXRESULT result = OpenMedia(media, size);
    if (result != SX_Success) return result;
    const SxMediaFormat& f = m_mediaFormat;
    if (f.tag != SxMediaTag_PCM || f.blockAlign != f.channels * f.bitsPerSample / 8) return SX_InvalidFile;
    if ((result = SxCheckKernelFormat(f.channels, f.bitsPerSample)) != SX_Success) return result;
    // In-memory media ends exactly with its data.
    if (m_media.dataOffset > size || size - m_media.dataOffset != m_media.dataSize) return SX_Fail;
    m_format.sampleRate = f.sampleRate;
    m_format.channelMask = f.channelMask;
    m_format.bitsPerSample = f.bitsPerSample;
    m_format.blockAlign = f.blockAlign;
    m_format.sampleType = f.bitsPerSample == 32 ? 1 : 0;
    m_total = m_media.dataSize / f.blockAlign;
    if ((result = SetupLoops()) != SX_Success) return result;
    m_data = media + m_media.dataOffset;
    m_current = 0;
    m_started = true;
    return SX_Success;
}

void CSxSrcBankPCM::GetBuffer(SxNodeBuffer& buffer) {
    const uint32_t frames = FramesAvailable(buffer.maxFrames);
    if (frames == 0) {
        buffer.validFrames = 0;
        buffer.state = SX_NoDataReady;
        return;
    }
    buffer.frames = m_data + static_cast<size_t>(m_current) * m_mediaFormat.blockAlign;
    buffer.state = Advance(buffer, frames);
}

SXRESULT CSxSrcBankPCM::Seek(uint32_t frame) {
    if (frame >= m_total) return SX_Fail;
    m_current = frame;
    m_skipFrames = 0;
    return SX_Success;
}

}  // namespace SX
