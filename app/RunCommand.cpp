#include "app/RunCommand.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace QV {
namespace {

bool ParseNumber(const std::string& text, double* value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return errno == 0 && end && *end == '\0' && *value >= 0.0;
}

// A whole number of frames that the counter can hold.
bool IsFrameCount(double value) {
    return value == std::floor(value) && value < static_cast<double>(std::numeric_limits<unsigned long>::max());
}

Command Refused(const std::string& argument) {
    Command cmd;
    cmd.ok = false;
    cmd.error = std::string("usage: quorvanta ") + kUsage + "  (bad argument: " + argument + ")";
    return cmd;
}

}  // namespace

Command ParseCommand(const std::vector<std::string>& args) {
    Command cmd;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        double value = 0.0;
        const bool frames = a == "--frames";
        if ((frames || a == "--seconds") && i + 1 < args.size() && ParseNumber(args[i + 1], &value) &&
            (!frames || IsFrameCount(value))) {
            if (frames)
                cmd.options.maxFrames = static_cast<unsigned long>(value);
            else
                cmd.options.maxSeconds = value;
            ++i;
            continue;
        }
        if (a == "--window") {
            cmd.window = true;
            continue;
        }
        if (a == "--dev-keys") {
            cmd.options.developerKeys = true;
            continue;
        }
        if (a == "--wav") {
            // The file name may be left out: the next argument is another option, or none.
            const bool named = i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0;
            if (named && args[i + 1].empty()) return Refused(a + " \"\"");
            cmd.wavPath = named ? args[++i] : kDefaultWavFile;
            continue;
        }
        return Refused(a);
    }
    return cmd;
}

std::string SummaryLine(const SD::RunSummary& s) {
    std::string line = "quorvanta: ";
    line += s.clean ? "clean" : "failed";
    line += ": frames " + std::to_string(s.frames);
    line += ", state " + (s.state.empty() ? std::string("none") : s.state);
    line += ", objects alive " + std::to_string(s.objectsAlive);
    line += ", draw calls " + std::to_string(s.drawCalls);
    if (!s.sound.empty()) line += ", " + s.sound;
    if (!s.clean) line += ", error: " + s.error;
    return line;
}

}  // namespace QV
