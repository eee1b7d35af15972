#include "core/Logger.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/LogInWindowMessage.h"
#include "platform/Seam.h"

namespace Debug {
namespace {

GlobalLogger* g_logger = nullptr;
// Installed by tests while worker and audio threads may be logging.
platform::Seam<ILineSink> g_lineSink{"Debug::ILineSink"};
constexpr const char* kLineFormat = "%d>%s(%d) : warning in function %s : %s\n";

}  // namespace

GlobalLogger::GlobalLogger() : buffer_(new char[kBufferSize]) {
    buffer_[0] = '\0';
    g_logger = this;
}

GlobalLogger::~GlobalLogger() {
    if (g_logger == this) g_logger = nullptr;
    delete[] buffer_;
}

GlobalLogger* GetGlobalLogger() { return g_logger; }
bool SetLineSink(ILineSink* sink) { return g_lineSink.Install(sink); }
void RemoveLineSink(ILineSink* sink) { g_lineSink.Remove(sink); }

void GlobalLogger::Format(const char* format, va_list args) {
    // Bounded: a longer text is cut at the buffer's end.
    std::vsnprintf(buffer_, kBufferSize, format ? format : "", args);
}

void GlobalLogger::Print(const char* file, int line, const char* function, unsigned level) const {
    if (level > kMaxPrintedLevel) return;
    file = file ? file : "";
    function = function ? function : "";
    std::fprintf(stderr, kLineFormat, static_cast<int>(level), file, line, function, buffer_);
    if (ILineSink* sink = g_lineSink.Installed()) {
        const int size = std::snprintf(nullptr, 0, kLineFormat, static_cast<int>(level), file, line, function, buffer_);
        std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
        std::snprintf(text.data(), text.size() + 1, kLineFormat, static_cast<int>(level), file, line, function,
                      buffer_);
        sink->Line(text.c_str());
    }
}

void GlobalLogger::VWarning(const char* file, int line, const char* function, unsigned level, const char* format,
                            va_list args) {
    Format(format, args);
    Print(file, line, function, level);
}

void GlobalLogger::VWarningInWindow(const char* file, int line, const char* function, unsigned level,
                                    const char* format, va_list args) {
    VWarning(file, line, function, level, format, args);
    SD::BroadcastLogInWindow(level, file, line, function, buffer_);
}

void GlobalLogger::WarningInWindow(const char* file, int line, const char* function, unsigned level, const char* format,
                                   ...) {
    va_list args;
    va_start(args, format);
    VWarningInWindow(file, line, function, level, format, args);
    va_end(args);
}

void GlobalLogger::Warning(const char* file, int line, const char* function, unsigned level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    VWarning(file, line, function, level, format, args);
    va_end(args);
}

void GlobalLogger::Error(const char* file, int line, const char* function, unsigned level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    VWarning(file, line, function, level, format, args);
    va_end(args);
}

void LogWarning(unsigned level, const char* file, int line, const char* function, const char* format, ...) {
    if (!g_logger) return;
    va_list args;
    va_start(args, format);
    g_logger->VWarning(file, line, function, level, format, args);
    va_end(args);
}

void LogWarningInWindow(unsigned level, const char* file, int line, const char* function, const char* format, ...) {
    if (!g_logger) return;
    va_list args;
    va_start(args, format);
    g_logger->VWarningInWindow(file, line, function, level, format, args);
    va_end(args);
}

std::string QualifiedFunctionName(const char* pretty) {
    if (!pretty) return {};
    std::string s = pretty;
    // Drop the parameter list: the first '(' at template depth 0 ...
    int depth = 0;
    size_t paren = std::string::npos;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '<')
            ++depth;
        else if (c == '>')
            --depth;
        else if (c == '(' && depth == 0) {
            // ... unless it belongs to "operator()".
            if (i >= 8 && s.compare(i - 8, 8, "operator") == 0 && i + 1 < s.size() && s[i + 1] == ')') {
                ++i;
                continue;
            }
            paren = i;
            break;
        }
    }
    if (paren != std::string::npos) s.resize(paren);
    // ... and the return type: the last space at template depth 0.
    depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '<')
            ++depth;
        else if (c == '>')
            --depth;
        else if (c == ' ' && depth == 0)
            start = i + 1;
    }
    return s.substr(start);
}

}  // namespace Debug
