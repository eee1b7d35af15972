#include "sound/engine/voice/CSxSrcFileADPCM.h"

#include <algorithm>
#include <cstring>

#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/voice/CSxSrcBankPCM.h"

namespace SX {

namespace {
constexpr uint32_t kBlock = SxAdpcm::kFramesPerBlock;
}

SXRESULT CSxSrcFileADPCM::ParseHeader(const uint8_t* data, uint32_t size) {
    if (SxParseMedia(data, size, true, m_media) != SX_Success) return SX_InvalidFile;
    if (SxReadMediaFormat(m_media, m_mediaFormat) != SX_Success) return SX_InvalidFile;
    const SxMediaFormat& f = m_mediaFormat;
    if (f.tag != SxMediaTag_ADPCM) return SX_InvalidFile;
    SXRESULT result = SxCheckKernelFormat(f.channels, 16);
    if (result != SX_Success) return result;
    if (f.blockAlign != SxAdpcm::kBytesPerChannel * f.channels) return SX_InvalidFile;
    m_format.sampleRate = f.sampleRate;
    m_format.channelMask = f.channelMask;
    m_format.bitsPerSample = 16;
    m_format.blockAlign = 2 * f.channels;
    m_total = m_media.dataSize / f.blockAlign * kBlock;
    if (SetupLoops() != SX_Success) return SX_InvalidFile;
    if (m_loopCount != 1 && m_media.hasLoop && (m_loopStart % kBlock != 0 || (m_loopEnd + 1) % kBlock != 0))
        return SX_InvalidFile;
    m_loopStartOffset = m_media.dataOffset + m_loopStart / kBlock * f.blockAlign;
    m_loopEndOffset = m_media.dataOffset + (m_loopEnd + 1) / kBlock * f.blockAlign;
    return SX_Success;
}

float CSxSrcFileADPCM::Throughput() const {
    return static_cast<float>(m_mediaFormat.blockAlign) * m_mediaFormat.sampleRate / 64000.0f;
}

void CSxSrcFileADPCM::LocateFrame(uint32_t frame, uint32_t& reached, uint32_t& offset) const {
    reached = frame / kBlock * kBlock;
    offset = m_media.dataOffset + frame / kBlock * m_mediaFormat.blockAlign;
}

void CSxSrcFileADPCM::GetBuffer(SxNodeBuffer& buffer) {
    const uint32_t channels = m_mediaFormat.channels;
    const uint32_t blockBytes = m_mediaFormat.blockAlign;
    buffer.validFrames = 0;
    uint32_t blocks = FramesAvailable(std::min<uint32_t>(buffer.maxFrames, kMaxFrames)) / kBlock;
    if (blocks == 0) {
        buffer.state = SX_NoDataReady;
        return;
    }
    const SXRESULT fetched = FetchBytes();
    if (fetched != SX_DataReady) {
        buffer.state = fetched == SX_NoDataReady ? SX_NoDataReady : SX_Fail;
        return;
    }
    if (!m_decoded) {
        m_decodedBytes = kMaxFrames * 2 * channels;
        m_decoded = static_cast<int16_t*>(CSxLEngine::GetCachedAudioBuffer(m_decodedBytes));
        if (!m_decoded) {
            buffer.state = SX_Fail;
            return;
        }
    }
    uint32_t decoded = 0;
    if (m_partialBytes > 0) {
        const uint32_t missing = blockBytes - m_partialBytes;
        if (m_left < missing) {
            buffer.state = SX_Fail;
            return;
        }
        std::memcpy(m_partial + m_partialBytes, m_data, missing);
        Consume(missing);
        m_partialBytes = 0;
        if (!SxAdpcm::DecodeBlocks(m_partial, blockBytes, channels, 1, m_decoded)) {
            buffer.state = SX_Fail;
            return;
        }
        decoded = 1;
    }
    blocks = std::min(blocks - decoded, m_left / blockBytes);
    if (blocks > 0 &&
        !SxAdpcm::DecodeBlocks(m_data, blockBytes, channels, blocks, m_decoded + decoded * kBlock * channels)) {
        buffer.state = SX_Fail;
        return;
    }
    Consume(blocks * blockBytes);
    decoded += blocks;
    if (m_left > 0 && m_left < blockBytes) {
        std::memcpy(m_partial, m_data, m_left);
        m_partialBytes = static_cast<uint16_t>(m_left);
        Consume(m_left);
    }
    // Only the start of a block was left: it is carried, and the next stream buffer completes it.
    if (decoded == 0) return GetBuffer(buffer);
    buffer.frames = m_decoded;
    buffer.state = Advance(buffer, decoded * kBlock);
}

void CSxSrcFileADPCM::ReleaseBuffer() {
    if (m_decoded) CSxLEngine::ReleaseCachedAudioBuffer(m_decodedBytes, m_decoded);
    m_decoded = nullptr;
}

void CSxSrcFileADPCM::StopSource() {
    ReleaseBuffer();
    CSxSrcFileBase::StopSource();
}

}  // namespace SX
