// Loads levels through the level editor and saves them again with its own save, so that the
// levels kept with the game are in the form the editor writes and a designer's first save
// changes only what they edited. Run from the game's folder (bin/), as the game is:
//   level_resave [level ...]
// Without names every level of "../Assets/Levels/" is saved again. Prints one line per level;
// exits 1 when any could not be loaded or saved.
#include <cstdio>
#include <string>
#include <vector>

#include "app/GameStartup.h"
#include "core/EngineCore.h"
#include "game/editor/LevelEditor.h"
#include "runtime/Registration.h"
#include "runtime/Startup.h"

int main(int argc, char** argv) {
    std::vector<std::string> names(argv + 1, argv + argc);
    if (names.empty()) names = QV::LevelEditor::LevelNames();
    if (names.empty()) {
        std::fprintf(stderr, "level_resave: no level in %s (run it from the game's folder)\n",
                     QV::LevelEditor::kLevelsFolder);
        return 1;
    }
    QV::SupplyWholeGame(SD::StartupRegistrations());
    // The editor works once the game's systems have started: the first frame does it all.
    int failed = -1;
    SD::RunOptions options;
    options.afterFrame = [&](unsigned long) {
        if (failed >= 0) return;
        failed = 0;
        QV::LevelEditor& editor = QV::LevelEditor::GetInstance();
        for (const std::string& name : names) {
            const bool saved = editor.LoadLevel(name.c_str()) && editor.SaveLevel(name.c_str());
            std::printf("%s %s\n", saved ? "saved" : "FAILED", name.c_str());
            failed += saved ? 0 : 1;
        }
        SD::Core::GetInstance()->Quit();
    };
    const SD::RunSummary summary = SD::RunProgram(options);
    return summary.clean && failed == 0 ? 0 : 1;
}
