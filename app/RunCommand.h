#pragma once
// The command line of the headless game and its summary line.
#include <string>
#include <vector>

#include "runtime/Startup.h"

namespace qv {

struct Command {
    SD::RunOptions options;
    bool ok = true;
    std::string error;
};

// "--frames N" and "--seconds S"; anything else is an error.
Command ParseCommand(const std::vector<std::string>& args);

// "quorvanta: <clean|failed>: frames N, state S, objects alive N, draw calls N"
std::string SummaryLine(const SD::RunSummary& summary);

}  // namespace qv
