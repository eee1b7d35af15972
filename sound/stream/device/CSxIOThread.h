#pragma once
// The IO thread of a device and the counters that wake it: streams waiting for IO (standard
// and automatic apart), transfers in flight, and the memory-full flag that holds automatic
// streams back until the client gives a buffer back.
#include <cstdint>

#include "platform/os/Threads.h"
#include "sound/engine/thread/SxThread.h"
#include "sound/engine/stream/SxStreamTypes.h"

namespace SX::StreamMgr {

class CSxIOThread {
public:
    virtual ~CSxIOThread() = default;

    void IncrementStdWaiting();
    void DecrementStdWaiting();
    void IncrementAutoWaiting();
    void DecrementAutoWaiting();
    void RaiseMemoryFull();
    void ClearMemoryFull();
    bool MemoryFull();
    void IncrementInFlight();
    void DecrementInFlight();
    // Wakes the stop sequence early when a stream is released.
    void NotifyTaskReleased() { m_evTaskReleased.Set(); }

protected:
    SXRESULT StartThread(const SxThreadProperties& properties);
    // Signals stop and waits for the thread at most timeoutMs; false when it is still running.
    bool StopThread(uint32_t timeoutMs);

    // One transfer for the most urgent stream.
    virtual void PerformNextTransfer() = 0;
    // The stop sequence: tells every stream to stop and deletes those released; true when
    // none remain.
    virtual bool StopAllTasks() = 0;
    virtual void StampClock() = 0;

    platform::CriticalSection m_lockThread;
    uint32_t m_maxConcurrentIO = 1;

private:
    static void Run(void* context);

    SxThreadHandle m_thread;
    platform::Event m_evStop{true, false};
    platform::Event m_evSlotFree{true, true};
    platform::Event m_evStdWaiting{true, false};
    platform::Event m_evAutoWaiting{true, false};
    platform::Event m_evTaskReleased{false, false};
    platform::Event m_evEnded{true, false};
    uint32_t m_numStdWaiting = 0;
    uint32_t m_numAutoWaiting = 0;
    bool m_memoryFull = false;
    uint32_t m_numInFlight = 0;
};

}  // namespace SX::StreamMgr
