#pragma once
// The engine core: owns the systems in update order and runs the frame.
#include <memory>
#include <vector>

#include "core/ProfileEvent.h"
#include "core/System.h"
#include "core/Timer.h"

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

class Core {
public:
    static constexpr double kDefaultFrameTime = 0.016;
    // A measured frame above this is taken as a hitch and replaced by the default.
    static constexpr double kMaxFrameTime = 0.5;

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

    double GetFrameTime() const { return frameTime_; }
    double GetSmoothedFrameTime() const { return smoothedFrameTime_; }
    unsigned long GetFrameCount() const { return frameCount_; }
    bool IsQuitting() const { return quit_; }
    void Quit() { quit_ = true; }
    bool IsPaused() const { return paused_; }
    void SetPaused(bool paused) { paused_ = paused; }
    Timer& GetFrameTimer() { return frameTimer_; }
    // While held, GetTime answers the time read when the hold began and leaves the clock alone,
    // so the worker threads of a parallel phase may all read it. Main thread only.
    void HoldClock(bool hold);
    // Told after every frame; the core owns it. Null removes it.
    void SetFrameObserver(std::unique_ptr<IFrameObserver> observer) { frameObserver_ = std::move(observer); }
    const std::vector<ISystem*>& GetSystems() const { return systems_; }

private:
    std::vector<ISystem*> systems_;
    std::vector<ISystem*> owned_;
    std::vector<ProfileEvent> profileEvents_;  // one per system, in update order, reused every frame
    double frameTime_ = kDefaultFrameTime;
    double smoothedFrameTime_ = kDefaultFrameTime;
    bool quit_ = false;
    bool paused_ = false;
    bool previousPaused_ = false;
    unsigned long frameCount_ = 0;
    std::unique_ptr<IFrameObserver> frameObserver_;
    Stopwatch clock_;
    bool clockHeld_ = false;
    double heldTime_ = 0.0;
    Timer frameTimer_;
};

}  // namespace SD
