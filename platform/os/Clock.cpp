#include "platform/os/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {
namespace {

class SteadyClock : public Clock {
public:
    int64_t Counter() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start_).count();
    }
    int64_t Frequency() override { return 1'000'000'000; }
    void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

SteadyClock& RealClock() {
    static SteadyClock clock;
    return clock;
}

std::atomic<Clock*> g_clock{nullptr};

}  // namespace

Clock& CurrentClock() {
    Clock* c = g_clock.load(std::memory_order_acquire);
    return c ? *c : RealClock();
}

void SetClock(Clock* clock) { g_clock.store(clock, std::memory_order_release); }

int64_t QueryCounter() { return CurrentClock().Counter(); }
int64_t CounterFrequency() { return CurrentClock().Frequency(); }

uint32_t TickCount() {
    Clock& c = CurrentClock();
    return static_cast<uint32_t>(static_cast<uint64_t>(c.Counter() / (c.Frequency() / 1000)));
}

void Sleep(uint32_t ms) { CurrentClock().Sleep(ms); }

int64_t ManualClock::Counter() {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ += stepPerRead_;
    return now_;
}

void ManualClock::Sleep(uint32_t ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    sleeps_.push_back(ms);
    now_ += static_cast<int64_t>(ms) * (kFrequency / 1000);
}

void ManualClock::Advance(double seconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ += static_cast<int64_t>(seconds * kFrequency + (seconds >= 0 ? 0.5 : -0.5));
}

void ManualClock::SetStepPerRead(double seconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    stepPerRead_ = static_cast<int64_t>(seconds * kFrequency + 0.5);
}

std::vector<uint32_t> ManualClock::Sleeps() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sleeps_;
}

double ManualClock::Now() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<double>(now_) / kFrequency;
}

}  // namespace platform
