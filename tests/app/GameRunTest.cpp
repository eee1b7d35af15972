#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/RunCommand.h"
#include "support/TempTree.h"

namespace {

struct Result { int exitCode; std::string output; };

// Runs the built game from the temporary tree's bin folder.
Result RunGame(const std::string& args) {
    std::string command = std::string(QV_GAME_EXE) + " " + args + " 2>&1";
    Result r{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 512> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe)) r.output += buffer.data();
    int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(GameRun, RunsBoundedOnTheSampleDataAndSummarises) {
    qvtest::TempTree tree;
    for (const char* folder : {"Assets", "Graphics"})
        std::filesystem::copy(qvtest::SourceDir() + "/" + folder, tree.Path(folder),
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    Result r = RunGame("--frames 20");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("quorvanta: clean: frames 20,"), std::string::npos) << r.output;
    // Each empty frame fills the geometry buffers of the reflection and the main view.
    EXPECT_NE(r.output.find(", draw calls 2"), std::string::npos) << r.output;
}

TEST(GameRun, BadArgumentsAreRefused) {
    qvtest::TempTree tree;
    for (const char* args : {"--frames", "--frames -3", "--seconds x", "--what"}) {
        Result r = RunGame(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.output.find("usage:"), std::string::npos) << args;
    }
}

TEST(GameRun, CommandParsing) {
    qv::Command c = qv::ParseCommand({"--seconds", "2.5", "--frames", "300"});
    EXPECT_TRUE(c.ok);
    EXPECT_EQ(c.options.maxFrames, 300u);
    EXPECT_DOUBLE_EQ(c.options.maxSeconds, 2.5);
    // A frame count must be whole and fit the counter; inf and 1e30 would not convert.
    for (const char* frames : {"2.5", "1e30", "inf"})
        EXPECT_FALSE(qv::ParseCommand({"--frames", frames}).ok) << frames;
    EXPECT_TRUE(qv::ParseCommand({"--seconds", "inf"}).ok);
    SD::RunSummary s;
    s.frames = 3;
    s.clean = true;
    s.drawCalls = 7;
    EXPECT_EQ(qv::SummaryLine(s), "quorvanta: clean: frames 3, state none, objects alive 0, draw calls 7");
}

}  // namespace
