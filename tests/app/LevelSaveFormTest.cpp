// The levels kept with the game are in the form the level editor saves: the resave tool, run on a
// copy of the sample data, loads each level through the editor and saves it again with the
// editor's own save, and every file comes out byte for byte as the repository holds it. A level
// edited by hand (or laid out by a tool) fails here until tools/resave-levels.sh is run.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

#include "support/TempTree.h"
#include "tests/app/GameDriving.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(LevelSaveForm, EveryLevelInTheRepositoryIsInTheFormTheEditorSaves) {
    qvtest::TempTree tree;
    qvtest::CopySampleTree(tree);
    std::string output;
    FILE* pipe = popen((std::string(QV_LEVEL_RESAVE_EXE) + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::array<char, 512> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe)) output += buffer.data();
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;

    const std::string levels = qvtest::SourceDir() + "/Assets/Levels/";
    int checked = 0;
    for (const auto& level : fs::directory_iterator(levels)) {
        if (!level.is_directory()) continue;
        const std::string name = level.path().filename().string();
        SCOPED_TRACE(name);
        EXPECT_NE(output.find("saved " + name + "\n"), std::string::npos) << output;
        for (const char* file : {"objects.xml", "LevelData.ld"}) {
            const std::string relative = "Assets/Levels/" + name + "/" + file;
            EXPECT_TRUE(tree.Read(relative) == ReadFile(level.path() / file))
                << relative << " is not in the form the editor saves: run tools/resave-levels.sh";
        }
        ++checked;
    }
    EXPECT_GE(checked, 1);
}

}  // namespace
