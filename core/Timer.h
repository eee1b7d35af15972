#pragma once
// Performance-counter timing: a stopwatch with an offset and a pause flag, and the timer
// that holds each frame to a target interval.
#include <cstdint>

namespace SD {

class Stopwatch {
public:
    Stopwatch();

    void Restart();       // time and offset 0, running, counting from now
    void RestartCount();  // running, counting from now; time and offset kept
    void Sample();
    double ElapsedSinceStart() const;  // from the last sample, without offset
    double GetTime();                  // seconds since start plus offset; frozen while paused

    void SetOffset(double seconds) { offset_ = seconds; }
    double GetOffset() const { return offset_; }
    void SetPaused(bool paused) { paused_ = paused; }
    bool IsPaused() const { return paused_; }

protected:
    int64_t startCount_;
    int64_t latestCount_;
    int64_t frequency_;
    double time_;
    double offset_;
    bool paused_;
};

class Timer : public Stopwatch {
public:
    Timer() = default;

    // Target interval 1 / fps; 0 or negative fps removes the limit.
    void SetFrameRate(double fps);
    double GetFrameInterval() const { return frameInterval_; }
    double GetLastTime() const { return lastTime_; }

    // Waits until the frame interval has passed since the last restart: sleeps for half of the
    // remaining milliseconds when that is 3 to 13, then spins. Records the elapsed time.
    void WaitForFrame();

private:
    double frameInterval_ = 0.0;
    double lastTime_ = 0.0;
};

}  // namespace SD
