#pragma once
// The global logger: warning lines on standard error in the engine's line format.
#include <cstdarg>
#include <string>

namespace Debug {

// The levels lines are logged at, most serious first. Levels up to
// GlobalLogger::kMaxPrintedLevel reach standard error; those above are kept quiet.
enum LogLevel : unsigned {
    kLogSevere = 1,  // memory overrun or data lost
    kLogError = 2,   // an operation or a setting refused; the program goes on without it
    kLogData = 3,    // a data-file element skipped or given its default
    kLogNotice = 4,  // worth a developer's eye, changes nothing
};

class ILogger {
public:
    virtual void WarningInWindow(const char* file, int line, const char* function, unsigned level, const char* format,
                                 ...) = 0;
    virtual void Warning(const char* file, int line, const char* function, unsigned level, const char* format, ...) = 0;
    virtual void Error(const char* file, int line, const char* function, unsigned level, const char* format, ...) = 0;
    virtual ~ILogger() = default;
};

class GlobalLogger : public ILogger {
public:
    static constexpr size_t kBufferSize = 4096;
    // Only levels up to this one reach standard error.
    static constexpr unsigned kMaxPrintedLevel = 6;

    GlobalLogger();
    ~GlobalLogger() override;
    GlobalLogger(const GlobalLogger&) = delete;
    GlobalLogger& operator=(const GlobalLogger&) = delete;

    void WarningInWindow(const char* file, int line, const char* function, unsigned level, const char* format,
                         ...) override;
    void Warning(const char* file, int line, const char* function, unsigned level, const char* format, ...) override;
    void Error(const char* file, int line, const char* function, unsigned level, const char* format, ...) override;

    void VWarning(const char* file, int line, const char* function, unsigned level, const char* format, va_list args);
    void VWarningInWindow(const char* file, int line, const char* function, unsigned level, const char* format,
                          va_list args);

    // The text of the last message formatted (cut to the buffer).
    const char* Buffer() const { return buffer_; }

private:
    void Format(const char* format, va_list args);
    void Print(const char* file, int line, const char* function, unsigned level) const;
    char* buffer_;
};

// The program-wide logger; null before one is created and after it is destroyed.
GlobalLogger* GetGlobalLogger();

// Receives every line the logger prints, as printed, on the thread that logged it; tests read a
// run's log through it instead of standard error.
class ILineSink {
public:
    virtual void Line(const char* line) = 0;
    virtual ~ILineSink() = default;
};
// One sink at a time, a seam (docs/seams.md): the first installed stays; null empties it.
bool SetLineSink(ILineSink* sink);
// Removes `sink` only if it is the one installed.
void RemoveLineSink(ILineSink* sink);

// Does nothing when no logger exists.
void LogWarning(unsigned level, const char* file, int line, const char* function, const char* format, ...)
    __attribute__((format(printf, 5, 6)));
void LogWarningInWindow(unsigned level, const char* file, int line, const char* function, const char* format, ...)
    __attribute__((format(printf, 5, 6)));

// "SD::Factory_::CreateObject" from a compiler's full function signature.
std::string QualifiedFunctionName(const char* prettyFunction);

}  // namespace Debug

#define SD_LOG_FUNCTION_NAME ::Debug::QualifiedFunctionName(__PRETTY_FUNCTION__).c_str()
#define SD_WARNING(level, ...) ::Debug::LogWarning((level), __FILE__, __LINE__, SD_LOG_FUNCTION_NAME, __VA_ARGS__)
#define SD_WARNING_IN_WINDOW(level, ...) \
    ::Debug::LogWarningInWindow((level), __FILE__, __LINE__, SD_LOG_FUNCTION_NAME, __VA_ARGS__)
