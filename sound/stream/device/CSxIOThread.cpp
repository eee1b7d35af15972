#include "sound/stream/device/CSxIOThread.h"

namespace SX::StreamMgr {

namespace {
// The stop sequence looks again at least this often for streams released meanwhile.
constexpr uint32_t kStopRetryMs = 100;
}  // namespace

void CSxIOThread::IncrementStdWaiting() {
    platform::Lock lock(m_lockThread);
    if (m_numStdWaiting++ == 0) m_evStdWaiting.Set();
}

void CSxIOThread::DecrementStdWaiting() {
    platform::Lock lock(m_lockThread);
    if (m_numStdWaiting > 0 && --m_numStdWaiting == 0) m_evStdWaiting.Reset();
}

void CSxIOThread::IncrementAutoWaiting() {
    platform::Lock lock(m_lockThread);
    if (m_numAutoWaiting++ == 0 && !m_memoryFull) m_evAutoWaiting.Set();
}

void CSxIOThread::DecrementAutoWaiting() {
    platform::Lock lock(m_lockThread);
    if (m_numAutoWaiting > 0 && --m_numAutoWaiting == 0) m_evAutoWaiting.Reset();
}

void CSxIOThread::RaiseMemoryFull() {
    platform::Lock lock(m_lockThread);
    m_memoryFull = true;
    if (m_numAutoWaiting > 0) m_evAutoWaiting.Reset();
}

void CSxIOThread::ClearMemoryFull() {
    platform::Lock lock(m_lockThread);
    m_memoryFull = false;
    if (m_numAutoWaiting > 0) m_evAutoWaiting.Set();
}

bool CSxIOThread::MemoryFull() {
    platform::Lock lock(m_lockThread);
    return m_memoryFull;
}

void CSxIOThread::IncrementInFlight() {
    platform::Lock lock(m_lockThread);
    if (++m_numInFlight >= m_maxConcurrentIO) m_evSlotFree.Reset();
}

void CSxIOThread::DecrementInFlight() {
    platform::Lock lock(m_lockThread);
    if (m_numInFlight > 0 && m_numInFlight-- == m_maxConcurrentIO) m_evSlotFree.Set();
}

SXRESULT CSxIOThread::StartThread(const SxThreadProperties& properties) {
    SxThread::Create(&CSxIOThread::Run, this, properties, m_thread, "SX::IOThread");
    return m_thread ? SX_Success : SX_Fail;
}

bool CSxIOThread::StopThread(uint32_t timeoutMs) {
    if (!m_thread) return true;
    m_evStop.Set();
    if (m_evEnded.Wait(timeoutMs) == platform::WaitResult::TimedOut) return false;
    m_thread.reset();  // joins
    return true;
}

void CSxIOThread::Run(void* context) {
    auto* self = static_cast<CSxIOThread*>(context);
    self->StampClock();
    platform::Event* slot[] = {&self->m_evStop, &self->m_evSlotFree};
    platform::Event* work[] = {&self->m_evStop, &self->m_evStdWaiting, &self->m_evAutoWaiting};
    for (;;) {
        if (platform::Event::WaitAny(slot, 2, platform::kInfinite) == 0) break;
        if (platform::Event::WaitAny(work, 3, platform::kInfinite) == 0) break;
        bool room;
        {
            platform::Lock lock(self->m_lockThread);
            room = self->m_numInFlight < self->m_maxConcurrentIO;
        }
        if (room) self->PerformNextTransfer();
    }
    while (!self->StopAllTasks()) self->m_evTaskReleased.Wait(kStopRetryMs);
    self->m_evEnded.Set();
}

}  // namespace SX::StreamMgr
