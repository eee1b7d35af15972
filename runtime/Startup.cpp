#include "runtime/Startup.h"

#include <exception>
#include <memory>

#include "core/ConfigFile.h"
#include "core/EngineCore.h"
#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "core/RTTI.h"
#include "core/Random.h"
#include "platform/os/Clock.h"
#include "platform/os/Random.h"
#include "runtime/InterpolatorSystem.h"
#include "runtime/SplineSystem.h"

namespace SD {
namespace {

constexpr int kHeadlessScreenWidth = 1920;
constexpr int kHeadlessScreenHeight = 1080;

// Ends a headless run at its bound by setting the quit flag, as any outside party may.
void InstallRunBound(Core& core, const RunOptions& options) {
    if (options.maxFrames == 0 && options.maxSeconds <= 0.0) return;
    double start = Core::GetTime();
    core.SetFrameObserver([options, start](Core& c) {
        if (options.maxFrames != 0 && c.GetFrameCount() >= options.maxFrames) c.Quit();
        if (options.maxSeconds > 0.0 && Core::GetTime() - start >= options.maxSeconds) c.Quit();
    });
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
    RTTIClassRegistry::Create();
    auto logger = std::make_unique<Debug::GlobalLogger>();

    platform::crt_srand(platform::TickCount());
    SeedRandom();

    std::unique_ptr<Core> core(Core::CreateInstance());
    auto config = std::make_unique<ConfigFile>();

    WindowSettings window = ReadWindowSettings(*config, kHeadlessScreenWidth, kHeadlessScreenHeight);
    (void)window;

    config->SetSection("Factory");
    int totalObjects = config->GetInt("TotalObjects", 10000);
    (void)totalObjects;

    // The update order; systems that are singletons are not owned by the core.
    core->AddSystem(Message_System::GetInstance(), false);
    core->AddSystem(&Spline_System::GetInstance(), false);
    core->AddSystem(&InterpolatorSystem::GetInstance(), false);

    core->Configure(*config);

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

    config.reset();
    core.reset();
    logger.reset();
    RTTIClassRegistry::Destroy();
    return summary;
}

}  // namespace SD
