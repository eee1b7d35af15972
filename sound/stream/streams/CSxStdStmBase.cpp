#include "sound/stream/streams/CSxStdStmBase.h"

#include <algorithm>
#include <cmath>

#include "platform/os/Clock.h"
#include "sound/stream/device/CSxDeviceBase.h"

namespace SX::StreamMgr {

using Guard = std::unique_lock<platform::CriticalSection>;

CSxStdStmBase::CSxStdStmBase(CSxDeviceBase* device, const SxFileDesc& desc, uint32_t blockSize, SxOpenMode openMode)
    : CSxStmTask(device, desc, blockSize), m_openMode(openMode) {}

void CSxStdStmBase::WaitForTransferInFlight(Guard& lock) {
    while (m_inFlight) WaitForSignal(lock);
}

void CSxStdStmBase::Destroy() {
    // Once marked and unlocked, the task is the IO thread's to delete: it is marked only after
    // the wait for a transfer in flight (which waits on the task's own event), and the device
    // is taken before the lock goes.
    CSxDeviceBase* device;
    {
        Guard lock(m_lock);
        if (m_status == SX_StmStatusPending) Finish(SX_StmStatusCancelled);
        m_status = SX_StmStatusCancelled;
        WaitForTransferInFlight(lock);
        SetFlag(SxTask_ToBeDestroyed);
        device = m_device;
    }
    device->NotifyTaskReleased();
}

void CSxStdStmBase::QueryInfo(SxStreamInfo& info) {
    platform::Lock lock(m_lock);
    FillInfo(info);
}

SXRESULT CSxStdStmBase::Read(void* buffer, uint32_t size, bool wait, uint8_t priority, float deadlineMs,
                             uint32_t& outSize) {
    return Execute(false, buffer, size, wait, priority, deadlineMs, outSize);
}

SXRESULT CSxStdStmBase::Write(void* buffer, uint32_t size, bool wait, uint8_t priority, float deadlineMs,
                              uint32_t& outSize) {
    return Execute(true, buffer, size, wait, priority, deadlineMs, outSize);
}

SXRESULT CSxStdStmBase::Execute(bool write, void* buffer, uint32_t size, bool wait, uint8_t priority, float deadlineMs,
                                uint32_t& outSize) {
    outSize = 0;
    if (!buffer || priority > 100 || deadlineMs < 0.0f) return SX_InvalidParameter;
    Guard lock(m_lock);
    if (m_status == SX_StmStatusPending || m_status == SX_StmStatusError) return SX_Fail;
    if (size % m_blockSize != 0) return SX_Fail;
    if (!write && Is(SxTask_FileOpen)) {
        const int64_t left = std::max<int64_t>(0, m_desc.fileSize - m_position);
        if (size > left) size = static_cast<uint32_t>(left);
    }
    m_buffer = buffer;
    m_requested = size;
    m_transferred = 0;
    if (size == 0) {
        m_status = SX_StmStatusCompleted;
        SetFlag(SxTask_EndOfFile);
        return SX_Success;
    }
    if (write)
        SetFlag(SxTask_Write);
    else
        ClearFlag(SxTask_Write);
    ClearFlag(SxTask_EndOfFile);
    SetPriority(priority);
    m_deadlineMs = deadlineMs;
    m_requestStamp = platform::QueryCounter();
    m_status = SX_StmStatusPending;
    SetFlag(SxTask_NeedsScheduling | SxTask_Waiting);
    m_device->IncrementStdWaiting();
    if (!wait) return SX_Success;
    while (m_status == SX_StmStatusPending) WaitForSignal(lock);
    outSize = m_transferred;
    return m_status == SX_StmStatusCompleted ? SX_Success : SX_Fail;
}

uint64_t CSxStdStmBase::Tell(bool* endOfFile) {
    platform::Lock lock(m_lock);
    if (endOfFile) *endOfFile = Is(SxTask_EndOfFile);
    return static_cast<uint64_t>(m_position);
}

SXRESULT CSxStdStmBase::Seek(int64_t offset, SxMoveMethod method, int64_t* realOffset) {
    platform::Lock lock(m_lock);
    if (m_status == SX_StmStatusPending) return SX_Fail;
    int64_t origin = 0, target = 0;
    if (SeekTarget(offset, method, m_position, origin, target) != SX_Success) return SX_InvalidParameter;
    m_position = target;
    if (realOffset) *realOffset = target - origin;
    if (Is(SxTask_FileOpen) && m_position >= m_desc.fileSize)
        SetFlag(SxTask_EndOfFile);
    else
        ClearFlag(SxTask_EndOfFile);
    return SX_Success;
}

void CSxStdStmBase::Cancel() {
    Guard lock(m_lock);
    if (m_status == SX_StmStatusPending) Finish(SX_StmStatusCancelled);
    WaitForTransferInFlight(lock);
}

void* CSxStdStmBase::Data(uint32_t& size) {
    platform::Lock lock(m_lock);
    size = m_transferred;
    return m_buffer;
}

SxStmStatus CSxStdStmBase::Status() {
    platform::Lock lock(m_lock);
    return m_status;
}

bool CSxStdStmBase::CanBeDestroyed() {
    platform::Lock lock(m_lock);
    return !m_inFlight;
}

void CSxStdStmBase::ForceFinalState() {
    platform::Lock lock(m_lock);
    if (m_status == SX_StmStatusPending) Finish(SX_StmStatusCancelled);
}

void CSxStdStmBase::Finish(SxStmStatus status) {
    m_status = status;
    if (Is(SxTask_Waiting)) m_device->DecrementStdWaiting();
    ClearFlag(SxTask_Waiting | SxTask_NeedsScheduling);
    SignalClient();
}

SXRESULT CSxStdStmBase::PrepareTransfer(SxTransfer& transfer) {
    platform::Lock lock(m_lock);
    if (m_status != SX_StmStatusPending || !Is(SxTask_NeedsScheduling) || Is(SxTask_ToBeDestroyed))
        return SX_NoMoreData;
    const bool write = Is(SxTask_Write);
    uint32_t size = std::min(m_requested - m_transferred, m_device->Granularity());
    const int64_t at = m_position + m_transferred;
    if (!write && Is(SxTask_FileOpen)) {
        const int64_t left = std::max<int64_t>(0, m_desc.fileSize - at);
        if (size > left) size = static_cast<uint32_t>(left);
    }
    if (size == 0) {
        // The file ended before the request was filled: what was read is the request.
        SetFlag(SxTask_EndOfFile);
        m_requested = m_transferred;
        m_position += m_requested;
        Finish(SX_StmStatusCompleted);
        return SX_NoMoreData;
    }
    transfer.buffer = static_cast<uint8_t*>(m_buffer) + m_transferred;
    transfer.info.filePosition = uint64_t(m_desc.sector) * m_blockSize + uint64_t(at);
    transfer.info.bufferSize = size;
    transfer.info.requestedSize = size;
    transfer.write = write;
    m_inFlight = true;
    StampService();
    return SX_Success;
}

void CSxStdStmBase::Update(SxTransfer& transfer, SXRESULT result) {
    platform::Lock lock(m_lock);
    const bool wasInFlight = m_inFlight;
    m_inFlight = false;
    if (m_status != SX_StmStatusPending) {
        SignalClient();  // a Cancel or Destroy waits for the transfer's end
        return;
    }
    if (result != SX_Success || !wasInFlight) {
        Finish(SX_StmStatusError);
        return;
    }
    m_transferred += transfer.info.requestedSize;
    const int64_t reached = m_position + m_transferred;
    if (transfer.write && reached > m_desc.fileSize) m_desc.fileSize = reached;
    if (!transfer.write && Is(SxTask_FileOpen) && reached >= m_desc.fileSize) {
        SetFlag(SxTask_EndOfFile);
        m_requested = m_transferred;
    }
    if (m_transferred >= m_requested) {
        m_position += m_requested;
        Finish(SX_StmStatusCompleted);
    }
}

float CSxStdStmBase::DeadlineMs() {
    platform::Lock lock(m_lock);
    const uint32_t granularity = m_device->Granularity();
    const uint32_t left = m_requested - m_transferred;
    const double transfers = left ? std::ceil(double(left) / granularity) : 1.0;
    const double ticksPerMs = double(platform::CounterFrequency()) / 1000.0;
    const double elapsed = double(m_device->Clock() - m_requestStamp) / ticksPerMs;
    return static_cast<float>(std::max(0.0, m_deadlineMs / transfers - elapsed));
}

}  // namespace SX::StreamMgr
