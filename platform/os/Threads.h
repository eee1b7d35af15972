#pragma once
// Threads, events and locks.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace platform {

// Locks taken as critical sections: the code that holds one may take it again.
using CriticalSection = std::recursive_mutex;
using Lock = std::lock_guard<std::recursive_mutex>;

enum class ThreadPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };

struct ThreadOptions {
    std::string name;  // cut to the 15 characters Linux allows
    ThreadPriority priority = ThreadPriority::Normal;
    uint64_t affinityMask = 0;  // 0: any processor
    size_t stackSize = 0;       // 0: the system's default; smaller than the minimum is raised to it
};

// What could be applied of the options; a thread whose priority or affinity was refused runs anyway.
struct ThreadStartResult {
    bool started = false;
    bool priorityApplied = true;
    bool affinityApplied = true;
};

class Thread {
public:
    Thread() = default;
    ~Thread();  // joins a thread that is still running
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    ThreadStartResult Start(std::function<void()> body, const ThreadOptions& options = {});
    void Join();
    bool Joinable() const { return handle_ != 0; }
    const std::string& Name() const { return name_; }

private:
    unsigned long handle_ = 0;  // pthread_t
    std::string name_;
    std::unique_ptr<std::function<void()>> body_;
};

// The name the current thread carries (as set by Thread::Start).
std::string CurrentThreadName();
unsigned ProcessorCount();

enum class WaitResult { Signalled, TimedOut };
constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// An event: manual reset stays set until Reset; auto reset
// releases one waiter and clears itself.
class Event {
public:
    Event(bool manualReset, bool initiallySet);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    WaitResult Wait(uint32_t timeoutMs = kInfinite);

    // Waits until any of the events is set; returns its index, or -1 on time-out.
    static int WaitAny(Event* const* events, int count, uint32_t timeoutMs);

private:
    bool TryConsumeLocked();
    static std::mutex& SharedMutex();
    static std::condition_variable& SharedCondition();
    bool manualReset_;
    bool set_;
};

}  // namespace platform
