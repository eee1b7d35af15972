#include "core/ErrorReport.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "core/Logger.h"
#include "platform/os/Dialogs.h"
#include "platform/os/SourceLines.h"

namespace Debug {
namespace {

void WriteDebugOutput(const char* text) { std::fputs(text, stderr); }

}  // namespace

bool ShowErrorBox(const char* file, int line, const char* format, ...) {
    char message[kReportBufferSize] = {};
    int prefix = std::snprintf(message, sizeof message, "%s(%d) : ", file ? file : "", line);
    if (prefix < 0) prefix = 0;
    size_t used = static_cast<size_t>(prefix) < sizeof message ? static_cast<size_t>(prefix) : sizeof message - 1;
    if (format) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(message + used, sizeof message - used, format, args);
        va_end(args);
    } else {
        std::snprintf(message + used, sizeof message - used, "%s", "No Error Message.");
    }
    WriteDebugOutput(message);
    WriteDebugOutput("\n");
    platform::ShowCursor(true);
    platform::ShowMessageBox("Error!", message);
    return true;
}

void DebugPrint(const char* format, ...) {
    char message[kReportBufferSize] = {};
    if (format) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(message, sizeof message, format, args);
        va_end(args);
    }
    WriteDebugOutput(message);
    WriteDebugOutput("\n");
}

std::string ExtractFormatTypes(const char* format) {
    std::string types;
    if (!format) return types;
    bool inConversion = false;
    for (const char* p = format; *p; ++p) {
        char c = *p;
        if (c == '%') {
            inConversion = true;
        } else if (c == ' ' || c == '\n') {
            inConversion = false;
        } else if (inConversion && std::strchr("cdfips", c)) {
            types += c;
        }
    }
    return types;
}

bool GetSourceLine(const void* address, SourceLine& record) {
    std::string file;
    unsigned line = 0;
    if (!platform::LookUpSourceLine(address, file, line)) return false;
    std::snprintf(record.fileName, sizeof record.fileName, "%s", file.c_str());
    record.line = line;
    return true;
}

bool OpenConsole() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    std::ios::sync_with_stdio(true);
    return true;
}

void ClearConsole() {
    std::fputs("\033[2J\033[H", stdout);
    std::fflush(stdout);
}

}  // namespace Debug

namespace SD {

void PrintLastOsError() {
    int error = errno;
    char text[256] = {};
    const char* message = strerror_r(error, text, sizeof text);
    Debug::LogWarning(Debug::kLogError, "PrintLastOsError", 59, "SD::PrintLastOsError", "%s", message);
}

}  // namespace SD
