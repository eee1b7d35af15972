#pragma once
// The engine core: owns the systems in update order and runs the frame.
#include <cstddef>
#include <vector>

#include "core/FixedSteps.h"
#include "core/ProfileEvent.h"
#include "core/System.h"
#include "core/Timer.h"
#include "platform/Seam.h"

namespace SD {

class ConfigFile;
class Core;

// What the layer that starts a run hears after every frame: the runtime ends a bounded run
// there and hands each frame to whoever drives the game from outside.
class IFrameObserver {
public:
    virtual ~IFrameObserver() = default;
    virtual void AfterFrame(Core& core) = 0;
    // After the last frame, before any system shuts down: the world as the run left it.
    virtual void BeforeShutdown(Core& core) { (void)core; }
};

// A frame's time is the wall-clock time from the start of the frame before it, so game time keeps
// pace with the wall clock at any frame rate: a timed screen lasts its seconds at two frames a
// second as at sixty. The systems that simulate step on the fixed clock within that time.
class Core {
public:
    // The frame time read before the first frame.
    static constexpr double kDefaultFrameTime = 0.016;
    // A frame counts at most this long: a longer one is a stall (a debugger, a dragged window),
    // not a slow frame, and would only make the simulation catch up on time no one saw.
    static constexpr double kLongestFrame = 1.0;

    // Allocates the one core and publishes it; GetInstance returns it until it is destroyed.
    static Core* CreateInstance();
    static Core* GetInstance();
    // Seconds since the core was constructed (0 when there is none); runs through pauses.
    static double GetTime();

    Core();
    ~Core();  // deletes the owned systems in the order they were added
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    const char* GetName() const { return "Core"; }

    void AddSystem(ISystem* system, bool owned);
    void Configure(ConfigFile& config);
    void Start();
    void RunFrame();
    // Start, frames until quit, Shutdown; Shutdown runs also when an exception leaves the loop.
    void Run();
    // Every system's Shutdown in reverse update order; one that throws does not stop the others
    // (the first exception is rethrown once all have run).
    void Shutdown();

    // The last frame's time, also while paused (when the systems get 0).
    double GetFrameTime() const { return frameTime_; }
    // The frame time evened out over some ten frames, for readings such as a frame rate shown.
    double GetSmoothedFrameTime() const { return smoothedFrameTime_; }
    // The time the running frame takes is no game time: the next frame counts one fixed step.
    // The state manager calls it on the frame that loads a state, whose seconds of loading no
    // one plays through.
    void DiscountFrameTime() { discountFrame_ = true; }
    const FixedSteps& GetFixedSteps() const { return fixedSteps_; }
    unsigned long GetFrameCount() const { return frameCount_; }
    bool IsQuitting() const { return quit_; }
    void Quit() { quit_ = true; }
    bool IsPaused() const { return paused_; }
    void SetPaused(bool paused) { paused_ = paused; }
    Timer& GetFrameTimer() { return frameTimer_; }
    // While held, GetTime answers the time read when the hold began and leaves the clock alone,
    // so the worker threads of a parallel phase may all read it. Main thread only.
    void HoldClock(bool hold);
    // Told after every frame; it must outlive the run. A seam (docs/seams.md): while one is set
    // another is refused; null removes it.
    bool SetFrameObserver(IFrameObserver* observer) { return frameObserver_.Install(observer); }
    void RemoveFrameObserver(IFrameObserver* observer) { frameObserver_.Remove(observer); }
    const std::vector<ISystem*>& GetSystems() const { return systems_; }

private:
    double MeasureFrame();

    std::vector<ISystem*> systems_;
    std::vector<ISystem*> fixedSystems_;  // those that take fixed steps, in update order
    size_t firstFixed_ = 0;               // where the fixed steps run in the update order
    std::vector<ISystem*> owned_;
    std::vector<ProfileEvent> profileEvents_;  // one per system, in update order, reused every frame
    double frameTime_ = kDefaultFrameTime;
    double smoothedFrameTime_ = kDefaultFrameTime;
    double frameStart_ = 0.0;
    bool discountFrame_ = false;
    FixedSteps fixedSteps_;
    ProfileEvent fixedEvent_{"FixedSteps"};
    bool quit_ = false;
    bool paused_ = false;
    bool previousPaused_ = false;
    unsigned long frameCount_ = 0;
    platform::Seam<IFrameObserver> frameObserver_{"SD::IFrameObserver"};
    Stopwatch clock_;
    bool clockHeld_ = false;
    double heldTime_ = 0.0;
    Timer frameTimer_;
};

}  // namespace SD
