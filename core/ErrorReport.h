#pragma once
// Debugging services called when something goes wrong or a developer wants output: the error
// box for hard failures, prints to the debugger output (standard error here), the text of the
// last operating-system error, the conversion letters of a printf format and the console.
#include <cstddef>
#include <cstdint>
#include <string>

namespace Debug {

constexpr size_t kReportBufferSize = 4096;

// Shows "<file>(<line>) : <message>" (or "No Error Message." for a null format) in a box
// titled "Error!" with the cursor shown. The box is logged and recorded, never waited on, so
// the caller goes on as it would once the user had closed it. Always true.
bool ShowErrorBox(const char* file, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));

// The formatted text, cut to the buffer, and a line feed on the debugger output.
void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The conversion letters (c, d, f, i, p, s) of a printf format, in order. A conversion runs
// from its '%' to the next blank or newline, and every such letter inside it is taken.
std::string ExtractFormatTypes(const char* format);

struct SourceLine {
    char fileName[260];
    uint32_t line;
};

// The source file and line of a code address. False, with the record untouched, when the
// address has no line information; a longer file name is cut to fit and always terminated.
bool GetSourceLine(const void* address, SourceLine& record);

// The process already has its standard streams: they are made unbuffered and the C++
// streams synchronised with them. Always true.
bool OpenConsole();
// Clears the terminal the standard output is shown on.
void ClearConsole();

}  // namespace Debug

namespace SD {

// The text of the last operating-system error (errno) as a warning of level 2.
void PrintLastOsError();

}  // namespace SD
