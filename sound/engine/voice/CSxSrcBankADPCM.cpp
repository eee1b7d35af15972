#include "sound/engine/voice/CSxSrcBankADPCM.h"

#include <algorithm>

#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/voice/CSxSrcBankPCM.h"
#include "sound/engine/voice/SxAdpcm.h"

namespace SX {

namespace {
constexpr uint32_t kBlock = SxAdpcm::kFramesPerBlock;
}

SXRESULT CSxSrcBankADPCM::StartSource() {
    if (m_started) return SX_Success;
    const uint8_t* media;
    uint32_t size;
    SXRESULT result = OpenMedia(media, size);
    if (result != SX_Success) return result;
    const SxMediaFormat& f = m_mediaFormat;
    if (f.tag != SxMediaTag_ADPCM) return SX_InvalidFile;
    if ((result = SxCheckKernelFormat(f.channels, 16)) != SX_Success) return result;
    if (f.blockAlign != SxAdpcm::kBytesPerChannel * f.channels) return SX_InvalidFile;
    if (m_media.dataOffset > size || size - m_media.dataOffset != m_media.dataSize) return SX_Fail;
    const uint8_t* data = media + m_media.dataOffset;
    if (!SxAdpcm::StepIndexesValid(data, m_media.dataSize, f.channels)) return SX_InvalidFile;
    m_format.sampleRate = f.sampleRate;
    m_format.channelMask = f.channelMask;
    m_format.bitsPerSample = 16;
    m_format.blockAlign = 2 * f.channels;
    // A partial block at the end is not played.
    m_total = m_media.dataSize / f.blockAlign * kBlock;
    if ((result = SetupLoops()) != SX_Success) return result;
    if (m_loopCount != 1 && m_media.hasLoop && (m_loopStart % kBlock != 0 || (m_loopEnd + 1) % kBlock != 0))
        return SX_InvalidFile;
    m_data = data;
    m_current = 0;
    m_started = true;
    return SX_Success;
}

void CSxSrcBankADPCM::GetBuffer(SxNodeBuffer& buffer) {
    const uint32_t channels = m_mediaFormat.channels;
    const uint32_t capacity = kDecodeBytesPerChannel / 2;
    const uint32_t blocks = FramesAvailable(std::min<uint32_t>(buffer.maxFrames, capacity)) / kBlock;
    if (blocks == 0) {
        buffer.validFrames = 0;
        buffer.state = SX_NoDataReady;
        return;
    }
    if (!m_decoded) {
        m_decodedBytes = channels * kDecodeBytesPerChannel;
        m_decoded = static_cast<int16_t*>(CSxLEngine::GetCachedAudioBuffer(m_decodedBytes));
        if (!m_decoded) {
            buffer.state = SX_Fail;
            return;
        }
    }
    const uint8_t* block = m_data + static_cast<size_t>(m_current / kBlock) * m_mediaFormat.blockAlign;
    if (!SxAdpcm::DecodeBlocks(block, m_mediaFormat.blockAlign, channels, blocks, m_decoded)) {
        buffer.state = SX_Fail;
        return;
    }
    buffer.frames = m_decoded;
    buffer.state = Advance(buffer, blocks * kBlock);
}

void CSxSrcBankADPCM::ReleaseBuffer() {
    if (m_decoded) CSxLEngine::ReleaseCachedAudioBuffer(m_decodedBytes, m_decoded);
    m_decoded = nullptr;
}

SXRESULT CSxSrcBankADPCM::Seek(uint32_t frame) {
    if (frame >= m_total) return SX_Fail;
    m_current = frame / kBlock * kBlock;
    m_skipFrames = frame - m_current;
    return SX_Success;
}

}  // namespace SX
