#pragma once
// What a device schedules: one stream, with its file, its lock, its flags and the clock value
// of its last service. The client thread waits on the stream's own event, outside its lock.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/os/Threads.h"
#include "sound/engine/stream/SxStreamTypes.h"
#include "sound/stream/device/CSxIOMemMgr.h"

namespace SX::StreamMgr {

class CSxDeviceBase;

enum SxTaskFlags : uint8_t {
    SxTask_Auto = 0x01,
    SxTask_Write = 0x02,
    SxTask_EndOfFile = 0x04,
    SxTask_ToBeDestroyed = 0x08,
    SxTask_FileOpen = 0x10,
    SxTask_Waiting = 0x20,  // counted as waiting in the device's counters
    SxTask_NeedsScheduling = 0x40,
};

// One transfer between the device and a stream.
struct SxTransfer {
    void* buffer = nullptr;
    SxIOTransferInfo info;
    SxIOBlock* block = nullptr;  // automatic streams: the IO block read into
    uint32_t countedBytes = 0;   // automatic streams: bytes counted as buffered
    bool write = false;
};

// Where a file not yet opened is to be found; the IO thread opens it before the first transfer.
struct SxDeferredOpen {
    bool byID = false;
    uint32_t fileID = 0;
    const wchar_t* name = nullptr;  // the record's own copy follows it in the same block
    bool hasFlags = false;
    SxFileSystemFlags flags;
    SxOpenMode openMode = SX_OpenModeRead;
};

// A manual-reset event made on first need; waiting resets it, signalling sets it.
class CSxClientThreadAware {
protected:
    // Called with the stream's lock held once; the wait happens outside it.
    void WaitForSignal(std::unique_lock<platform::CriticalSection>& lock);
    void SignalClient();

private:
    std::unique_ptr<platform::Event> m_event;
    bool m_clientWaiting = false;
};

class CSxStmTask : public CSxClientThreadAware {
public:
    CSxStmTask(CSxDeviceBase* device, const SxFileDesc& desc, uint32_t blockSize);
    virtual ~CSxStmTask();
    CSxStmTask(const CSxStmTask&) = delete;
    CSxStmTask& operator=(const CSxStmTask&) = delete;

    // Whether the IO thread may delete the task now (no transfer of it in flight).
    virtual bool CanBeDestroyed() = 0;
    // Forces the stream into its final state (the device is going).
    virtual void ForceFinalState() = 0;
    // SX_Success: transfer filled; SX_NoMoreData: nothing to transfer, the task saw to itself;
    // anything else: the device completes the task with SX_NoTransferPrepared.
    virtual SXRESULT PrepareTransfer(SxTransfer& transfer) = 0;
    virtual void Update(SxTransfer& transfer, SXRESULT result) = 0;
    virtual float DeadlineMs() = 0;

    // Takes a copy of what opening needs, the name included; false when out of memory.
    bool SetDeferredOpen(const SxDeferredOpen& record);
    bool HasDeferredOpen() const { return m_deferred != nullptr; }
    // The file was opened when the stream was made: the stream owns the descriptor now.
    void MarkFileOpen();
    // Opens the file through the resolver (IO thread); the result of the resolver.
    SXRESULT OpenDeferred();

    uint8_t Flags() const { return m_flags.load(std::memory_order_acquire); }
    bool Is(uint8_t flag) const { return (Flags() & flag) != 0; }
    uint8_t Priority() const { return m_priority.load(std::memory_order_relaxed); }
    int64_t ServiceStamp() const { return m_serviceStamp; }
    SxFileDesc& Desc() { return m_desc; }

    CSxStmTask* m_next = nullptr;  // the device's task list

protected:
    void SetFlag(uint8_t flag) { m_flags.fetch_or(flag, std::memory_order_acq_rel); }
    void ClearFlag(uint8_t flag) { m_flags.fetch_and(static_cast<uint8_t>(~flag), std::memory_order_acq_rel); }
    void SetPriority(uint8_t priority) { m_priority.store(priority, std::memory_order_relaxed); }
    void StampService();
    // After the file opened on the IO thread; under the stream's lock.
    virtual void OnFileOpened() {}
    SXRESULT SetNameInPool(const wchar_t* name);
    void FillInfo(SxStreamInfo& info);
    // Where a seek from current lands: its origin and the target, rounded down to a whole
    // block. SX_InvalidParameter for an unknown method or a target before the start or
    // beyond what a position holds.
    SXRESULT SeekTarget(int64_t offset, SxMoveMethod method, int64_t current, int64_t& origin, int64_t& target) const;

    SxDeferredOpen* m_deferred = nullptr;
    SxFileDesc m_desc;
    platform::CriticalSection m_lock;
    int64_t m_serviceStamp = 0;
    CSxDeviceBase* m_device;
    uint32_t m_blockSize;
    wchar_t* m_name = nullptr;

private:
    std::atomic<uint8_t> m_flags{0};
    std::atomic<uint8_t> m_priority{50};
};

}  // namespace SX::StreamMgr
