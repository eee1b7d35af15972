#include "sound/engine/vorbis/CSxSrcFileVorbis.h"

#include <algorithm>
#include <cstring>

#include "sound/engine/voice/CSxSrcBankPCM.h"
#include "sound/engine/vorbis/SxVorbisSetupCache.h"

namespace SX {

SXRESULT CSxSrcFileVorbis::ParseHeader(const uint8_t* data, uint32_t size) {
    if (SxParseMedia(data, size, true, m_media) != SX_Success) return SX_InvalidFile;
    if (SxReadMediaFormat(m_media, m_mediaFormat) != SX_Success || m_mediaFormat.tag != SxMediaTag_Vorbis)
        return SX_InvalidFile;
    SXRESULT result = m_vorbis.Read(m_media.fmt, m_media.fmtSize, m_media.dataSize);
    if (result == SX_Success) result = SxCheckKernelFormat(m_vorbis.channels, 16);
    if (result != SX_Success) return result;
    m_format.sampleRate = m_vorbis.sampleRate;
    m_format.channelMask = m_mediaFormat.channelMask;
    m_format.bitsPerSample = 16;
    m_format.blockAlign = static_cast<uint16_t>(2 * m_vorbis.channels);
    m_total = m_vorbis.totalFrames;
    if (SetupLoops() != SX_Success) return SX_InvalidFile;
    m_loopStartOffset = m_media.dataOffset + m_vorbis.seekTableSize + m_vorbis.loopStart;
    m_loopEndOffset = m_media.dataOffset + m_vorbis.seekTableSize + m_vorbis.loopEnd;
    m_stitch.assign(2 * (size_t(m_vorbis.maxPacket) + 2), 0);
    m_stitchBytes = 0;
    m_header.clear();
    m_ready = false;
    return SX_Success;
}

SXRESULT CSxSrcFileVorbis::StartSource() {
    const SXRESULT started = CSxSrcFileBase::StartSource();
    if (started != SX_Success || m_ready) return started;
    // The seek table, the setup's size and the setup, up to the first audio packet.
    while (m_header.size() < m_vorbis.firstPacket) {
        const SXRESULT fetched = FetchBytes();
        if (fetched == SX_NoDataReady) return SX_NotReady;
        if (fetched != SX_DataReady) return SX_Fail;
        const uint32_t take = std::min<uint32_t>(m_left, m_vorbis.firstPacket - uint32_t(m_header.size()));
        m_header.insert(m_header.end(), m_data, m_data + take);
        Consume(take);
    }
    const uint8_t* setup;
    uint32_t setupSize;
    if (m_vorbis.SetupPacket(m_header.data(), setup, setupSize) != SX_Success) return SX_InvalidFile;
    auto shared = SxVorbisSetupCache::Acquire(m_vorbis.setupID, setup, setupSize, m_vorbis.channels, m_vorbis.shortLog2,
                                              m_vorbis.longLog2);
    if (!shared || !m_decoder.Init(std::move(shared), m_vorbis.channels)) return SX_Fail;
    m_decoder.Reset(0, EndDrop());
    m_ready = true;
    return SX_Success;
}

void CSxSrcFileVorbis::StopSource() {
    ReleaseBuffer();
    CSxSrcFileBase::StopSource();
}

void CSxSrcFileVorbis::LocateFrame(uint32_t frame, uint32_t& reached, uint32_t& offset) const {
    uint32_t bytes = 0;
    SxVorbisSeekLookup(m_header.data(), m_vorbis.seekTableSize, m_media.dataSize - m_vorbis.firstPacket, frame, reached,
                       bytes);
    offset = m_media.dataOffset + m_vorbis.firstPacket + bytes;
}

SXRESULT CSxSrcFileVorbis::DecodeSome(uint32_t request, uint32_t& produced) {
    const uint32_t channels = m_vorbis.channels;
    const uint32_t whole = uint32_t(m_vorbis.maxPacket) + 2;
    produced = 0;
    for (;;) {
        // Frames the decoder still holds from its last packet come first.
        uint32_t held = 0, none = 0;
        const SXRESULT drained = m_decoder.DecodeFrames(nullptr, 0, false, m_vorbis.maxPacket, request - produced,
                                                        m_decoded.Frames() + size_t(produced) * channels, none, held);
        produced += held;
        if (drained == SX_NoMoreData) return drained;
        if (produced == request) return SX_DataReady;
        const SXRESULT fetched = FetchBytes();
        if (fetched == SX_NoDataReady) return produced ? SX_DataReady : SX_NoDataReady;
        if (fetched == SX_Fail) return SX_Fail;
        const bool streamEnded = fetched == SX_NoMoreData;
        if (m_stitchBytes == 0 && !BufferEndsRegion() && m_left < whole) {
            // Too little left to be sure of a whole packet: carry it to the next buffer.
            std::memcpy(m_stitch.data(), m_data, m_left);
            m_stitchBytes = m_left;
            Consume(m_left);
            continue;
        }
        uint32_t consumed = 0, got = 0;
        SXRESULT result;
        if (m_stitchBytes == 0) {
            result = m_decoder.DecodeFrames(m_data, m_left, BufferEndsRegion(), m_vorbis.maxPacket, request - produced,
                                            m_decoded.Frames() + size_t(produced) * channels, consumed, got);
            Consume(consumed);
        } else {
            const uint32_t append =
                streamEnded ? 0 : std::min<uint32_t>(m_left, uint32_t(m_stitch.size()) - m_stitchBytes);
            if (append > 0) std::memcpy(m_stitch.data() + m_stitchBytes, m_data, append);
            const bool final = streamEnded || (BufferEndsRegion() && append == m_left);
            result = m_decoder.DecodeFrames(m_stitch.data(), m_stitchBytes + append, final, m_vorbis.maxPacket,
                                            request - produced, m_decoded.Frames() + size_t(produced) * channels,
                                            consumed, got);
            if (consumed >= m_stitchBytes) {
                // Past the old bytes: back to the stream buffer at the matching position.
                Consume(consumed - m_stitchBytes);
                m_stitchBytes = 0;
            } else if (consumed > 0) {
                std::memmove(m_stitch.data(), m_stitch.data() + consumed, m_stitchBytes - consumed);
                m_stitchBytes -= consumed;
            } else if (got == 0 && result == SX_NoDataReady) {
                if (append < m_left) return SX_Fail;  // a packet larger than any the media declares
                m_stitchBytes += append;              // the whole buffer joins the stitch
                Consume(append);
            }
        }
        produced += got;
        if (result == SX_Fail || result == SX_NoMoreData) return result;
        if (produced == request) return SX_DataReady;
    }
}

void CSxSrcFileVorbis::GetBuffer(SxNodeBuffer& buffer) {
    buffer.validFrames = 0;
    const uint32_t request = FramesAvailable(std::min<uint32_t>(buffer.maxFrames, kMaxFrames));
    if (!m_ready || request == 0) {
        buffer.state = SX_NoDataReady;
        return;
    }
    if (!m_decoded.Acquire(m_vorbis.channels)) {
        buffer.state = SX_Fail;
        return;
    }
    uint32_t produced = 0;
    const SXRESULT result = DecodeSome(request, produced);
    if (result == SX_Fail) {
        buffer.state = SX_Fail;
        return;
    }
    if (produced == 0) {
        buffer.state = result == SX_NoMoreData ? SX_NoMoreData : SX_NoDataReady;
        return;
    }
    buffer.frames = m_decoded.Frames();
    buffer.state = Advance(buffer, produced);
}

void CSxSrcFileVorbis::ReleaseBuffer() { m_decoded.Release(); }

void CSxSrcFileVorbis::OnLoopEnd(bool isLast) {
    CSxSrcFileBase::OnLoopEnd(isLast);
    if (!isLast) m_decoder.Reset(m_vorbis.loopStartDrop, EndDrop());
}

SXRESULT CSxSrcFileVorbis::StopLooping() {
    CSxSrcFileBase::StopLooping();
    m_decoder.SetEndDrop(EndDrop());
    return SX_Success;
}

SXRESULT CSxSrcFileVorbis::Seek(uint32_t frame) {
    if (!m_ready) return SX_Fail;
    const SXRESULT result = CSxSrcFileBase::Seek(frame);
    if (result != SX_Success) return result;
    // The decoder drops what lies between the seek entry and the frame; the pitch node skips nothing.
    const uint32_t drop = m_skipFrames;
    m_skipFrames = 0;
    m_current = frame;
    m_decoder.Reset(drop, EndDrop());
    return SX_Success;
}

}  // namespace SX
