#include "platform/os/Threads.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>

namespace platform {
namespace {

thread_local std::string t_threadName = "main";

int NiceFor(ThreadPriority p) {
    switch (p) {
        case ThreadPriority::Idle:
            return 19;
        case ThreadPriority::Lowest:
            return 10;
        case ThreadPriority::BelowNormal:
            return 5;
        case ThreadPriority::Normal:
            return 0;
        case ThreadPriority::AboveNormal:
            return -5;
        case ThreadPriority::Highest:
            return -10;
        case ThreadPriority::TimeCritical:
            return -15;
    }
    return 0;
}

struct StartBlock {
    std::function<void()>* body;
    std::string name;
    ThreadPriority priority;
    std::mutex mutex;
    std::condition_variable cv;
    bool applied = false;
    bool priorityApplied = true;
};

void* ThreadMain(void* arg) {
    auto* block = static_cast<StartBlock*>(arg);
    std::function<void()>* body = block->body;
    t_threadName = block->name;
    // Priority on Linux is the thread's nice value, which only the thread itself can set.
    bool ok = true;
    if (block->priority != ThreadPriority::Normal) {
        ok = setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), NiceFor(block->priority)) == 0;
    }
    {
        std::lock_guard<std::mutex> lock(block->mutex);
        block->priorityApplied = ok;
        block->applied = true;
        // Under the lock: the starter destroys the block as soon as it sees applied.
        block->cv.notify_all();
    }
    (*body)();
    return nullptr;
}

}  // namespace

Thread::~Thread() { Join(); }

ThreadStartResult Thread::Start(std::function<void()> body, const ThreadOptions& options) {
    ThreadStartResult result;
    if (handle_ != 0) return result;
    body_ = std::make_unique<std::function<void()>>(std::move(body));
    name_ = options.name.substr(0, 15);

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    if (options.stackSize != 0) {
        size_t size = std::max<size_t>(options.stackSize, PTHREAD_STACK_MIN);
        long page = sysconf(_SC_PAGESIZE);
        size = (size + page - 1) / page * page;
        pthread_attr_setstacksize(&attr, size);
    }
    StartBlock block{body_.get(), name_, options.priority, {}, {}, false, true};
    pthread_t thread;
    if (pthread_create(&thread, &attr, &ThreadMain, &block) != 0) {
        pthread_attr_destroy(&attr);
        body_.reset();
        return result;
    }
    pthread_attr_destroy(&attr);
    handle_ = static_cast<unsigned long>(thread);
    if (!name_.empty()) pthread_setname_np(thread, name_.c_str());
    if (options.affinityMask != 0) {
        cpu_set_t set;
        CPU_ZERO(&set);
        for (unsigned i = 0; i < 64 && i < CPU_SETSIZE; ++i)
            if (options.affinityMask & (uint64_t(1) << i)) CPU_SET(i, &set);
        result.affinityApplied = pthread_setaffinity_np(thread, sizeof(set), &set) == 0;
    }
    std::unique_lock<std::mutex> lock(block.mutex);
    block.cv.wait(lock, [&] { return block.applied; });
    result.priorityApplied = block.priorityApplied;
    result.started = true;
    return result;
}

void Thread::Join() {
    if (handle_ == 0) return;
    pthread_join(static_cast<pthread_t>(handle_), nullptr);
    handle_ = 0;
    body_.reset();
}

std::string CurrentThreadName() { return t_threadName; }

unsigned ProcessorCount() {
    unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

// Never destroyed: threads owned by objects that die at exit may still wait on events then.
std::mutex& Event::SharedMutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

std::condition_variable& Event::SharedCondition() {
    static std::condition_variable* cv = new std::condition_variable;
    return *cv;
}

Event::Event(bool manualReset, bool initiallySet) : manualReset_(manualReset), set_(initiallySet) {}

void Event::Set() {
    {
        std::lock_guard<std::mutex> lock(SharedMutex());
        set_ = true;
    }
    SharedCondition().notify_all();
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(SharedMutex());
    set_ = false;
}

bool Event::TryConsumeLocked() {
    if (!set_) return false;
    if (!manualReset_) set_ = false;
    return true;
}

WaitResult Event::Wait(uint32_t timeoutMs) {
    Event* self = this;
    return WaitAny(&self, 1, timeoutMs) == 0 ? WaitResult::Signalled : WaitResult::TimedOut;
}

int Event::WaitAny(Event* const* events, int count, uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(SharedMutex());
    auto ready = [&]() -> int {
        for (int i = 0; i < count; ++i)
            if (events[i]->TryConsumeLocked()) return i;
        return -1;
    };
    int index = ready();
    if (index >= 0 || timeoutMs == 0) return index;
    if (timeoutMs == kInfinite) {
        SharedCondition().wait(lock, [&] { return (index = ready()) >= 0; });
        return index;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    SharedCondition().wait_until(lock, deadline, [&] { return (index = ready()) >= 0; });
    return index;
}

}  // namespace platform
