#pragma once
// A stream device: its IO thread, its streams (tasks, newest first), its IO memory and the
// low-level hook that moves the data. The scheduler picks the most urgent stream.
#include <cstdint>

#include "sound/stream/ISxLowLevelIO.h"
#include "sound/engine/stream/ISxStreams.h"
#include "sound/stream/device/CSxIOMemMgr.h"
#include "sound/stream/device/CSxIOThread.h"

namespace SX::StreamMgr {

class CSxStmTask;

class CSxDeviceBase : public CSxIOThread {
public:
    explicit CSxDeviceBase(ISxLowLevelIOHook* hook) : m_hook(hook) {}
    ~CSxDeviceBase() override;

    virtual SXRESULT Init(const SxDeviceSettings& settings, uint32_t deviceID);
    // Stops the thread and frees everything. SX_Fail, leaving the device running, when its
    // thread has not ended within the time given (streams still held by their clients).
    virtual SXRESULT Destroy(uint32_t timeoutMs);
    virtual SXRESULT CreateStd(const SxFileDesc& desc, SxOpenMode openMode, ISxStdStream*& stream, CSxStmTask*& task);
    virtual SXRESULT CreateAuto(const SxFileDesc& desc, uint32_t fileID, const SxAutoStmHeuristics& heuristics,
                                const SxAutoStmBufSettings* bufferSettings, ISxAutoStream*& stream, CSxStmTask*& task);

    ISxLowLevelIOHook* Hook() const { return m_hook; }
    uint32_t Granularity() const { return m_granularity; }
    double TargetAutoStmBufferLength() const { return m_targetAutoStmBufferLength; }
    uint32_t DeviceID() const { return m_deviceID; }
    int64_t Clock() const { return m_clock; }

    // IO memory, under the device's thread lock. Finding no block raises memory-full and
    // releasing one clears it, in the same lock, so no release can slip between the two.
    SxIOBlock* GetIOBlock();
    void ReleaseIOBlock(SxIOBlock* block);
    SxIOBlock* FindCachedIOBlock(uint32_t fileID, int64_t position, uint32_t size);
    // After a successful transfer: the block's data may serve other streams of the file.
    void CacheIOBlock(SxIOBlock* block, uint32_t fileID, uint32_t dataSize);
    bool HasIOMemory() const { return m_ioMemory.NumBlocks() > 0; }

    // Deletes a task that was never linked (its creation failed).
    void DeleteTask(CSxStmTask* task);
    // Deletes the streams their clients released that no transfer holds any more, so that
    // their memory serves a new stream.
    void DeleteReleasedTasks();

protected:
    // The task the device serves next, with its deadline; null when none needs scheduling.
    CSxStmTask* SchedulerFindNextTask(float& deadlineMs);
    // The transfer of the task the scheduler chose is over.
    void EndService();
    bool StopAllTasks() override;
    void StampClock() override;

private:
    void AddTask(CSxStmTask* task);
    // Makes a stream object, deleting released streams of every device once when the
    // manager's pool is full.
    template <typename T, typename... Args>
    T* NewTask(Args&&... args);
    // The block size the hook gives for the file: non-zero, at most the granularity and a
    // divisor of it; 0 when it is not.
    uint32_t CheckedBlockSize(SxFileDesc& desc);

    int64_t m_clock = 0;
    CSxStmTask* m_tasks = nullptr;
    CSxStmTask* m_inService = nullptr;  // the task the IO thread is serving, outside the list lock
    platform::CriticalSection m_lockTasks;
    CSxIOMemMgr m_ioMemory;
    ISxLowLevelIOHook* m_hook;
    uint32_t m_granularity = 0;
    double m_targetAutoStmBufferLength = 0.0;
    uint32_t m_deviceID = SX_INVALID_DEVICE_ID;
    bool m_threadStarted = false;
};

// Transfers are synchronous calls of the hook's Read and Write on the IO thread.
class CSxDeviceBlocking : public CSxDeviceBase {
public:
    explicit CSxDeviceBlocking(ISxIOHookBlocking* hook) : CSxDeviceBase(hook), m_blockingHook(hook) {}

protected:
    void PerformNextTransfer() override;

private:
    ISxIOHookBlocking* m_blockingHook;
};

}  // namespace SX::StreamMgr
