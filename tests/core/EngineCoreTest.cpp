#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/ConfigFile.h"
#include "core/EngineCore.h"
#include "core/GamePause.h"
#include "core/MessageSystem.h"
#include "core/ProfileEvent.h"
#include "platform/os/Clock.h"
#include "support/TempTree.h"

namespace {

std::vector<std::string> g_calls;

// Records every call; on frame work it advances the manual clock to simulate its cost.
class RecordingSystem : public SD::ISystem {
public:
    RecordingSystem(std::string name, platform::ManualClock* clock = nullptr, bool throwOnShutdown = false)
        : name_(std::move(name)), clock_(clock), throwOnShutdown_(throwOnShutdown) {}
    ~RecordingSystem() override { g_calls.push_back("delete " + name_); }
    const char* GetName() const override { return name_.c_str(); }
    void ReadConfig(SD::ConfigFile& config) override {
        g_calls.push_back("config " + name_ + " [" + config.GetSection() + "]");
    }
    void Initialize() override { g_calls.push_back("init " + name_); }
    void Shutdown() override {
        g_calls.push_back("shutdown " + name_);
        if (throwOnShutdown_) throw std::runtime_error("shutdown failed");
    }
    void Update(float dt) override {
        dts.push_back(dt);
        g_calls.push_back("update " + name_);
        if (clock_) clock_->Advance(work);
    }
    std::vector<float> dts;
    double work = 0.0;

private:
    std::string name_;
    platform::ManualClock* clock_;
    bool throwOnShutdown_;
};

class EngineCoreTest : public ::testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
};

// A frame's time is the wall clock from the start of the frame before: the work of a frame, the
// wait of the frame limiter and whatever the driver does between frames all count. The first
// frame, and the one after a discounted frame, count one fixed step; a stall counts as the
// longest frame.
TEST_F(EngineCoreTest, AFrameCountsTheWallClockSinceTheFrameBefore) {
    SD::Core core;
    RecordingSystem system("S", &clock);
    core.AddSystem(&system, false);
    const struct {
        double work;          // advanced during the frame
        double between;       // advanced after it, as a driver or the presentation would
        bool discount;        // the frame loads something
        double expectedNext;  // the next frame's time
    } frames[] = {
        {0.030, 0.0, false, 0.030},
        {0.2, 0.3, false, 0.5},
        {0.4, 0.0, true, SD::FixedSteps::kStep},
        {3.0, 0.0, false, SD::Core::kLongestFrame},
        {0.125, 0.0, false, 0.125},
    };
    core.RunFrame();
    EXPECT_FLOAT_EQ(system.dts.back(), static_cast<float>(SD::FixedSteps::kStep));
    for (const auto& f : frames) {
        system.work = f.work;
        core.RunFrame();
        if (f.discount) core.DiscountFrameTime();
        clock.Advance(f.between);
        system.work = 0.0;
        core.RunFrame();
        EXPECT_NEAR(system.dts.back(), f.expectedNext, 1e-6) << f.work;
        EXPECT_NEAR(core.GetFrameTime(), f.expectedNext, 1e-6) << f.work;
    }
    // The smoothed reading lags behind the frames it evens out.
    EXPECT_GT(core.GetSmoothedFrameTime(), 0.0);
    EXPECT_LT(core.GetSmoothedFrameTime(), SD::Core::kLongestFrame);
}

// Steps and frames of systems in the order the core calls them.
class SteppingSystem : public RecordingSystem {
public:
    using RecordingSystem::RecordingSystem;
    bool TakesFixedSteps() const override { return true; }
    void FixedUpdate(float step) override {
        steps.push_back(step);
        g_calls.push_back(std::string("step ") + GetName());
    }
    std::vector<float> steps;
};

// The fixed steps a frame's time makes due run where the first stepping system stands, each step
// through every stepping system in order, before any of them has its frame; what is left short of
// a step waits for the next frame, and a paused frame makes none.
TEST_F(EngineCoreTest, FixedStepsInterleaveWhereTheFirstSteppingSystemStands) {
    SD::Core core;
    RecordingSystem input("Input", &clock), late("Late");
    SteppingSystem physics("Physics"), components("Components");
    core.AddSystem(&input, false);
    core.AddSystem(&physics, false);
    core.AddSystem(&late, false);
    core.AddSystem(&components, false);
    core.RunFrame();  // the first frame: one step
    EXPECT_EQ(g_calls, (std::vector<std::string>{"update Input", "step Physics", "step Components", "update Physics",
                                                 "update Late", "update Components"}));
    const struct {
        double frame;
        bool paused;
        int steps;
    } frames[] = {{0.04, false, 2}, {0.01, false, 1}, {0.01, false, 0}, {0.5, true, 0}, {0.01, false, 1}};
    for (const auto& f : frames) {
        // The frame's time is the work of the frame before, done in the input system.
        input.work = f.frame;
        core.RunFrame();
        input.work = 0.0;
        core.SetPaused(f.paused);
        g_calls.clear();
        core.RunFrame();
        int seen = 0;
        for (const std::string& call : g_calls) seen += call == "step Physics";
        EXPECT_EQ(seen, f.steps) << f.frame;
        if (f.steps > 0) {
            EXPECT_EQ(g_calls[1], "step Physics");
        }
        core.SetPaused(false);
    }
    for (float step : components.steps) EXPECT_FLOAT_EQ(step, static_cast<float>(SD::FixedSteps::kStep));
    EXPECT_EQ(physics.steps.size(), components.steps.size());
}

// The same seconds make the same steps whatever the frames, the clock's rounding of each frame
// to whole counts included.
TEST(FixedSteps, TheSameSecondsMakeTheSameStepsAtAnyFrameRate) {
    for (const double frame : {1.0 / 144.0, 1.0 / 60.0, 1.0 / 20.0, 1.0 / 8.0, 0.3}) {
        SD::FixedSteps clock;
        int steps = 0;
        const int frames = static_cast<int>(std::lround(6.0 / frame));
        for (int i = 0; i < frames; ++i) {
            const double rounded = std::floor(frame * 1e9) * 1e-9;  // truncated to nanoseconds
            steps += clock.Advance(rounded);
        }
        EXPECT_EQ(steps, 360) << frame;
        EXPECT_LT(clock.Behind(), SD::FixedSteps::kStep);
    }
    SD::FixedSteps clock;
    EXPECT_EQ(clock.Advance(-1.0), 0);
    EXPECT_EQ(clock.Behind(), 0.0);
}

// Records the core's announcements: pause edges and the per-system profiling events.
struct Announcements {
    std::vector<std::string> seen;
    void OnPause(SD::IMessage* m) { seen.push_back(static_cast<SD::GamePause*>(m)->paused ? "pause" : "resume"); }
    void OnProfile(SD::IMessage* m) { seen.push_back("profile " + static_cast<SD::ProfileEvent*>(m)->name); }
};

TEST_F(EngineCoreTest, PauseEdgesAreAnnouncedOnceAndSystemsGetZero) {
    SD::Message_System::DestroyInstance();
    Announcements heard;
    SD::Message_System* messages = SD::Message_System::GetInstance();
    messages->RegisterHandler(SD::MessageIds::GamePause, &heard, &Announcements::OnPause);
    messages->RegisterHandler(SD::MessageIds::ProfileEvent, &heard, &Announcements::OnProfile);

    SD::Core core;
    RecordingSystem system("S", &clock);
    system.work = 0.02;
    core.AddSystem(&system, false);
    const bool pausedPerFrame[] = {false, true, true, false, false};
    double pausedFrameTime = 0.0;
    for (bool paused : pausedPerFrame) {
        core.SetPaused(paused);
        core.RunFrame();
        if (paused) pausedFrameTime = core.GetFrameTime();
    }
    const std::vector<std::string> expected = {"profile S", "pause",     "profile S", "profile S",
                                               "resume",    "profile S", "profile S"};
    EXPECT_EQ(heard.seen, expected);
    ASSERT_EQ(system.dts.size(), 5u);
    EXPECT_GT(system.dts[0], 0.0f);
    EXPECT_EQ(system.dts[1], 0.0f);
    EXPECT_EQ(system.dts[2], 0.0f);
    EXPECT_FLOAT_EQ(system.dts[3], 0.02f);
    EXPECT_DOUBLE_EQ(pausedFrameTime, 0.02);  // the frame time is measured while paused
    SD::Message_System::DestroyInstance();
}

// The core keeps one profiling event per system across frames: each frame's event still
// carries the name the system gives that frame and that frame's time.
TEST_F(EngineCoreTest, ProfilingEventsFollowEachSystemsNameEveryFrame) {
    SD::Message_System::DestroyInstance();
    struct Timings {
        std::vector<std::string> names;
        std::vector<double> seconds;
        void On(SD::IMessage* m) {
            names.push_back(static_cast<SD::ProfileEvent*>(m)->name);
            seconds.push_back(static_cast<SD::ProfileEvent*>(m)->seconds);
        }
    } timings;
    SD::Message_System::GetInstance()->RegisterHandler(SD::MessageIds::ProfileEvent, &timings, &Timings::On);
    class Renaming : public SD::ISystem {
    public:
        const char* GetName() const override { return name.c_str(); }
        void Update(float) override {}
        std::string name = "Short";
    } renaming;
    SD::Core core;
    RecordingSystem slow("SlowSystemWithAName", &clock);
    slow.work = 0.25;
    core.AddSystem(&renaming, false);
    core.AddSystem(&slow, false);
    core.RunFrame();
    renaming.name = "ANameLongerThanTheFirstByFar";
    slow.work = 0.5;
    core.RunFrame();
    renaming.name = "";
    core.RunFrame();
    EXPECT_EQ(timings.names, (std::vector<std::string>{"Short", "SlowSystemWithAName", "ANameLongerThanTheFirstByFar",
                                                       "SlowSystemWithAName", "", "SlowSystemWithAName"}));
    ASSERT_EQ(timings.seconds.size(), 6u);
    EXPECT_DOUBLE_EQ(timings.seconds[1], 0.25);
    EXPECT_DOUBLE_EQ(timings.seconds[3], 0.5);
    EXPECT_DOUBLE_EQ(timings.seconds[4], 0.0);
    SD::Message_System::DestroyInstance();
}

TEST_F(EngineCoreTest, TheClockRunsThroughPauses) {
    SD::Core* core = SD::Core::CreateInstance();
    clock.Advance(2.0);
    core->SetPaused(true);
    clock.Advance(1.0);
    EXPECT_DOUBLE_EQ(SD::Core::GetTime(), 3.0);
    delete core;
    EXPECT_EQ(SD::Core::GetInstance(), nullptr);
    EXPECT_EQ(SD::Core::GetTime(), 0.0);
}

// A held clock answers the time of the hold from any thread; released, it runs on, nothing lost.
TEST_F(EngineCoreTest, AHeldClockAnswersOneTimeToEveryThread) {
    std::unique_ptr<SD::Core> core(SD::Core::CreateInstance());
    clock.Advance(2.0);
    core->HoldClock(true);
    clock.Advance(1.0);
    double seen[2] = {0.0, 0.0};
    std::thread a([&seen] { seen[0] = SD::Core::GetTime(); });
    std::thread b([&seen] { seen[1] = SD::Core::GetTime(); });
    a.join();
    b.join();
    EXPECT_DOUBLE_EQ(seen[0], 2.0);
    EXPECT_DOUBLE_EQ(seen[1], 2.0);
    core->HoldClock(false);
    EXPECT_DOUBLE_EQ(SD::Core::GetTime(), 3.0);
}

class QuitAfter : public RecordingSystem {
public:
    QuitAfter(SD::Core& core, int frames) : RecordingSystem("Quitter"), core_(core), frames_(frames) {}
    void Update(float dt) override {
        RecordingSystem::Update(dt);
        if (--frames_ == 0) core_.Quit();
    }

private:
    SD::Core& core_;
    int frames_;
};

TEST_F(EngineCoreTest, LifecycleOrderAcrossSystems) {
    qvtest::TempTree tree;
    {
        RecordingSystem b("B");
        SD::Core core;
        core.AddSystem(new RecordingSystem("A"), true);
        core.AddSystem(&b, false);
        core.AddSystem(new QuitAfter(core, 2), true);
        core.AddSystem(nullptr, true);  // refused, never called
        SD::ConfigFile config;
        core.Configure(config);
        EXPECT_EQ(config.GetSection(), "Quitter");
        core.Run();
        EXPECT_TRUE(core.IsQuitting());
        g_calls.push_back("end");
    }
    const std::vector<std::string> expected = {
        "config A [A]",
        "config B [B]",
        "config Quitter [Quitter]",
        "init A",
        "init B",
        "init Quitter",
        "update A",
        "update B",
        "update Quitter",
        "update A",
        "update B",
        "update Quitter",
        "shutdown Quitter",
        "shutdown B",
        "shutdown A",
        "end",
        "delete A",
        "delete Quitter",
        "delete B",
    };
    EXPECT_EQ(g_calls, expected);
}

TEST_F(EngineCoreTest, ShutdownReachesEverySystemEvenWhenOneThrows) {
    SD::Core core;
    RecordingSystem a("A"), b("B", nullptr, true), c("C");
    core.AddSystem(&a, false);
    core.AddSystem(&b, false);
    core.AddSystem(&c, false);
    EXPECT_THROW(core.Shutdown(), std::runtime_error);
    const std::vector<std::string> expected = {"shutdown C", "shutdown B", "shutdown A"};
    EXPECT_EQ(g_calls, expected);
}

class Thrower : public RecordingSystem {
public:
    Thrower() : RecordingSystem("Thrower") {}
    void Update(float) override { throw std::logic_error("frame failed"); }
};

TEST_F(EngineCoreTest, AnExceptionLeavingTheLoopStillShutsDown) {
    SD::Core core;
    RecordingSystem a("A");
    Thrower t;
    core.AddSystem(&a, false);
    core.AddSystem(&t, false);
    EXPECT_THROW(core.Run(), std::logic_error);
    EXPECT_EQ(g_calls.back(), "shutdown A");
}

}  // namespace
