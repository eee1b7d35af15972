#include "sound/engine/voice/CSxSrcFileBase.h"

#include <algorithm>

#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/upper/CSxSource.h"

namespace SX {

namespace {
constexpr uint32_t kMinimumBufferSize = 2048;
}

CSxSrcFileBase::~CSxSrcFileBase() { StopSource(); }

SXRESULT CSxSrcFileBase::StartSource() {
    if (m_started) return SX_Success;
    if (!m_stream) {
        ISxStreamMgr* manager = ISxStreamMgr::m_pStreamMgr;
        const CSxSource* source = m_instance ? m_instance->Source() : nullptr;
        if (!manager) return SX_Fail;
        SxFileSystemFlags flags;
        flags.codecID = source ? source->PluginID() >> 16 : 1;
        flags.companyID = source ? (source->PluginID() >> 4) & 0xFFF : SXCOMPANYID_INTERNAL;
        SxAutoStmHeuristics heuristics;
        if (m_instance) heuristics.priority = static_cast<int8_t>(std::clamp(m_instance->Priority(), 0.0f, 100.0f));
        const SxAutoStmBufSettings settings{0, kMinimumBufferSize, 0};
        SXRESULT result = SX_Fail;
        if (m_fileID == 0xFFFFFFFFu && source && source->FileName())
            result = manager->CreateAuto(source->FileName(), &flags, heuristics, &settings, m_stream, false);
        else if (m_fileID != 0xFFFFFFFFu || source)
            result = manager->CreateAuto(m_fileID != 0xFFFFFFFFu ? m_fileID : source->FileID(), &flags, heuristics,
                                         &settings, m_stream, false);
        if (result != SX_Success || !m_stream) {
            m_stream = nullptr;
            return SX_Fail;
        }
        const bool fromHead = UsePrefetchedHead();
        if ((fromHead && !m_started) || m_stream->Start() != SX_Success) return SX_Fail;
        if (fromHead) return SX_Success;
    }
    void* buffer = nullptr;
    uint32_t size = 0;
    const SXRESULT next = m_stream->NextBuffer(buffer, size, false);
    if (next == SX_NoDataReady) return SX_NotReady;
    if ((next != SX_DataReady && next != SX_NoMoreData) || !buffer || size == 0) return SX_Fail;
    m_held = true;
    const SXRESULT parsed = ParseHeader(static_cast<const uint8_t*>(buffer), size);
    if (parsed != SX_Success) {
        ReturnHeld();
        return parsed;
    }
    BeginData(static_cast<const uint8_t*>(buffer), size);
    return SX_Success;
}

bool CSxSrcFileBase::UsePrefetchedHead() {
    const CSxSource* source = m_instance ? m_instance->Source() : nullptr;
    const bool prefetched = m_given || (source && (source->Flags() & CSxSource::kPrefetch));
    const uint8_t* head = nullptr;
    uint32_t size = 0;
    // A head that does not hold the whole header is no use: the stream's first buffer decides.
    if (!prefetched || !FindMedia(head, size) || ParseHeader(head, size) != SX_Success) return false;
    const uint16_t loops = m_streamLoops;
    BeginData(head, size);
    // The stream goes on after the head, unless the head already reached the loop end and
    // moved it back to the loop start. A stream that cannot move leaves the source unstarted.
    if (m_streamLoops == loops && !m_endOfData && MoveStream(size) != SX_Success) {
        m_data = nullptr;
        m_left = 0;
        m_started = false;
    }
    return true;
}

void CSxSrcFileBase::BeginData(const uint8_t* buffer, uint32_t size) {
    m_headerParsed = true;
    SetHeuristics();
    m_current = 0;
    m_filePos = 0;
    m_skip = m_media.dataOffset;
    TakeBuffer(buffer, size);
    m_started = true;
}

void CSxSrcFileBase::StopSource() {
    DropCarried();
    if (m_stream) m_stream->Destroy();  // gives back the buffer in hand with the stream
    m_stream = nullptr;
    m_held = false;
    m_data = nullptr;
    m_left = 0;
    m_started = false;
}

bool CSxSrcFileBase::StreamLooping() const { return m_loopsRemaining == 0 || m_loopsRemaining - 1 > m_streamLoops; }

void CSxSrcFileBase::SetHeuristics() {
    SxAutoStmHeuristics heuristics;
    m_stream->Heuristics(heuristics);
    heuristics.throughput = std::max(Throughput(), 0.001f);
    const bool looping = StreamLooping() && m_loopsRemaining != 1;
    heuristics.loopStart = looping ? m_loopStartOffset : 0;
    heuristics.loopEnd = looping ? m_loopEndOffset : 0;
    m_stream->ChangeHeuristics(heuristics);
}

void CSxSrcFileBase::TakeBuffer(const uint8_t* buffer, uint32_t size) {
    uint32_t position = m_filePos;
    m_filePos += size;
    const uint32_t skip = std::min(m_skip, size);
    m_skip -= skip;
    buffer += skip;
    size -= skip;
    position += skip;
    const bool looping = m_loopsRemaining != 1 && StreamLooping();
    const uint32_t regionEnd = looping ? m_loopEndOffset : DataEnd();
    m_regionEnd = position + size >= regionEnd && m_skip == 0;
    if (m_regionEnd) {
        size = regionEnd > position ? regionEnd - position : 0;
        if (looping) {
            ++m_streamLoops;
            if (MoveStream(m_loopStartOffset) == SX_Success && !StreamLooping()) SetHeuristics();
        } else {
            m_endOfData = true;
        }
    }
    m_data = buffer;
    m_left = size;
}

SXRESULT CSxSrcFileBase::MoveStream(uint32_t offset) {
    int64_t moved = 0;
    const SXRESULT result = m_stream->Seek(offset, SX_MoveBegin, &moved);
    if (result != SX_Success) return result;
    m_filePos = static_cast<uint32_t>(moved);
    m_skip = offset - m_filePos;
    return SX_Success;
}

void CSxSrcFileBase::ReturnHeld() {
    if (m_held && m_stream) m_stream->ReturnBuffer();
    m_held = false;
    m_data = nullptr;
    m_left = 0;
}

SXRESULT CSxSrcFileBase::FetchBytes() {
    while (m_left == 0) {
        ReturnHeld();
        if (m_endOfData) return SX_NoMoreData;
        if (!m_stream) return SX_Fail;
        void* buffer = nullptr;
        uint32_t size = 0;
        const SXRESULT next = m_stream->NextBuffer(buffer, size, false);
        if (next == SX_NoDataReady) return SX_NoDataReady;
        if (next != SX_DataReady && next != SX_NoMoreData) return SX_Fail;
        if (!buffer || size == 0) return SX_Fail;  // the file ends before its data does
        m_held = true;
        TakeBuffer(static_cast<const uint8_t*>(buffer), size);
    }
    return SX_DataReady;
}

void CSxSrcFileBase::OnLoopEnd(bool isLast) {
    if (!isLast && m_streamLoops > 0) --m_streamLoops;
    CSxSrcBaseEx::OnLoopEnd(isLast);
}

SXRESULT CSxSrcFileBase::StopLooping() {
    m_loopsRemaining = static_cast<uint16_t>(m_streamLoops + 1);
    if (m_stream && m_headerParsed) SetHeuristics();
    return SX_Success;
}

SXRESULT CSxSrcFileBase::Seek(uint32_t frame) {
    if (!m_started || frame >= m_total) return SX_Fail;
    uint32_t reached = 0, offset = 0;
    LocateFrame(frame, reached, offset);
    DropCarried();
    ReturnHeld();
    m_streamLoops = 0;
    m_endOfData = false;
    if (MoveStream(offset) != SX_Success) return SX_Fail;
    SetHeuristics();
    m_current = reached;
    m_skipFrames = frame - reached;
    return SX_Success;
}

}  // namespace SX
