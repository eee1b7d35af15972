#include "runtime/Startup.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ConfigFile.h"
#include "core/ConfigVars.h"
#include "core/CrashHandler.h"
#include "core/EngineCore.h"
#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "core/RTTI.h"
#include "core/Random.h"
#include "core/WorkerPool.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/Level.h"
#include "engine/LevelLayerManager.h"
#include "engine/LuaComponentManager.h"
#include "engine/ScriptBindings.h"
#include "engine/ScriptHost.h"
#include "engine/Transformer.h"
#include "platform/os/Clock.h"
#include "platform/os/Dialogs.h"
#include "platform/os/Random.h"
#include "platform/tweak/TweakBar.h"
#include "platform/window/MessageIds.h"
#include "platform/window/Screen.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/InterpolatorSystem.h"
#include "runtime/Kinect.h"
#include "runtime/Registration.h"
#include "runtime/RuntimeScriptBindings.h"
#include "runtime/SplineSystem.h"
#include "runtime/Window.h"

namespace SD {
namespace {

constexpr int kLargestWindowSize = 16384;
constexpr int kLargestObjectPool = 1 << 20;

// The systems start-up builds itself; the core owns and deletes them.
struct OwnedSystems {
    Input_* input = nullptr;
    Window_* window = nullptr;
    GameStateManager_* states = nullptr;
    Factory_* factory = nullptr;
};

// The script objects' manager comes into being with the script host, after the systems are
// added; this place in the update order hands each frame to whichever manager is open.
class ScriptObjectsUpdate : public ISystem {
public:
    const char* GetName() const override { return "LuaComponentManager"; }
    void Update(float dt) override {
        if (LuaComponentManager* manager = LuaComponentManager::GetInstance()) manager->Update(dt);
    }
};

// One of the runtime's own systems: its name among the systems' places and its maker. The
// runtime's systems run in the order they are listed here; the supplied ones find their places
// among them.
struct OwnSystem {
    const char* name;
    std::function<ISystem*()> make;
    bool ownedByCore;
};

std::vector<OwnSystem> OwnSystems(OwnedSystems& owned, const WindowSettings& window, int totalObjects) {
    return {
        {"MessageSystem", [] { return Message_System::GetInstance(); }, false},
        {"Input", [&owned] { return owned.input = new Input_(); }, true},
        {"Window",
         [&owned, &window] {
             return owned.window = new Window_(window.title, static_cast<uint32_t>(window.width),
                                               static_cast<uint32_t>(window.height), window.windowFullScreen,
                                               platform::show::kNormal);
         },
         true},
        {"SplineSystem", [] { return &Spline_System::GetInstance(); }, false},
        {"InterpolatorSystem", [] { return &InterpolatorSystem::GetInstance(); }, false},
        {"Kinect", [] { return Kinect_::GetInstance(); }, false},
        {"ComponentManager", [] { return new ComponentManager_(); }, true},
        // Script-driven objects are updated right after the components.
        {"LuaComponentManager", [] { return new ScriptObjectsUpdate(); }, true},
        {"GameStateManager", [&owned] { return owned.states = new GameStateManager_(); }, true},
        {"Transformer", [] { return new Transformer_(); }, true},
        {"Factory",
         [&owned, totalObjects] { return owned.factory = new Factory_(static_cast<uint32_t>(totalObjects)); }, true},
        {"LevelLayerManager", [] { return new LevelLayerManager(); }, true},
    };
}

// The runtime's systems in their listed order, and the supplied ones where they placed themselves.
std::vector<std::string> UpdateOrder(const std::vector<OwnSystem>& own, const Registrations& supplied,
                                     std::string& error) {
    std::vector<PlacedSystem> places;
    for (size_t i = 0; i < own.size(); ++i) {
        places.push_back(PlacedSystem{own[i].name, {}});
        if (i > 0) places.back().place.after.push_back(own[i - 1].name);
    }
    for (PlacedSystem& system : supplied.SuppliedSystemPlaces()) places.push_back(std::move(system));
    return OrderSystems(places, error);
}

// Makes and adds the systems in their update order; singletons are not owned by the core. With
// no order to be had, nothing is made and the result says why.
std::string AddSystems(Core& core, const WindowSettings& window, int totalObjects, const Registrations& supplied,
                       OwnedSystems& owned) {
    const std::vector<OwnSystem> own = OwnSystems(owned, window, totalObjects);
    std::string error;
    for (const std::string& name : UpdateOrder(own, supplied, error)) {
        auto mine = std::find_if(own.begin(), own.end(), [&](const OwnSystem& s) { return name == s.name; });
        if (mine == own.end())
            supplied.AddSuppliedSystem(core, name);
        else
            core.AddSystem(mine->make(), mine->ownedByCore);
    }
    return error;
}

// Ends a headless run at its bound: the loop stops after the frame that reaches it, so a bound
// of N frames runs N frames, and the state manager's shutdown unloads the running state as it
// does on any other quit. The driver of the run, if any, sees every frame first. Every run has
// one: it counts the objects alive for the summary.
class RunBound : public IFrameObserver {
public:
    RunBound(const RunOptions& options, const Factory_& factory, RunSummary& summary)
        : options_(options), factory_(factory), summary_(summary), start_(Core::GetTime()) {}
    void AfterFrame(Core& core) override {
        if (options_.afterFrame) options_.afterFrame(core.GetFrameCount());
        if ((options_.maxFrames != 0 && core.GetFrameCount() >= options_.maxFrames) ||
            (options_.maxSeconds > 0.0 && Core::GetTime() - start_ >= options_.maxSeconds))
            core.Quit();
    }
    // Shutdown destroys every object, so the count is taken before it.
    void BeforeShutdown(Core&) override { summary_.objectsAlive = factory_.GetPool().GetLiveCount(); }

private:
    RunOptions options_;
    const Factory_& factory_;
    RunSummary& summary_;
    double start_;
};

// A count or size of the current section from 1 to `largest`; anything else is reported and
// takes the default (a window's frame added to a huge size overflows, a huge pool cannot be had).
int ReadPositive(ConfigFile& config, const char* section, const char* key, int fallback, int largest) {
    const int value = config.GetInt(key, fallback);
    if (value > 0 && value <= largest) return value;
    SD_WARNING(Debug::kLogData, "[%s] %s=%d is not 1 to %d; %d is used", section, key, value, largest, fallback);
    return fallback;
}

std::string RunningStateName(const GameStateManager_& states) {
    const Level* level = states.GetCurrentLevel() ? states.GetCurrentLevel() : states.GetPreviousLevel();
    return level ? level->GetName() : std::string();
}

// Takes down what every run starts, in the order it depends on.
RunSummary EndRun(RunSummary summary, std::unique_ptr<Core> core, std::unique_ptr<ConfigFile> config,
                  std::unique_ptr<Debug::GlobalLogger> logger) {
    config.reset();
    core.reset();
    logger.reset();
    RTTIClassRegistry::Destroy();
    return summary;
}

}  // namespace

WindowSettings ReadWindowSettings(ConfigFile& config, int screenWidth, int screenHeight) {
    WindowSettings s;
    config.SetSection("Window");
    s.title = config.GetString("Name", "Quorvanta");
    s.width = ReadPositive(config, "Window", "Width", 1280, kLargestWindowSize);
    s.height = ReadPositive(config, "Window", "Height", 800, kLargestWindowSize);
    std::string fullScreen = config.GetString("Fullscreen", "false");
    if (fullScreen == "true" || fullScreen == "fake") {
        s.width = screenWidth;
        s.height = screenHeight;
        s.windowFullScreen = true;
        s.deviceFullScreen = fullScreen == "true";
    }
    return s;
}

RunSummary RunProgram(const RunOptions& options) {
    RunSummary summary;
    InstallCrashHandler();
    RTTIClassRegistry::Create();
    auto logger = std::make_unique<Debug::GlobalLogger>();
    WorkerPool::GetInstance().Start();

    platform::crt_srand(platform::TickCount());
    SeedRandom();

    std::unique_ptr<Core> core(Core::CreateInstance());
    auto config = std::make_unique<ConfigFile>();
    if (!config->IsReadable())
        SD_WARNING(Debug::kLogError, "%s cannot be read: every setting takes its default",
                   config->GetFullPath().c_str());

    WindowSettings window = ReadWindowSettings(*config, platform::ScreenWidth(), platform::ScreenHeight());

    // The persisted variables live in the application-data folder; without one there is
    // nowhere to keep them, so they are neither read nor written.
    std::optional<std::string> varsPath = ConfigVarsPath();
    if (varsPath) ConfigVars::GetInstance().Load(*varsPath);

    config->SetSection("Factory");
    int totalObjects = ReadPositive(*config, "Factory", "TotalObjects", 10000, kLargestObjectPool);
    Registrations& registrations = StartupRegistrations();
    registrations.LogRefusedSupplies();
    OwnedSystems systems;
    summary.error = AddSystems(*core, window, totalObjects, registrations, systems);
    if (!summary.error.empty()) {
        SD_WARNING(Debug::kLogError, "No system runs: %s", summary.error.c_str());
        return EndRun(summary, std::move(core), std::move(config), std::move(logger));
    }

    AddRuntimeScriptClasses();
    OpenScripting(*config);

    platform::tweak::WindowSize(window.width, window.height);
    platform::ShowCursor(false);
    registrations.HandWindow(*systems.window, window);

    registrations.RegisterComponents(*systems.factory);
    registrations.RegisterLevels(*systems.states);

    core->Configure(*config);

    config->SetSection("FrameRateController");
    bool limit = config->GetBool("limit_frame_rate", false);
    float fps = config->GetFloat("fps", 60.0f);
    if (limit) core->GetFrameTimer().SetFrameRate(fps);

    // Developer keys stay off whatever the configuration says, unless the run asks for them.
    systems.input->SetDevKeysEnabled(options.developerKeys);
    registrations.ChooseFirstState(*systems.states);
    // Every setting has been read by now.
    config->ReportDamage();

    RunBound bound(options, *systems.factory, summary);
    core->SetFrameObserver(&bound);
    try {
        core->Run();
        summary.clean = true;
    } catch (const std::exception& e) {
        summary.error = e.what();
    } catch (...) {
        summary.error = "unknown exception";
    }
    core->RemoveFrameObserver(&bound);
    summary.frames = core->GetFrameCount();
    summary.state = RunningStateName(*systems.states);
    summary.drawCalls = registrations.CountDrawCalls();
    summary.sound = registrations.ReportSound();

    if (varsPath) ConfigVars::GetInstance().Save(*varsPath);
    CloseScripting();
    return EndRun(summary, std::move(core), std::move(config), std::move(logger));
}

}  // namespace SD
