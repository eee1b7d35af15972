#pragma once
// Monotonic clock: the performance counter, the millisecond tick count and sleep.
// Tests install a ManualClock so that time only moves when they say so.
#include <cstdint>
#include <mutex>
#include <vector>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t Counter() = 0;    // performance counter, in counts
    virtual int64_t Frequency() = 0;  // counts per second
    virtual void Sleep(uint32_t ms) = 0;
};

// The clock in force (the real one unless a test installed another).
Clock& CurrentClock();
// Installs a clock; nullptr restores the real one. The caller keeps ownership.
void SetClock(Clock* clock);

int64_t QueryCounter();
int64_t CounterFrequency();
// Milliseconds since the clock's start, a 32-bit count that wraps at 2^32.
uint32_t TickCount();
void Sleep(uint32_t ms);

// A clock that advances only when told to: by Advance, by Sleep (which also records the
// request), and by a fixed step on every counter reading so that busy waits end.
class ManualClock : public Clock {
public:
    static constexpr int64_t kFrequency = 1'000'000'000;  // nanosecond counts
    int64_t Counter() override;
    int64_t Frequency() override { return kFrequency; }
    void Sleep(uint32_t ms) override;

    void Advance(double seconds);
    void SetStepPerRead(double seconds);
    std::vector<uint32_t> Sleeps() const;
    double Now() const;

private:
    mutable std::mutex mutex_;
    int64_t now_ = 0;
    int64_t stepPerRead_ = 0;
    std::vector<uint32_t> sleeps_;
};

// Installs a clock for the life of a scope.
class ScopedClock {
public:
    explicit ScopedClock(Clock& clock) { SetClock(&clock); }
    ~ScopedClock() { SetClock(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

}  // namespace platform
