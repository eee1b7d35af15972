#include "core/WorkerPool.h"

#include "core/Random.h"

namespace SD {

ActiveObject::~ActiveObject() { thread_.Join(); }

bool ActiveObject::Resume() {
    if (thread_.Joinable()) return true;
    return thread_.Start([this] { ThreadProc(); }, {"SD::Worker"}).started;
}

void ActiveObject::ThreadProc() {
    Setup();
    Run();
}

void ActiveObject::StopAndWait() {
    stop_.store(true, std::memory_order_release);
    Interrupt();
    thread_.Join();
}

WorkerThread::WorkerThread(platform::Event* doneEvent) : doneEvent_(doneEvent) {}

WorkerThread::~WorkerThread() { Stop(); }

// Every worker's generator is seeded the same way, so a run does not depend on which worker
// took which job.
void WorkerThread::Setup() { SeedRandom(); }

void WorkerThread::QueueJob(JobFunction function, uintptr_t a, uintptr_t b, uintptr_t c) {
    {
        std::lock_guard<std::mutex> lock(jobMutex_);
        function_ = function;
        args_[0] = a;
        args_[1] = b;
        args_[2] = c;
        jobPending_ = true;
        doneEvent_->Reset();
    }
    jobEvent_.Set();
}

void WorkerThread::Stop() { StopAndWait(); }

// The job event also wakes the worker for a stop, so a job runs only when one is pending.
void WorkerThread::Interrupt() { jobEvent_.Set(); }

void WorkerThread::Run() {
    while (!StopRequested()) {
        if (jobEvent_.Wait(kWaitMs) != platform::WaitResult::Signalled) continue;
        JobFunction function;
        uintptr_t a, b, c;
        {
            std::lock_guard<std::mutex> lock(jobMutex_);
            if (!jobPending_) continue;
            jobPending_ = false;
            function = function_;
            a = args_[0];
            b = args_[1];
            c = args_[2];
        }
        if (function) function(a, b, c);
        // A job queued while this one ran has cleared the done event for itself.
        std::lock_guard<std::mutex> lock(jobMutex_);
        if (!jobPending_) doneEvent_->Set();
    }
}

WorkerPool& WorkerPool::GetInstance() {
    static WorkerPool pool;
    return pool;
}

WorkerPool::~WorkerPool() {
    StopAll();
    CloseEvents();
}

size_t WorkerPool::WorkerCountFor(unsigned processors) { return processors > 2 ? processors - 2 : 0; }

void WorkerPool::Start(unsigned processors) {
    StopAll();
    CloseEvents();
    const size_t count = WorkerCountFor(processors);
    doneEvents_.reserve(count);
    workers_.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        doneEvents_.push_back(std::make_unique<platform::Event>(true, false));
        auto worker = std::make_unique<WorkerThread>(doneEvents_.back().get());
        if (!worker->Resume()) {
            worker.reset();
            StopAll();
            CloseEvents();
            return;
        }
        workers_.push_back(std::move(worker));
    }
}

void WorkerPool::StopAll() {
    for (auto& worker : workers_) worker->Stop();
    workers_.clear();
}

void WorkerPool::CloseEvents() { doneEvents_.clear(); }

bool WorkerPool::QueueJob(size_t worker, JobFunction function, uintptr_t a, uintptr_t b, uintptr_t c) {
    if (worker >= workers_.size()) return false;
    workers_[worker]->QueueJob(function, a, b, c);
    return true;
}

bool WorkerPool::WaitForJob(size_t worker, uint32_t timeoutMs) {
    if (worker >= doneEvents_.size()) return false;
    return doneEvents_[worker]->Wait(timeoutMs) == platform::WaitResult::Signalled;
}

platform::Event* WorkerPool::DoneEvent(size_t worker) const {
    return worker < doneEvents_.size() ? doneEvents_[worker].get() : nullptr;
}

}  // namespace SD
