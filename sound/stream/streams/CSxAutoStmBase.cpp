#include "sound/stream/streams/CSxAutoStmBase.h"

#include <algorithm>
#include <numeric>

#include "sound/stream/device/CSxDeviceBase.h"

namespace SX::StreamMgr {

using Guard = std::unique_lock<platform::CriticalSection>;

CSxAutoStmBase::CSxAutoStmBase(CSxDeviceBase* device, const SxFileDesc& desc, uint32_t blockSize, uint32_t fileID)
    : CSxStmTask(device, desc, blockSize), m_fileID(fileID) {}

SXRESULT CSxAutoStmBase::Init(const SxAutoStmHeuristics& heuristics, const SxAutoStmBufSettings* bufferSettings) {
    if (heuristics.priority < 0 || heuristics.priority > 100 || heuristics.throughput < 0.0f)
        return SX_InvalidParameter;
    const uint32_t granularity = m_device->Granularity();
    uint64_t effective = m_blockSize;
    if (bufferSettings && bufferSettings->blockSize)
        effective = std::lcm<uint64_t>(m_blockSize, bufferSettings->blockSize);
    if (effective > granularity) return SX_Fail;
    m_effectiveBlockSize = static_cast<uint32_t>(effective);
    if (bufferSettings && bufferSettings->bufferSize) {
        if (bufferSettings->bufferSize > granularity || bufferSettings->bufferSize % m_effectiveBlockSize != 0)
            return SX_Fail;
        m_transferSize = m_minBufferSize = bufferSettings->bufferSize;
    } else {
        m_transferSize = granularity - granularity % m_effectiveBlockSize;
        uint64_t minimum = m_effectiveBlockSize;
        if (bufferSettings && bufferSettings->minBufferSize) {
            minimum = (uint64_t(bufferSettings->minBufferSize) + m_effectiveBlockSize - 1) / m_effectiveBlockSize *
                      m_effectiveBlockSize;
        }
        if (minimum > m_transferSize) return SX_Fail;
        m_minBufferSize = static_cast<uint32_t>(minimum);
    }
    SetFlag(SxTask_Auto);
    ApplyHeuristics(heuristics);
    return SX_Success;
}

void CSxAutoStmBase::ApplyHeuristics(const SxAutoStmHeuristics& heuristics) {
    m_heuristics = heuristics;
    if (m_heuristics.throughput < 1.0f) m_heuristics.throughput = 1.0f;
    if (m_heuristics.minNumBuffers == 0) m_heuristics.minNumBuffers = 1;
    m_heuristics.loopStart -= m_heuristics.loopStart % m_blockSize;
    if (Is(SxTask_FileOpen) && m_heuristics.loopEnd > m_desc.fileSize)
        m_heuristics.loopEnd = static_cast<uint32_t>(m_desc.fileSize);
    SetPriority(static_cast<uint8_t>(m_heuristics.priority));
}

void CSxAutoStmBase::OnFileOpened() {
    ApplyHeuristics(m_heuristics);
    UpdateSchedulingStatus();
}

uint32_t CSxAutoStmBase::Target() const {
    const double bytes = m_device->TargetAutoStmBufferLength() * m_heuristics.throughput;
    return bytes >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(bytes);
}

int64_t CSxAutoStmBase::CurrentPosition() const {
    return m_ready.size() > m_handedOut ? m_ready[m_handedOut].position : m_nextExpected;
}

int64_t CSxAutoStmBase::NextReadPosition() const {
    if (m_ready.size() > m_handedOut) return m_ready.back().position + m_ready.back().size;
    return m_nextExpected;
}

void CSxAutoStmBase::Flush() {
    while (m_ready.size() > m_handedOut) {
        const ReadyBuffer& buffer = m_ready.back();
        m_buffered -= buffer.counted;
        m_device->ReleaseIOBlock(buffer.block);
        m_ready.pop_back();
    }
    m_inFlightDropped = m_inFlight;
}

void CSxAutoStmBase::UpdateSchedulingStatus() {
    const bool endOfFile = m_heuristics.loopEnd == 0 && Is(SxTask_FileOpen) && NextReadPosition() >= m_desc.fileSize;
    if (endOfFile)
        SetFlag(SxTask_EndOfFile);
    else
        ClearFlag(SxTask_EndOfFile);
    const bool needed = m_started && !m_error && !endOfFile && !Is(SxTask_ToBeDestroyed);
    const bool waiting = needed && m_buffered < Target();
    if (needed)
        SetFlag(SxTask_NeedsScheduling);
    else
        ClearFlag(SxTask_NeedsScheduling);
    if (waiting && !Is(SxTask_Waiting)) {
        SetFlag(SxTask_Waiting);
        m_device->IncrementAutoWaiting();
    } else if (!waiting && Is(SxTask_Waiting)) {
        ClearFlag(SxTask_Waiting);
        m_device->DecrementAutoWaiting();
    }
}

void CSxAutoStmBase::Destroy() {
    // Once marked and unlocked, the task is the IO thread's to delete: the device is taken
    // before the lock goes.
    CSxDeviceBase* device;
    {
        platform::Lock lock(m_lock);
        SetFlag(SxTask_ToBeDestroyed);
        Flush();
        // The client's buffers go with the stream.
        for (; m_handedOut > 0; --m_handedOut) {
            m_device->ReleaseIOBlock(m_ready.front().block);
            m_ready.pop_front();
        }
        UpdateSchedulingStatus();
        device = m_device;
    }
    device->NotifyTaskReleased();
}

void CSxAutoStmBase::QueryInfo(SxStreamInfo& info) {
    platform::Lock lock(m_lock);
    FillInfo(info);
}

void CSxAutoStmBase::Heuristics(SxAutoStmHeuristics& heuristics) {
    platform::Lock lock(m_lock);
    heuristics = m_heuristics;
}

SXRESULT CSxAutoStmBase::ChangeHeuristics(const SxAutoStmHeuristics& heuristics) {
    if (heuristics.priority < 0 || heuristics.priority > 100) return SX_InvalidParameter;
    platform::Lock lock(m_lock);
    const uint32_t oldStart = m_heuristics.loopStart, oldEnd = m_heuristics.loopEnd;
    ApplyHeuristics(heuristics);
    const uint32_t loopEnd = m_heuristics.loopEnd;
    if (loopEnd != 0 && (m_heuristics.loopStart != oldStart || loopEnd != oldEnd)) {
        // What was read ahead past the new loop end will not be played from there.
        while (m_ready.size() > m_handedOut && m_ready.back().position >= loopEnd) {
            m_buffered -= m_ready.back().counted;
            m_device->ReleaseIOBlock(m_ready.back().block);
            m_ready.pop_back();
        }
        if (m_inFlight && m_inFlightPosition >= loopEnd) m_inFlightDropped = true;
    }
    UpdateSchedulingStatus();
    return SX_Success;
}

SXRESULT CSxAutoStmBase::ChangeMinimumBufferSize(uint32_t minBufferSize) {
    platform::Lock lock(m_lock);
    uint64_t minimum = m_effectiveBlockSize;
    if (minBufferSize)
        minimum = (uint64_t(minBufferSize) + m_effectiveBlockSize - 1) / m_effectiveBlockSize * m_effectiveBlockSize;
    if (minimum > m_transferSize) {
        m_error = true;
        UpdateSchedulingStatus();
        SignalClient();
        return SX_Fail;
    }
    m_minBufferSize = static_cast<uint32_t>(minimum);
    return SX_Success;
}

SXRESULT CSxAutoStmBase::BufferingState(uint32_t& outBuffering) {
    platform::Lock lock(m_lock);
    outBuffering = static_cast<uint32_t>(std::min<uint64_t>(m_buffered, 0xFFFFFFFFu));
    if (m_error) return SX_Fail;
    const bool stalled = m_started && ((!Is(SxTask_Waiting) && !m_inFlight) || m_device->MemoryFull());
    if (stalled) return SX_NoMoreData;
    return m_ready.size() > m_handedOut ? SX_DataReady : SX_NoDataReady;
}

uint32_t CSxAutoStmBase::TargetBufferSize() {
    platform::Lock lock(m_lock);
    return Target();
}

SXRESULT CSxAutoStmBase::Start() {
    platform::Lock lock(m_lock);
    if (m_error) return SX_Fail;
    m_started = true;
    UpdateSchedulingStatus();
    return SX_Success;
}

SXRESULT CSxAutoStmBase::Stop() {
    platform::Lock lock(m_lock);
    m_started = false;
    Flush();
    UpdateSchedulingStatus();
    return SX_Success;
}

uint64_t CSxAutoStmBase::Tell(bool* endOfFile) {
    platform::Lock lock(m_lock);
    const int64_t position = CurrentPosition();
    if (endOfFile) *endOfFile = Is(SxTask_FileOpen) && position >= m_desc.fileSize;
    return static_cast<uint64_t>(position);
}

SXRESULT CSxAutoStmBase::Seek(int64_t offset, SxMoveMethod method, int64_t* realOffset) {
    platform::Lock lock(m_lock);
    int64_t origin = 0, target = 0;
    if (SeekTarget(offset, method, CurrentPosition(), origin, target) != SX_Success) return SX_InvalidParameter;
    if (realOffset) *realOffset = target - origin;
    if (!(m_ready.size() > m_handedOut && m_ready[m_handedOut].position == target)) Flush();
    m_nextExpected = target;
    UpdateSchedulingStatus();
    return SX_Success;
}

SXRESULT CSxAutoStmBase::NextBuffer(void*& buffer, uint32_t& size, bool wait) {
    Guard lock(m_lock);
    buffer = nullptr;
    size = 0;
    for (;;) {
        if (m_error) return SX_Fail;
        if (m_ready.size() > m_handedOut) {
            const ReadyBuffer& ready = m_ready[m_handedOut];
            if (ready.position == m_nextExpected) {
                ++m_handedOut;
                m_nextExpected += ready.size;
                m_buffered -= ready.counted;
                buffer = ready.block->data + ready.offset;
                size = ready.size;
                UpdateSchedulingStatus();
                const bool last = Is(SxTask_FileOpen) && ready.position + ready.size >= m_desc.fileSize;
                return last ? SX_NoMoreData : SX_DataReady;
            }
            // The client left the read-ahead path (did not follow the loop, or moved): read
            // from where it is, without wrapping any more.
            m_heuristics.loopEnd = 0;
            Flush();
            UpdateSchedulingStatus();
        }
        if (Is(SxTask_FileOpen) && m_nextExpected >= m_desc.fileSize) return SX_NoMoreData;
        if (!wait) return SX_NoDataReady;
        // Nothing will come: not reading, no IO memory at all, or the IO memory is full while
        // this client holds buffers it has yet to give back.
        const bool starved = m_device->MemoryFull() && (m_handedOut > 0 || !m_device->HasIOMemory());
        if ((!Is(SxTask_NeedsScheduling) && !m_inFlight) || starved) return SX_NoDataReady;
        WaitForSignal(lock);
    }
}

SXRESULT CSxAutoStmBase::ReturnBuffer() {
    platform::Lock lock(m_lock);
    if (m_handedOut == 0) return SX_Fail;
    m_device->ReleaseIOBlock(m_ready.front().block);
    m_ready.pop_front();
    --m_handedOut;
    UpdateSchedulingStatus();
    return SX_Success;
}

bool CSxAutoStmBase::CanBeDestroyed() {
    platform::Lock lock(m_lock);
    return !m_inFlight;
}

void CSxAutoStmBase::ForceFinalState() {
    platform::Lock lock(m_lock);
    m_started = false;
    Flush();
    UpdateSchedulingStatus();
    SignalClient();
}

SXRESULT CSxAutoStmBase::PrepareTransfer(SxTransfer& transfer) {
    platform::Lock lock(m_lock);
    if (!Is(SxTask_NeedsScheduling) || Is(SxTask_ToBeDestroyed) || m_error) return SX_NoMoreData;
    int64_t position = NextReadPosition();
    if (m_heuristics.loopEnd != 0 && position >= m_heuristics.loopEnd) position = m_heuristics.loopStart;
    uint32_t size = m_transferSize;
    if (Is(SxTask_FileOpen)) {
        const int64_t left = m_desc.fileSize - position;
        if (left <= 0) {
            UpdateSchedulingStatus();
            return SX_NoMoreData;
        }
        if (size > left) size = static_cast<uint32_t>(left);
    }
    const int64_t loopEnd = m_heuristics.loopEnd;
    uint32_t counted = size;
    if (loopEnd != 0 && position + size > loopEnd) counted = position < loopEnd ? uint32_t(loopEnd - position) : 0;
    if (SxIOBlock* cached = m_device->FindCachedIOBlock(m_fileID, position, size)) {
        // Another stream of this file read it already: no transfer.
        m_ready.push_back({cached, 0, position, size, counted});
        m_buffered += counted;
        UpdateSchedulingStatus();
        SignalClient();
        return SX_NoMoreData;
    }
    SxIOBlock* block = m_device->GetIOBlock();  // raises memory-full when none is left
    if (!block) {
        SignalClient();  // a waiting client may have nothing left to wait for
        return SX_NoMoreData;
    }
    block->position = position;
    m_buffered += counted;
    transfer.buffer = block->data;
    transfer.block = block;
    transfer.countedBytes = counted;
    transfer.info.filePosition = uint64_t(m_desc.sector) * m_blockSize + uint64_t(position);
    transfer.info.bufferSize = m_device->Granularity();
    transfer.info.requestedSize = size;
    m_inFlight = true;
    m_inFlightDropped = false;
    m_inFlightPosition = position;
    StampService();
    UpdateSchedulingStatus();
    return SX_Success;
}

void CSxAutoStmBase::Update(SxTransfer& transfer, SXRESULT result) {
    platform::Lock lock(m_lock);
    const bool dropped = m_inFlightDropped;
    m_inFlight = false;
    m_inFlightDropped = false;
    if (!transfer.block) {
        m_error = true;  // the file could not be opened, or no transfer could be prepared
    } else if (dropped || Is(SxTask_ToBeDestroyed) || result != SX_Success) {
        m_buffered -= transfer.countedBytes;
        if (result != SX_Success && !dropped && !Is(SxTask_ToBeDestroyed)) m_error = true;
        m_device->ReleaseIOBlock(transfer.block);
    } else {
        m_device->CacheIOBlock(transfer.block, m_fileID, transfer.info.requestedSize);
        m_ready.push_back({transfer.block, 0, m_inFlightPosition, transfer.info.requestedSize, transfer.countedBytes});
    }
    UpdateSchedulingStatus();
    SignalClient();
}

float CSxAutoStmBase::DeadlineMs() {
    platform::Lock lock(m_lock);
    return static_cast<float>(double(m_buffered) / m_heuristics.throughput);
}

}  // namespace SX::StreamMgr
