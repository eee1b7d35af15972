#include "sound/engine/vorbis/CSxSrcBankVorbis.h"

#include <algorithm>
#include <new>

#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/engine/voice/CSxSrcBankPCM.h"
#include "sound/engine/vorbis/CSxSrcFileVorbis.h"
#include "sound/engine/vorbis/SxVorbisSetupCache.h"

namespace SX {

SXRESULT CSxSrcBankVorbis::StartSource() {
    if (m_started) return SX_Success;
    const uint8_t* media;
    uint32_t size;
    SXRESULT result = OpenMedia(media, size);
    if (result != SX_Success) return result;
    if (m_mediaFormat.tag != SxMediaTag_Vorbis) return SX_InvalidFile;
    if ((result = m_vorbis.Read(m_media.fmt, m_media.fmtSize, m_media.dataSize)) != SX_Success) return result;
    if ((result = SxCheckKernelFormat(m_vorbis.channels, 16)) != SX_Success) return result;
    if (m_media.dataOffset > size || size - m_media.dataOffset != m_media.dataSize) return SX_Fail;
    m_data = media + m_media.dataOffset;
    m_format.sampleRate = m_vorbis.sampleRate;
    m_format.channelMask = m_mediaFormat.channelMask;
    m_format.bitsPerSample = 16;
    m_format.blockAlign = static_cast<uint16_t>(2 * m_vorbis.channels);
    m_total = m_vorbis.totalFrames;
    if ((result = SetupLoops()) != SX_Success) return result;
    const uint8_t* setup;
    uint32_t setupSize;
    if (m_vorbis.SetupPacket(m_data, setup, setupSize) != SX_Success) return SX_InvalidFile;
    auto shared = SxVorbisSetupCache::Acquire(m_vorbis.setupID, setup, setupSize, m_vorbis.channels, m_vorbis.shortLog2,
                                              m_vorbis.longLog2);
    if (!shared || !m_decoder.Init(std::move(shared), m_vorbis.channels)) return SX_Fail;
    m_readPos = m_vorbis.firstPacket;
    m_current = 0;
    m_decoder.Reset(0, EndDrop());
    m_started = true;
    return SX_Success;
}

void CSxSrcBankVorbis::StopSource() { ReleaseBuffer(); }

void CSxSrcBankVorbis::GetBuffer(SxNodeBuffer& buffer) {
    const uint32_t channels = m_vorbis.channels;
    buffer.validFrames = 0;
    const uint32_t request = FramesAvailable(std::min<uint32_t>(buffer.maxFrames, kMaxFrames));
    if (request == 0) {
        buffer.state = SX_NoDataReady;
        return;
    }
    if (!m_decoded.Acquire(channels)) {
        buffer.state = SX_Fail;
        return;
    }
    const uint32_t end = m_loopsRemaining == 1 ? m_media.dataSize : m_vorbis.seekTableSize + m_vorbis.loopEnd;
    uint32_t consumed = 0, produced = 0;
    const SXRESULT result = m_decoder.DecodeFrames(m_data + m_readPos, end > m_readPos ? end - m_readPos : 0, true,
                                                   m_vorbis.maxPacket, request, m_decoded.Frames(), consumed, produced);
    m_readPos += consumed;
    if (result == SX_Fail) {
        buffer.state = SX_Fail;
        return;
    }
    if (produced == 0) {
        // Packets that end before their frames do: the sound ends here rather than never.
        buffer.state = SX_NoMoreData;
        return;
    }
    buffer.frames = m_decoded.Frames();
    buffer.state = Advance(buffer, produced);
}

void CSxSrcBankVorbis::ReleaseBuffer() { m_decoded.Release(); }

void CSxSrcBankVorbis::OnLoopEnd(bool isLast) {
    CSxSrcBaseEx::OnLoopEnd(isLast);
    if (isLast) return;
    m_readPos = m_vorbis.seekTableSize + m_vorbis.loopStart;
    m_decoder.Reset(m_vorbis.loopStartDrop, EndDrop());
}

SXRESULT CSxSrcBankVorbis::StopLooping() {
    CSxSrcBaseEx::StopLooping();
    m_decoder.SetEndDrop(EndDrop());
    return SX_Success;
}

SXRESULT CSxSrcBankVorbis::Seek(uint32_t frame) {
    if (!m_started || frame >= m_total) return SX_Fail;
    uint32_t reached = 0, offset = 0;
    SxVorbisSeekLookup(m_data, m_vorbis.seekTableSize, m_media.dataSize - m_vorbis.firstPacket, frame, reached, offset);
    m_readPos = m_vorbis.firstPacket + offset;
    m_current = frame;
    m_skipFrames = 0;
    m_decoder.Reset(frame - reached, EndDrop());
    return SX_Success;
}

namespace {
CSxVPLSrcNode* CreateBankVorbis(CSxPBI* instance) { return new (std::nothrow) CSxSrcBankVorbis(instance); }
CSxVPLSrcNode* CreateFileVorbis(CSxPBI* instance) { return new (std::nothrow) CSxSrcFileVorbis(instance); }
}  // namespace

SXRESULT RegisterVorbisCodec() { return SxPluginTable::RegisterCodec(0, 4, CreateFileVorbis, CreateBankVorbis); }

}  // namespace SX
