#pragma once
// The program's entry routine: builds the engine in its fixed order, runs the main loop and
// tears everything down again.
#include <functional>
#include <string>

namespace SD {

class ConfigFile;

struct WindowSettings {
    std::string title;
    int width = 0;
    int height = 0;
    bool windowFullScreen = false;  // a frameless window covering the screen
    bool deviceFullScreen = false;  // the graphics device takes the screen
};

// Section "Window": "true" takes the screen, "fake" covers it with a window, anything else
// (compared exactly) is a window of Width by Height.
WindowSettings ReadWindowSettings(ConfigFile& config, int screenWidth, int screenHeight);

// A headless run stops when the game quits or after the given frames or seconds (0: no bound).
// `afterFrame`, when set, is called at the end of every frame with the frames run so far: a
// driver outside the game (a test, a benchmark) feeds it input and watches it through this.
struct RunOptions {
    unsigned long maxFrames = 0;
    double maxSeconds = 0.0;
    std::function<void(unsigned long frames)> afterFrame;
    // Developer keys (the level editor, reloads) on from the start; the configuration's flag is
    // never taken, so a run has them only when asked for here.
    bool developerKeys = false;
};

struct RunSummary {
    unsigned long frames = 0;
    std::string state;  // the game state running when the loop ended
    unsigned long objectsAlive = 0;
    unsigned long drawCalls = 0;  // recorded by the last frame drawn
    std::string sound;            // the sound system's report, empty without one
    bool clean = false;           // false when the loop ended with an exception
    std::string error;
};

RunSummary RunProgram(const RunOptions& options);

}  // namespace SD
