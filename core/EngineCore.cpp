#include "core/EngineCore.h"

#include <exception>

#include "core/ConfigFile.h"
#include "core/GamePause.h"
#include "core/MessageSystem.h"
#include "core/ProfileEvent.h"

namespace SD {
namespace {
Core* g_core = nullptr;
}

Core* Core::CreateInstance() {
    g_core = new Core();
    return g_core;
}

Core* Core::GetInstance() { return g_core; }

double Core::GetTime() {
    if (!g_core) return 0.0;
    return g_core->clockHeld_ ? g_core->heldTime_ : g_core->clock_.GetTime();
}

void Core::HoldClock(bool hold) {
    if (hold && !clockHeld_) heldTime_ = clock_.GetTime();
    clockHeld_ = hold;
}

Core::Core() = default;

Core::~Core() {
    for (ISystem* system : owned_) delete system;
    if (g_core == this) g_core = nullptr;
}

void Core::AddSystem(ISystem* system, bool owned) {
    if (!system) return;
    if (system->TakesFixedSteps()) {
        if (fixedSystems_.empty()) firstFixed_ = systems_.size();
        fixedSystems_.push_back(system);
    }
    systems_.push_back(system);
    if (owned) owned_.push_back(system);
}

void Core::Configure(ConfigFile& config) {
    for (ISystem* system : systems_) {
        config.SetSection(system->GetName());
        system->ReadConfig(config);
    }
}

void Core::Start() {
    for (ISystem* system : systems_) system->Initialize();
}

double Core::MeasureFrame() {
    const double start = clock_.GetTime();
    double measured = frameCount_ == 1 || discountFrame_ ? FixedSteps::kStep : start - frameStart_;
    frameStart_ = start;
    discountFrame_ = false;
    if (measured > kLongestFrame) measured = kLongestFrame;
    if (!(measured > 0.0)) measured = 0.0;
    return measured;
}

void Core::RunFrame() {
    ++frameCount_;
    frameTimer_.Restart();
    frameTime_ = MeasureFrame();
    smoothedFrameTime_ = 0.1 * frameTime_ + 0.9 * smoothedFrameTime_;
    double dt = frameTime_;

    if (previousPaused_ != paused_) {
        GamePause message(paused_);
        Message_System::GetInstance()->SendMessage(message);
    }
    if (paused_) dt = 0.0;
    previousPaused_ = paused_;
    const int steps = fixedSteps_.Advance(dt);

    // Each system keeps its profiling event from frame to frame; the name is copied afresh
    // into the capacity it already has.
    const size_t count = systems_.size();
    if (profileEvents_.size() < count) profileEvents_.resize(count, ProfileEvent(std::string()));
    for (size_t i = 0; i < count; ++i) {
        if (i == firstFixed_ && steps > 0 && !fixedSystems_.empty()) {
            ProfileScope scope(fixedEvent_);
            RunFixedSteps(steps, fixedSystems_);
        }
        ISystem* system = systems_[i];
        const char* name = system->GetName();
        profileEvents_[i].name.assign(name ? name : "");
        ProfileScope scope(profileEvents_[i]);
        system->Update(static_cast<float>(dt));
    }

    frameTimer_.WaitForFrame();
    if (IFrameObserver* observer = frameObserver_.Installed()) observer->AfterFrame(*this);
}

void Core::Run() {
    try {
        Start();
        while (!quit_) RunFrame();
        if (IFrameObserver* observer = frameObserver_.Installed()) observer->BeforeShutdown(*this);
    } catch (...) {
        Shutdown();
        throw;
    }
    Shutdown();
}

void Core::Shutdown() {
    std::exception_ptr first;
    for (auto it = systems_.rbegin(); it != systems_.rend(); ++it) {
        try {
            (*it)->Shutdown();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

}  // namespace SD
