#pragma once
// The command line of the headless game and its summary line.
#include <string>
#include <vector>

#include "runtime/Startup.h"

namespace QV {

struct Command {
    SD::RunOptions options;
    std::string wavPath;  // where the captured sound output is saved, empty for none
    bool window = false;  // play in a real window with sound and input instead of headless
    bool ok = true;
    std::string error;
};

// The options after the program's name, as the usage line and ./run's header show them.
constexpr const char* kUsage = "[--frames N | --seconds S] [--wav [FILE]] [--window] [--dev-keys]";
// Where --wav without a file name saves the sound: the working directory (bin/ under ./run).
constexpr const char* kDefaultWavFile = "quorvanta.wav";

// "--frames N", "--seconds S", "--wav [FILE]", "--window" and "--dev-keys"; anything else is an
// error.
Command ParseCommand(const std::vector<std::string>& args);

// "quorvanta: <clean|failed>: frames N, state S, objects alive N, draw calls N[, <sound>]"
std::string SummaryLine(const SD::RunSummary& summary);

}  // namespace QV
