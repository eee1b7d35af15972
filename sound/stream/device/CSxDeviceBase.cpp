#include "sound/stream/device/CSxDeviceBase.h"

#include <utility>

#include "core/Logger.h"
#include "platform/os/Clock.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/stream/manager/SxStreamMgr.h"
#include "sound/stream/streams/CSxAutoStmBase.h"
#include "sound/stream/streams/CSxStdStmBase.h"

namespace SX::StreamMgr {

CSxDeviceBase::~CSxDeviceBase() { m_ioMemory.Term(); }

SXRESULT CSxDeviceBase::Init(const SxDeviceSettings& settings, uint32_t deviceID) {
    if (settings.granularity == 0) return SX_InvalidParameter;
    if (settings.ioMemorySize != 0 && settings.targetAutoStmBufferLength < 0.0f) return SX_InvalidParameter;
    m_granularity = settings.granularity;
    m_targetAutoStmBufferLength = settings.targetAutoStmBufferLength;
    m_deviceID = deviceID;
    m_maxConcurrentIO = settings.maxConcurrentIO ? settings.maxConcurrentIO : 1;
    if (m_ioMemory.Init(settings) != SX_Success) return SX_Fail;
    if (StartThread(settings.threadProperties) != SX_Success) return SX_Fail;
    m_threadStarted = true;
    return SX_Success;
}

SXRESULT CSxDeviceBase::Destroy(uint32_t timeoutMs) {
    if (m_threadStarted && !StopThread(timeoutMs)) {
        SD_WARNING(Debug::kLogError,
                   "Stream device %u: the IO thread did not stop within %u ms; streams are still open", m_deviceID,
                   timeoutMs);
        return SX_Fail;
    }
    // Tasks left when no thread ever ran (a failed Init) go now.
    while (m_tasks) {
        CSxStmTask* task = m_tasks;
        m_tasks = task->m_next;
        DeleteTask(task);
    }
    SxDelete(GetPoolID(), this);
    return SX_Success;
}

uint32_t CSxDeviceBase::CheckedBlockSize(SxFileDesc& desc) {
    const uint32_t blockSize = m_hook->BlockSize(desc);
    if (blockSize == 0 || blockSize > m_granularity || m_granularity % blockSize != 0) return 0;
    return blockSize;
}

template <typename T, typename... Args>
T* CSxDeviceBase::NewTask(Args&&... args) {
    if (T* task = SxNew<T>(GetPoolID(), std::forward<Args>(args)...)) return task;
    DeleteReleasedTasksOfAllDevices();
    return SxNew<T>(GetPoolID(), std::forward<Args>(args)...);
}

void CSxDeviceBase::DeleteReleasedTasks() {
    platform::Lock lock(m_lockTasks);
    CSxStmTask** link = &m_tasks;
    while (CSxStmTask* task = *link) {
        if (task != m_inService && task->Is(SxTask_ToBeDestroyed) && task->CanBeDestroyed()) {
            *link = task->m_next;
            DeleteTask(task);
        } else {
            link = &task->m_next;
        }
    }
}

SXRESULT CSxDeviceBase::CreateStd(const SxFileDesc& desc, SxOpenMode openMode, ISxStdStream*& stream,
                                  CSxStmTask*& task) {
    if (desc.fileSize < 0) return SX_InvalidParameter;
    SxFileDesc copy = desc;
    const uint32_t blockSize = CheckedBlockSize(copy);
    if (!blockSize) return SX_Fail;
    auto* stdStm = NewTask<CSxStdStmBase>(this, desc, blockSize, openMode);
    if (!stdStm) return SX_Fail;
    AddTask(stdStm);
    stream = stdStm;
    task = stdStm;
    return SX_Success;
}

SXRESULT CSxDeviceBase::CreateAuto(const SxFileDesc& desc, uint32_t fileID, const SxAutoStmHeuristics& heuristics,
                                   const SxAutoStmBufSettings* bufferSettings, ISxAutoStream*& stream,
                                   CSxStmTask*& task) {
    if (desc.fileSize < 0) return SX_InvalidParameter;
    SxFileDesc copy = desc;
    const uint32_t blockSize = CheckedBlockSize(copy);
    if (!blockSize) return SX_Fail;
    auto* autoStm = NewTask<CSxAutoStmBase>(this, desc, blockSize, fileID);
    if (!autoStm) return SX_Fail;
    SXRESULT result = autoStm->Init(heuristics, bufferSettings);
    if (result != SX_Success) {
        DeleteTask(autoStm);
        return result;
    }
    AddTask(autoStm);
    stream = autoStm;
    task = autoStm;
    return SX_Success;
}

void CSxDeviceBase::AddTask(CSxStmTask* task) {
    platform::Lock lock(m_lockTasks);
    task->m_next = m_tasks;
    m_tasks = task;
}

void CSxDeviceBase::DeleteTask(CSxStmTask* task) { SxDelete(GetPoolID(), task); }

SxIOBlock* CSxDeviceBase::GetIOBlock() {
    platform::Lock lock(m_lockThread);
    SxIOBlock* block = m_ioMemory.GetBlock();
    if (!block) RaiseMemoryFull();
    return block;
}

void CSxDeviceBase::ReleaseIOBlock(SxIOBlock* block) {
    platform::Lock lock(m_lockThread);
    m_ioMemory.ReleaseBlock(block);
    ClearMemoryFull();
}

SxIOBlock* CSxDeviceBase::FindCachedIOBlock(uint32_t fileID, int64_t position, uint32_t size) {
    platform::Lock lock(m_lockThread);
    return m_ioMemory.FindCached(fileID, position, size);
}

void CSxDeviceBase::CacheIOBlock(SxIOBlock* block, uint32_t fileID, uint32_t dataSize) {
    platform::Lock lock(m_lockThread);
    if (!m_ioMemory.Caching()) return;
    block->fileID = fileID;
    block->dataSize = dataSize;
}

void CSxDeviceBase::StampClock() { m_clock = platform::QueryCounter(); }

CSxStmTask* CSxDeviceBase::SchedulerFindNextTask(float& deadlineMs) {
    platform::Lock lock(m_lockTasks);
    StampClock();
    // With the IO memory full only standard streams compete, and waiting does not count.
    const bool memoryFull = MemoryFull();
    CSxStmTask* choice = nullptr;
    float choiceDeadline = 0.0f;
    CSxStmTask** link = &m_tasks;
    while (CSxStmTask* task = *link) {
        if (task->Is(SxTask_ToBeDestroyed) && task->CanBeDestroyed()) {
            *link = task->m_next;
            DeleteTask(task);
            continue;
        }
        link = &task->m_next;
        if (!task->Is(SxTask_NeedsScheduling) || (memoryFull && task->Is(SxTask_Auto))) continue;
        const float deadline = task->DeadlineMs();
        bool better;
        if (!choice) {
            better = true;
        } else if (!memoryFull && task->Is(SxTask_Waiting) != choice->Is(SxTask_Waiting)) {
            better = task->Is(SxTask_Waiting);
        } else if (deadline > 0.0f) {
            better = deadline < choiceDeadline;
        } else if (choiceDeadline > 0.0f || task->Priority() > choice->Priority()) {
            better = true;
        } else {
            // Equally late and equally urgent: the one served longer ago.
            better = task->Priority() == choice->Priority() && task->ServiceStamp() < choice->ServiceStamp();
        }
        if (better) {
            choice = task;
            choiceDeadline = deadline;
        }
    }
    deadlineMs = choiceDeadline;
    m_inService = choice;
    return choice;
}

void CSxDeviceBase::EndService() {
    platform::Lock lock(m_lockTasks);
    m_inService = nullptr;
}

bool CSxDeviceBase::StopAllTasks() {
    platform::Lock lock(m_lockTasks);
    CSxStmTask** link = &m_tasks;
    while (CSxStmTask* task = *link) {
        if (!task->Is(SxTask_ToBeDestroyed)) task->ForceFinalState();
        if (task->Is(SxTask_ToBeDestroyed) && task->CanBeDestroyed()) {
            *link = task->m_next;
            DeleteTask(task);
        } else {
            link = &task->m_next;
        }
    }
    return m_tasks == nullptr;
}

void CSxDeviceBlocking::PerformNextTransfer() {
    float deadline = 0.0f;
    CSxStmTask* task = SchedulerFindNextTask(deadline);
    if (!task) return;
    IncrementInFlight();
    SxTransfer transfer;
    if (task->HasDeferredOpen() && task->OpenDeferred() != SX_Success) {
        task->Update(transfer, SX_Fail);
    } else {
        const SXRESULT prepared = task->PrepareTransfer(transfer);
        if (prepared == SX_Success) {
            SxIoHeuristics heuristics;
            heuristics.deadline = deadline;
            heuristics.priority = task->Priority();
            const SXRESULT result =
                transfer.write ? m_blockingHook->Write(task->Desc(), heuristics, transfer.buffer, transfer.info)
                               : m_blockingHook->Read(task->Desc(), heuristics, transfer.buffer, transfer.info);
            task->Update(transfer, result);
        } else if (prepared != SX_NoMoreData) {
            task->Update(transfer, SX_NoTransferPrepared);
        }
    }
    EndService();
    DecrementInFlight();
}

}  // namespace SX::StreamMgr
