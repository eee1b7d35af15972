#pragma once
// The crash dump: a fatal signal writes a plain-text report (signal, address, backtrace) to
// the dump file in the program's folder under the user's application-data directory.
#include <string>

namespace platform::crash {
struct FaultInfo;
}

namespace SD {

// The program's folder under the application-data directory, and its dump file.
constexpr const char* kAppFolderName = "Vernholm";
constexpr const char* kDumpFileName = "MiniDump.dmp";
// Stack kept aside on the main thread so that a stack overflow can still be reported.
constexpr size_t kCrashStackGuarantee = 16384;

// The user's application-data directory; false when there is none.
bool GetSpecialFolderPath(std::string& path);

// Makes sure the program's folder exists, records it as "AppData" in the folder map and
// installs the crash handler with the dump file in it. False when there is no
// application-data directory (nothing recorded) or the folder cannot be created (the
// "AppData" entry stays recorded).
bool InstallCrashHandler();

class CrashHandler {
public:
    static CrashHandler& GetInstance();

    // Sets the dump path, keeps a fault stack for the calling thread and installs the
    // handler for fatal signals.
    bool Install(const std::string& path);
    // Puts back the handlers that were there before Install.
    void Uninstall();
    const std::string& DumpPath() const { return dumpPath_; }

    // Writes the report of the fault into the dump file (replacing an older one) and says on
    // standard error whether that worked. Async-signal-safe.
    static void WriteMiniDump(const platform::crash::FaultInfo& fault);

private:
    std::string dumpPath_ = kDumpFileName;
};

}  // namespace SD
