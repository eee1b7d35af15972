#pragma once
// What the benchmarks of the whole game share: the sample data in a temporary install, the
// running state's name, and the singletons a run leaves behind.
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/Level.h"
#include "game/editor/LevelEditor.h"
#include "game/fireflies/FireflyManager.h"
#include "physics/PhysicsSystem.h"
#include "platform/os/Clock.h"
#include "runtime/GameStateManager.h"

namespace bench {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The value of the first line starting with `key`.
inline void ReplaceValue(std::string& text, const std::string& key, const std::string& value) {
    const size_t at = text.find("\n" + key);
    if (at == std::string::npos) return;
    const size_t begin = at + 1 + key.size();
    text.replace(begin, text.find('\n', begin) - begin, value);
}

// The sample data in a temporary install entered at its bin folder, with its own application
// data and a window of the asked size. With `manualClock` the frame limiter holds 20 frames a second of a clock that its waits move
// on; without it the game runs on the wall clock, as a player's does.
struct SampleInstall {
    SampleInstall(int width, int height, bool manualClock = true) {
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/qv_bench_world_XXXXXX";
        root = mkdtemp(pattern) ? pattern : "/tmp";
        fs::create_directories(root + "/bin");
        for (const char* folder : {"Assets", "Graphics"})
            fs::copy(std::string(QV_SOURCE_DIR) + "/" + folder, root + "/" + folder, fs::copy_options::recursive);
        const std::string config = root + "/Assets/Config/config.ini";
        std::string text = ReadFile(config);
        ReplaceValue(text, "Width=", std::to_string(width));
        ReplaceValue(text, "Height=", std::to_string(height));
        std::ofstream(config, std::ios::binary) << text;
        previous = fs::current_path().string();
        setenv("XDG_DATA_HOME", (root + "/AppData").c_str(), 1);
        if (chdir((root + "/bin").c_str()) != 0) return;
        if (!manualClock) return;
        clock.SetStepPerRead(0.0002);
        platform::SetClock(&clock);
        clockSet = true;
    }
    ~SampleInstall() {
        if (clockSet) platform::SetClock(nullptr);
        if (chdir(previous.c_str()) != 0) return;
        std::filesystem::remove_all(root);
    }
    SampleInstall(const SampleInstall&) = delete;
    SampleInstall& operator=(const SampleInstall&) = delete;

    std::string root;
    std::string previous;
    platform::ManualClock clock;
    bool clockSet = false;
};

// The running state, empty while none runs or one is coming in.
inline std::string Running() {
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    if (!states || !states->GetCurrentLevel() || states->GetPhase() != SD::GameStateManager_::kRun) return "";
    return states->GetCurrentLevel()->GetName();
}

// The program runs once per process; singletons that keep handles into its object pool go
// with it before the next run.
inline void EndOfRun() {
    QV::LevelEditor::DestroyInstance();
    QV::Firefly_Manager::DestroyInstance();
    Gedankenexperiment::Physics_System::DestroyInstance();
}

}  // namespace bench
