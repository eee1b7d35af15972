#pragma once
// Worker threads that wait for a job, run it and signal completion, and the pool that owns
// them. The pool starts two fewer workers than the machine has processors.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/os/Threads.h"

namespace SD {

// Owns one thread that runs the object's Setup and then its Run. The thread is created
// suspended: it starts when Resume is called, once the object is fully constructed.
class ActiveObject {
public:
    ActiveObject() = default;
    virtual ~ActiveObject();
    ActiveObject(const ActiveObject&) = delete;
    ActiveObject& operator=(const ActiveObject&) = delete;

    // Lets the thread run; false when it could not be started.
    bool Resume();

protected:
    virtual void Setup() = 0;
    virtual void Run() = 0;
    // Asks a running Run to look at the stop flag.
    virtual void Interrupt() {}
    // Sets the stop flag, interrupts and waits for the thread without a time-out.
    void StopAndWait();
    bool StopRequested() const { return stop_.load(std::memory_order_acquire); }

private:
    void ThreadProc();

    std::atomic<bool> stop_{false};  // set by the owning thread, read by this object's thread
    platform::Thread thread_;        // started and joined by the owning thread only
};

// A job takes three arguments that are wide enough to carry pointers.
using JobFunction = void (*)(uintptr_t, uintptr_t, uintptr_t);

class WorkerThread : public ActiveObject {
public:
    // A worker waits this long for a job before it looks at its stop flag again.
    static constexpr uint32_t kWaitMs = 1000;

    // doneEvent: a manual-reset event owned by the pool, set after every job.
    explicit WorkerThread(platform::Event* doneEvent);
    ~WorkerThread() override;

    // Stores the job and wakes the worker. The done event is cleared first, so that it
    // means "this job has finished". A job queued before the previous one was taken
    // replaces it.
    void QueueJob(JobFunction function, uintptr_t a, uintptr_t b, uintptr_t c);
    void Stop();

protected:
    void Setup() override;
    void Run() override;
    void Interrupt() override;

private:
    platform::Event* doneEvent_;  // owned by the pool; set by the worker, waited on by the caller
    platform::Event jobEvent_{false, false};
    // Guards the job slot below, written by QueueJob (the caller's thread) and taken by Run
    // (the worker's thread); also held while Run decides to set the done event.
    std::mutex jobMutex_;
    bool jobPending_ = false;         // guarded by jobMutex_
    JobFunction function_ = nullptr;  // guarded by jobMutex_
    uintptr_t args_[3] = {0, 0, 0};   // guarded by jobMutex_
};

class WorkerPool {
public:
    // The program's pool, created on first use and stopped at exit.
    static WorkerPool& GetInstance();

    WorkerPool() = default;
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // The number of workers for a machine with this many processors: two fewer, and none
    // on a machine with two or fewer.
    static size_t WorkerCountFor(unsigned processors);

    // Starts the workers for the given processor count (the machine's by default).
    // A pool that is already running is stopped first.
    void Start(unsigned processors = platform::ProcessorCount());
    void StopAll();

    size_t Size() const { return workers_.size(); }
    // Queues a job to one worker; false for an index out of range.
    bool QueueJob(size_t worker, JobFunction function, uintptr_t a, uintptr_t b, uintptr_t c);
    // Waits until the worker's last job has finished; false on time-out or a bad index.
    bool WaitForJob(size_t worker, uint32_t timeoutMs = platform::kInfinite);
    platform::Event* DoneEvent(size_t worker) const;

private:
    void CloseEvents();

    // Both lists belong to the thread that starts and stops the pool (the main thread); the
    // workers only see their own done event.
    std::vector<std::unique_ptr<WorkerThread>> workers_;
    std::vector<std::unique_ptr<platform::Event>> doneEvents_;
};

}  // namespace SD
