#include "sound/engine/voice/CSxSrcBaseEx.h"

#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/upper/CSxSource.h"

namespace SX {

CSxSrcBaseEx::CSxSrcBaseEx(CSxPBI* instance) : CSxVPLSrcNode(instance) {
    m_loopCount = instance ? instance->LoopCount() : 1;
    m_loopsRemaining = m_loopCount;
}

CSxSrcBaseEx::~CSxSrcBaseEx() {
    if (m_looked.data) SxMediaProvider().ReleaseMedia(m_lookedID, m_looked);
}

bool CSxSrcBaseEx::FindMedia(const uint8_t*& media, uint32_t& size) {
    media = m_given;
    size = m_givenSize;
    if (!media && m_instance) {
        media = m_instance->Media();
        size = m_instance->MediaSize();
    }
    if (!media && !m_looked.data && m_instance && m_instance->Source()) {
        SxHeldMedia found;
        if (SxMediaProvider().GetMedia(m_instance->Source()->MediaID(), found)) {
            m_looked = found;
            m_lookedID = m_instance->Source()->MediaID();
        }
    }
    if (!media && m_looked.data) {
        media = m_looked.data;
        size = m_looked.size;
    }
    return media && size;
}

SXRESULT CSxSrcBaseEx::OpenMedia(const uint8_t*& media, uint32_t& size) {
    if (!FindMedia(media, size)) return SX_InvalidParameter;
    SXRESULT result = SxParseMedia(media, size, true, m_media);
    if (result == SX_Success) result = SxReadMediaFormat(m_media, m_mediaFormat);
    return result == SX_Success ? SX_Success : SX_InvalidFile;
}

SXRESULT CSxSrcBaseEx::SetupLoops() {
    m_loopStart = m_media.hasLoop ? m_media.loopStart : 0;
    if (!m_media.hasLoop || m_loopCount == 1)
        m_loopEnd = m_total ? m_total - 1 : 0;
    else
        m_loopEnd = m_media.loopEnd;
    if (m_total == 0 || m_loopEnd < m_loopStart || m_loopEnd >= m_total) return SX_Fail;
    return SX_Success;
}

uint32_t CSxSrcBaseEx::FramesAvailable(uint32_t request) const {
    const uint32_t end = m_loopsRemaining == 1 ? m_total : m_loopEnd + 1;
    return end > m_current ? std::min(request, end - m_current) : 0;
}

void CSxSrcBaseEx::NotifyMarkers(uint32_t from, uint32_t count) const {
    if (!g_pPlayingMgr || !m_instance) return;
    for (const SxSourceMarker& marker : m_media.markers)
        if (marker.position >= from && marker.position - from < count)
            g_pPlayingMgr->NotifyMarker(
                m_instance->PlayingID(),
                SxMarker{marker.id, marker.position, marker.label.empty() ? nullptr : marker.label.c_str()});
}

SXRESULT CSxSrcBaseEx::Advance(SxNodeBuffer& buffer, uint32_t frames) {
    NotifyMarkers(m_current, frames);
    buffer.markers.clear();
    for (const SxSourceMarker& marker : m_media.markers)
        if (marker.position >= m_current && marker.position - m_current < frames)
            buffer.markers.push_back(SxBufferMarker{m_instance, marker.position - m_current, &marker});
    buffer.playPosition = static_cast<int32_t>(m_current);
    buffer.sourceLength = static_cast<int32_t>(m_total);
    buffer.sourceRate = m_mediaFormat.sampleRate;
    buffer.validFrames = static_cast<uint16_t>(frames);
    buffer.channelMask = m_format.channelMask;
    m_current += frames;
    if (m_loopsRemaining != 1 && m_current > m_loopEnd) {
        m_current = m_loopStart;
        OnLoopEnd(false);
        return SX_DataReady;
    }
    if (m_loopsRemaining == 1 && m_current >= m_total) {
        OnLoopEnd(true);
        return SX_NoMoreData;
    }
    return SX_DataReady;
}

void CSxSrcBaseEx::OnLoopEnd(bool isLast) {
    if (!isLast && m_loopsRemaining > 1) --m_loopsRemaining;
}

SXRESULT CSxSrcBaseEx::TimeSkip(uint32_t& frames) {
    const uint32_t from = m_current;
    if (m_loopsRemaining != 1) {
        const uint32_t toLoopEnd = m_loopEnd + 1 - m_current;
        if (frames >= toLoopEnd) {
            frames = toLoopEnd;
            NotifyMarkers(from, frames);
            m_current = m_loopStart;
            OnLoopEnd(false);
            return SX_DataReady;
        }
    } else if (m_current + frames >= m_total) {
        frames = m_total - m_current;
        NotifyMarkers(from, frames);
        m_current = m_total;
        return SX_NoMoreData;
    }
    NotifyMarkers(from, frames);
    m_current += frames;
    return SX_DataReady;
}

uint32_t CSxSrcBaseEx::GetDurationMs() const {
    if (m_loopCount == 0 || m_mediaFormat.sampleRate == 0) return 0;
    const uint64_t frames = static_cast<uint64_t>(m_loopEnd - m_loopStart + 1) * (m_loopCount - 1) + m_total;
    return static_cast<uint32_t>(frames * 1000 / m_mediaFormat.sampleRate);
}

SXRESULT CSxSrcBaseEx::StopLooping() {
    m_loopsRemaining = 1;
    return SX_Success;
}

}  // namespace SX
