#include "core/Timer.h"

#include "platform/os/Clock.h"

namespace SD {

Stopwatch::Stopwatch()
    : startCount_(platform::QueryCounter()),
      latestCount_(startCount_),
      frequency_(platform::CounterFrequency()),
      time_(0.0),
      offset_(0.0),
      paused_(false) {}

void Stopwatch::Restart() {
    time_ = offset_ = 0.0;
    paused_ = false;
    startCount_ = platform::QueryCounter();
    latestCount_ = startCount_;
}

void Stopwatch::RestartCount() {
    paused_ = false;
    startCount_ = platform::QueryCounter();
    latestCount_ = startCount_;
}

void Stopwatch::Sample() { latestCount_ = platform::QueryCounter(); }

double Stopwatch::ElapsedSinceStart() const {
    return static_cast<double>(latestCount_ - startCount_) / static_cast<double>(frequency_);
}

double Stopwatch::GetTime() {
    if (!paused_) {
        latestCount_ = platform::QueryCounter();
        time_ = static_cast<double>(latestCount_ - startCount_) / static_cast<double>(frequency_) + offset_;
    }
    return time_;
}

void Timer::SetFrameRate(double fps) { frameInterval_ = fps > 0.0 ? 1.0 / fps : 0.0; }

void Timer::WaitForFrame() {
    lastTime_ = GetTime();
    // Half the remaining milliseconds, truncated: 3 to 13 exactly when the half lies in [3, 14).
    // Compared before converting, so an absurd interval cannot overflow the conversion.
    double halfMs = (frameInterval_ - lastTime_) * 500.0;
    if (halfMs >= 3.0 && halfMs < 14.0) platform::Sleep(static_cast<uint32_t>(halfMs));
    // A paused reading never moves, so the wait could never end.
    while (!IsPaused() && frameInterval_ > lastTime_) lastTime_ = GetTime();
}

}  // namespace SD
