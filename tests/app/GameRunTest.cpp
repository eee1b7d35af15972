#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/RunCommand.h"
#include "core/ConfigVars.h"
#include "support/CapturedLog.h"
#include "support/TempTree.h"
#include "tests/app/GameDriving.h"
#include "tests/app/CapturedSound.h"
#include "tests/app/ListeningMeasures.h"

namespace {

struct Result {
    int exitCode;
    std::string output;
};

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

// The sample data the game reads through "../Assets" and "../Graphics".
void CopySampleData(const qvtest::TempTree& tree) {
    for (const char* folder : {"Assets", "Graphics"})
        std::filesystem::copy(
            qvtest::SourceDir() + "/" + folder, tree.Path(folder),
            std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

TEST(GameRun, RunsBoundedOnTheSampleDataAndSummarises) {
    qvtest::TempTree tree;
    CopySampleData(tree);
    Result r = RunGame("--frames 20");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    // A bound of N frames runs N frames.
    EXPECT_NE(r.output.find("quorvanta: clean: frames 20,"), std::string::npos) << r.output;
    // The splash is drawn without the sky: each frame clears the geometry and light buffers of
    // the main view (with nothing reflective in view there is no reflection to draw), and
    // post-processing draws 6 screen quads; the splash's first logo fading in, a sprite over the
    // whole render area, is blended in by the depth of field's mix, one of them.
    EXPECT_NE(r.output.find(", draw calls 6"), std::string::npos) << r.output;
    // The splash's objects are counted as the last frame left them, before shutdown destroys them.
    const std::string alive = "state SplashLevel, objects alive ";
    ASSERT_NE(r.output.find(alive), std::string::npos) << r.output;
    EXPECT_GT(std::stoul(r.output.substr(r.output.find(alive) + alive.size())), 0ul) << r.output;
    // On the sample data as it stands nothing is reported amiss: the start-up's word that it
    // makes the normal maps (the configuration asks for them) and the summary are all it prints.
    const std::string normalMaps = "Generating normal maps from height maps.\n\n";
    ASSERT_EQ(r.output.rfind(normalMaps, 0), 0u) << r.output;
    const std::string summary = r.output.substr(normalMaps.size());
    EXPECT_EQ(summary.rfind("quorvanta: clean: ", 0), 0u) << r.output;
    EXPECT_EQ(std::count(summary.begin(), summary.end(), '\n'), 1) << r.output;
}

// A splash without its pictures passes on, the loading screen loads the manifests' art and
// moves on to the menu, which waits there.
TEST(GameRun, GoesFromTheSplashThroughLoadingToTheMainMenuOnItsOwn) {
    qvtest::TempTree tree;
    CopySampleData(tree);
    qvtest::WithoutSplashPictures(tree);
    Result r = RunGame("--frames 300");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("quorvanta: clean: frames 300, state MainMenu,"), std::string::npos) << r.output;
    // The menu draws the empty frame's 7, its logo, its four buttons and check box, the volume
    // slider's label, track and knob, the frame around the focused entry, and its level's lantern
    // seen by the level editor's camera, the only camera there (nothing reflective is in view: no
    // reflection), whose glow's point sprites take two draws more: the wide ones into the particle
    // target made ready for them, which reaches the scene through the bloom.
    EXPECT_NE(r.output.find(", draw calls 20"), std::string::npos) << r.output;
    // Every file the splash, the loading screen and the manifests name is there and readable,
    // every material a model asks for was loaded before it, and nothing drawn lacks its texture
    // (the sky waits for the menu, by when the loading screen has loaded its textures).
    // The only blueprints missing are the splash's pictures, taken out above.
    std::istringstream lines(r.output);
    std::string output;
    for (std::string line; std::getline(lines, line);) {
        const bool logo = line.find("Logo]; the object is not created") != std::string::npos;
        if (!logo) output += line + "\n";
    }
    for (const char* fault : {"not created", "could not be read", "Material \"", "names no loaded material",
                              "[Graphics] Effect", "is not loaded"})
        EXPECT_EQ(output.find(fault), std::string::npos) << fault << "\n" << r.output;
}

// A damaged copy of the sample data runs to its bound, and each damage is told once, on a line
// of its own that names the file and what will not work; the summary keeps its own line.
TEST(GameRun, DamagedDataIsReportedOnceByFile) {
    const std::string configLine = "../Assets/Config/config.ini cannot be read: every setting takes its default";
    struct Damage {
        const char* label;
        std::function<void(const qvtest::TempTree&)> apply;
        const char* frames;
        std::vector<std::string> lines;
    };
    const Damage damages[] = {
        {"config.ini missing",
         [](const qvtest::TempTree& t) { std::filesystem::remove(t.Path("Assets/Config/config.ini")); },
         "5",
         {configLine}},
        {"config.ini a folder",
         [](const qvtest::TempTree& t) {
             std::filesystem::remove(t.Path("Assets/Config/config.ini"));
             std::filesystem::create_directory(t.Path("Assets/Config/config.ini"));
         },
         "5",
         {configLine}},
        {"template broken, stacks cut, sprite effects gone, a script failing every frame",
         [](const qvtest::TempTree& t) {
             t.Write("Assets/Levels/template.xml", "<LevelLayers><LevelLayer name=\"Sky\"");
             t.Write("Graphics/ParticleAssets/layers.txt",
                     "2\nStack Name: Sky\nStart Layer: 0\nEnd Layer: 3\nStack Na");
             std::filesystem::remove(t.Path("Graphics/shaders/hud.fx"));
             std::filesystem::remove(t.Path("Graphics/shaders/sprite.fx"));
             std::ofstream(t.Path("Assets/LuaScripts/InitLuaStuff.lua"), std::ios::app)
                 << "\nfunction ActiveLuaGameObjects.update(self, dt) error('the walk is broken') end\n";
         },
         "300",
         {"XML file [../Assets/Levels/template.xml] is not readable XML data; nothing in it is loaded.",
          "../Graphics/ParticleAssets/layers.txt line 5: record cut short; the record is skipped",
          "[Graphics] ../Graphics/shaders/hud.fx is missing: the user-interface effect \"ui\" is not bound",
          "[Graphics] ../Graphics/shaders/sprite.fx is missing: user-interface sprites are not drawn",
          "the walk is broken"}},
        {"template and stacks missing",
         [](const qvtest::TempTree& t) {
             std::filesystem::remove(t.Path("Assets/Levels/template.xml"));
             std::filesystem::remove(t.Path("Graphics/ParticleAssets/layers.txt"));
         },
         "300",
         {"The template [../Assets/Levels/template.xml] is missing or not a level file: levels cannot be saved, "
          "and the layers of level [MainMenu] load as groups of their own.",
          "../Graphics/ParticleAssets/layers.txt cannot be opened: no particle render stacks are loaded"}},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.label);
        qvtest::TempTree tree;
        CopySampleData(tree);
        qvtest::WithoutSplashPictures(tree);  // the damage shows on the way to the menu
        d.apply(tree);
        Result r = RunGame(std::string("--frames ") + d.frames);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find(std::string("\nquorvanta: clean: frames ") + d.frames + ","), std::string::npos)
            << r.output;
        for (const std::string& line : d.lines)
            EXPECT_EQ(qvtest::Occurrences(r.output, line), 1u) << line << "\n" << r.output;
    }
}

// The game started with no bound in the background, its output going to a pipe and its
// application data to the tree's "data" folder.
struct RunningGame {
    pid_t pid = -1;
    int output = -1;

    explicit RunningGame(const qvtest::TempTree& tree) {
        int fds[2];
        if (pipe(fds) != 0) return;
        const std::string dataHome = tree.Path("data");
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], 1);
            dup2(fds[1], 2);
            close(fds[0]);
            close(fds[1]);
            setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
            execl(QV_GAME_EXE, QV_GAME_EXE, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        output = fds[0];
    }
    ~RunningGame() {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (output >= 0) close(output);
    }

    // Waits until the game has its handlers for SIGINT and SIGTERM (a minute at most).
    bool CatchesQuitSignals() const {
        const unsigned long long wanted = (1ull << (SIGINT - 1)) | (1ull << (SIGTERM - 1));
        for (int i = 0; i < 6000; ++i) {
            std::ifstream status("/proc/" + std::to_string(pid) + "/status");
            std::string line;
            while (std::getline(status, line))
                if (line.rfind("SigCgt:", 0) == 0 && (std::stoull(line.substr(7), nullptr, 16) & wanted) == wanted)
                    return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // Everything the game printed until it ended, and how it ended.
    std::string Finish(int& status) {
        std::string text;
        std::array<char, 512> buffer;
        ssize_t got;
        while ((got = read(output, buffer.data(), buffer.size())) > 0) text.append(buffer.data(), size_t(got));
        waitpid(pid, &status, 0);
        pid = -1;
        return text;
    }
};

// A signal is the window being closed: the game shuts down in order, saves its variables and
// prints its summary.
TEST(GameRun, AFirstQuitSignalEndsAnUnboundedRunLikeClosingTheWindow) {
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        qvtest::TempTree tree;
        CopySampleData(tree);
        RunningGame game(tree);
        ASSERT_GT(game.pid, 0);
        ASSERT_TRUE(game.CatchesQuitSignals());
        kill(game.pid, signal);
        int status = 0;
        const std::string output = game.Finish(status);
        ASSERT_TRUE(WIFEXITED(status)) << output;
        EXPECT_EQ(WEXITSTATUS(status), 0) << output;
        EXPECT_NE(output.find("quorvanta: clean: frames "), std::string::npos) << output;
        bool saved = false;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tree.Path("data")))
            saved = saved || entry.path().filename() == SD::ConfigVars::kFileName;
        EXPECT_TRUE(saved) << "the persisted variables are written";
    }
}

TEST(GameRun, ASecondQuitSignalEndsTheProgramAtOnce) {
    qvtest::TempTree tree;
    CopySampleData(tree);
    RunningGame game(tree);
    ASSERT_GT(game.pid, 0);
    ASSERT_TRUE(game.CatchesQuitSignals());
    // Both arrive before the game can act on the first (in either order).
    kill(game.pid, SIGSTOP);
    int stopped = 0;
    ASSERT_EQ(waitpid(game.pid, &stopped, WUNTRACED), game.pid);
    ASSERT_TRUE(WIFSTOPPED(stopped));
    kill(game.pid, SIGINT);
    kill(game.pid, SIGTERM);
    kill(game.pid, SIGCONT);
    int status = 0;
    const std::string output = game.Finish(status);
    ASSERT_TRUE(WIFSIGNALED(status)) << output;
    EXPECT_TRUE(WTERMSIG(status) == SIGINT || WTERMSIG(status) == SIGTERM) << WTERMSIG(status);
    EXPECT_EQ(output.find("quorvanta:"), std::string::npos) << output;
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
    QV::Command c = QV::ParseCommand({"--seconds", "2.5", "--frames", "300"});
    EXPECT_TRUE(c.ok);
    EXPECT_EQ(c.options.maxFrames, 300u);
    EXPECT_DOUBLE_EQ(c.options.maxSeconds, 2.5);
    // A frame count must be whole and fit the counter; inf and 1e30 would not convert.
    for (const char* frames : {"2.5", "1e30", "inf"}) EXPECT_FALSE(QV::ParseCommand({"--frames", frames}).ok) << frames;
    EXPECT_TRUE(QV::ParseCommand({"--seconds", "inf"}).ok);
    SD::RunSummary s;
    s.frames = 3;
    s.clean = true;
    s.drawCalls = 7;
    EXPECT_EQ(QV::SummaryLine(s), "quorvanta: clean: frames 3, state none, objects alive 0, draw calls 7");
    s.sound = "sounds played 2";
    EXPECT_EQ(QV::SummaryLine(s),
              "quorvanta: clean: frames 3, state none, objects alive 0, draw calls 7, sounds played 2");
    // --wav takes a file name, or saves beside the game when the next argument is an option or
    // there is none.
    const struct {
        std::vector<std::string> args;
        const char* wav;
    } wavs[] = {{{"--seconds", "1", "--wav", "out.wav"}, "out.wav"},
                {{"--wav"}, "quorvanta.wav"},
                {{"--wav", "--frames", "5"}, "quorvanta.wav"}};
    for (const auto& w : wavs) {
        c = QV::ParseCommand(w.args);
        EXPECT_TRUE(c.ok) << w.wav;
        EXPECT_EQ(c.wavPath, w.wav);
    }
    EXPECT_FALSE(QV::ParseCommand({"--wav", ""}).ok);
    EXPECT_FALSE(c.window);
    c = QV::ParseCommand({"--frames", "5", "--window"});
    EXPECT_TRUE(c.ok);
    EXPECT_TRUE(c.window);
    EXPECT_EQ(c.options.maxFrames, 5ul);
    EXPECT_FALSE(c.options.developerKeys);
    c = QV::ParseCommand({"--dev-keys", "--window"});
    EXPECT_TRUE(c.ok);
    EXPECT_TRUE(c.options.developerKeys);
}

// Where no display can be reached, a window run stops before the game starts, with one line
// that says why; the headless run beside it is untouched.
TEST(GameRun, AWindowWithoutADisplayFailsClearlyAndHeadlessStillRuns) {
    qvtest::TempTree tree;
    CopySampleData(tree);
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) {
        if (const char* value = std::getenv(name)) saved.push_back({name, value});
        unsetenv(name);
    }
    Result r = RunGame("--window --frames 5");
    for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_EQ(r.output, "quorvanta: cannot play in a window: no display (set DISPLAY or WAYLAND_DISPLAY)\n");
    r = RunGame("--frames 5");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("quorvanta: clean: frames"), std::string::npos) << r.output;
}

TEST(GameRun, StartsTheSoundEngineAndSavesWhatItPlayed) {
    qvtest::TempTree tree;
    CopySampleData(tree);
    const std::string wav = tree.Path("run.wav");
    Result r = RunGame("--frames 30 --wav " + wav);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    // How far the front end gets in 30 frames follows the wall clock, so only the count's
    // presence is checked here.
    EXPECT_NE(r.output.find(", sounds played "), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("sound failures"), std::string::npos) << "the sample banks load: " << r.output;
    std::ifstream in(wav, std::ios::binary);
    ASSERT_TRUE(in.good());
    char header[44] = {};
    in.read(header, sizeof header);
    EXPECT_EQ(std::string(header, 4), "RIFF");
    EXPECT_EQ(std::string(header + 8, 4), "WAVE");
}

// The saved sound holds the menu's music and its ambience from the start on; a bank or package
// that is missing or broken is told once and the rest still plays.
TEST(GameRun, TheSavedSoundHoldsTheMenusMusicAndAFaultySoundFileIsToldOnce) {
    for (bool faulty : {false, true}) {
        SCOPED_TRACE(faulty ? "a bank missing, a package broken" : "the sample data");
        qvtest::TempTree tree;
        CopySampleData(tree);
        qvtest::WithoutSplashPictures(tree);
        if (faulty) {
            std::string config = tree.Read("Assets/Config/config.ini");
            const size_t banks = config.find("\nBanks=");
            config.replace(banks, config.find('\n', banks + 1) - banks,
                           "\nBanks=Effects.bnk Missing.bnk Game.bnk Music.bnk");
            const size_t packages = config.find("\nPackages=");
            config.replace(packages, config.find('\n', packages + 1) - packages,
                           "\nPackages=Broken.sxpk Streamed.sxpk");
            tree.Write("Assets/Config/config.ini", config);
            tree.Write("Assets/Sound/Broken.sxpk", "not a package");
        }
        const std::string wav = tree.Path("run.wav");
        // Bounded by frames, not seconds: the loading screen takes its frames however slow the
        // machine, and each frame lasts at least 1/62 s, so the run ends with the menu some
        // seconds in, however long the loading took.
        Result r = RunGame("--frames 400 --wav " + wav);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find("quorvanta: clean: frames 400, state MainMenu,"), std::string::npos) << r.output;
        EXPECT_EQ(qvtest::Occurrences(r.output, "Sound: bank \"Missing.bnk\" did not load"), faulty ? 1u : 0u)
            << r.output;
        EXPECT_EQ(qvtest::Occurrences(r.output, "Sound: package \"Broken.sxpk\" did not load"), faulty ? 1u : 0u)
            << r.output;
        const qvtest::CapturedSound sound = qvtest::CapturedSound::FromWav(wav);
        ASSERT_GT(sound.left.size(), 2u * sound.rate) << "seconds of sound saved";
        // Each second after the first holds the music, its notes sounding in some stretch of it (its
        // stems stream from the package).
        for (size_t from = sound.rate; from + sound.rate / 2 <= sound.left.size(); from += sound.rate) {
            bool heard = false;
            for (size_t at = from; at + qvtest::kNoteWindow <= from + sound.rate; at += sound.rate / 4)
                heard |= !qvtest::NotesSounding(sound, at, 48, 89).empty();
            EXPECT_TRUE(heard) << "music at " << from;
        }
        EXPECT_LT(sound.Peak(), 0.99f);
    }
}

}  // namespace
