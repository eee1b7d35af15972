#include "runtime/Startup.h"

#include <exception>
#include <memory>

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
#include "engine/Transformer.h"
#include "platform/os/Clock.h"
#include "platform/os/Dialogs.h"
#include "platform/os/Random.h"
#include "platform/window/MessageIds.h"
#include "platform/window/Screen.h"
#include "runtime/Input.h"
#include "runtime/InterpolatorSystem.h"
#include "runtime/Kinect.h"
#include "runtime/SplineSystem.h"
#include "runtime/Window.h"

namespace SD {
namespace {

// Ends a headless run at its bound by setting the quit flag, as any outside party may.
void InstallRunBound(Core& core, const RunOptions& options) {
    if (options.maxFrames == 0 && options.maxSeconds <= 0.0) return;
    double start = Core::GetTime();
    core.SetFrameObserver([options, start](Core& c) {
        if (options.maxFrames != 0 && c.GetFrameCount() >= options.maxFrames) c.Quit();
        if (options.maxSeconds > 0.0 && Core::GetTime() - start >= options.maxSeconds) c.Quit();
    });
}

// Adds the systems in their update order; the ones built here are owned by the core, the
// singletons are not.
Input_* AddSystems(Core& core, const WindowSettings& window, int totalObjects) {
    core.AddSystem(Message_System::GetInstance(), false);
    auto* input = new Input_();
    core.AddSystem(input, true);
    core.AddSystem(new Window_(window.title, static_cast<uint32_t>(window.width), static_cast<uint32_t>(window.height),
                               window.windowFullScreen, platform::show::kNormal),
                   true);
    core.AddSystem(&Spline_System::GetInstance(), false);
    core.AddSystem(&InterpolatorSystem::GetInstance(), false);
    core.AddSystem(Kinect_::GetInstance(), false);
    core.AddSystem(new ComponentManager_(), true);
    core.AddSystem(new Transformer_(), true);
    core.AddSystem(new Factory_(static_cast<uint32_t>(totalObjects)), true);
    return input;
}

}  // namespace

WindowSettings ReadWindowSettings(ConfigFile& config, int screenWidth, int screenHeight) {
    WindowSettings s;
    config.SetSection("Window");
    s.title = config.GetString("Name", "Quorvanta");
    s.width = config.GetInt("Width", 1280);
    s.height = config.GetInt("Height", 800);
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

    WindowSettings window = ReadWindowSettings(*config, platform::ScreenWidth(), platform::ScreenHeight());

    // The persisted variables live in the application-data folder; without one there is
    // nowhere to keep them, so they are neither read nor written.
    std::optional<std::string> varsPath = ConfigVarsPath();
    if (varsPath) ConfigVars::GetInstance().Load(*varsPath);

    config->SetSection("Factory");
    int totalObjects = config->GetInt("TotalObjects", 10000);
    Input_* input = AddSystems(*core, window, totalObjects);

    platform::ShowCursor(false);

    core->Configure(*config);
    // Developer keys stay off whatever the configuration says.
    input->SetDevKeysEnabled(false);

    config->SetSection("FrameRateController");
    bool limit = config->GetBool("limit_frame_rate", false);
    float fps = config->GetFloat("fps", 62.0f);
    if (limit) core->GetFrameTimer().SetFrameRate(fps);

    InstallRunBound(*core, options);
    try {
        core->Run();
        summary.clean = true;
    } catch (const std::exception& e) {
        summary.error = e.what();
    } catch (...) {
        summary.error = "unknown exception";
    }
    summary.frames = core->GetFrameCount();
    if (Factory_* factory = Factory_::GetInstance()) summary.objectsAlive = factory->GetPool().GetLiveCount();

    if (varsPath) ConfigVars::GetInstance().Save(*varsPath);
    config.reset();
    core.reset();
    logger.reset();
    RTTIClassRegistry::Destroy();
    return summary;
}

}  // namespace SD
