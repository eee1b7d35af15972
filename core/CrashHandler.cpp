#include "core/CrashHandler.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "core/FolderMap.h"
#include "platform/crash/FaultHandler.h"
#include "platform/os/Files.h"

namespace SD {
namespace {

// The dump path as the signal handler reads it: no allocation after a fault.
char g_dumpPath[4096] = "MiniDump.dmp";

void WriteText(const char* text) {
    size_t length = std::strlen(text);
    while (length > 0) {
        ssize_t n = write(STDERR_FILENO, text, length);
        if (n <= 0) return;
        text += n;
        length -= size_t(n);
    }
}

const char* ErrorText(int error, char* buffer, size_t size) {
    // The GNU form may return a static text rather than fill the buffer.
    return strerror_r(error, buffer, size);
}

}  // namespace

bool GetSpecialFolderPath(std::string& path) {
    auto folder = platform::AppDataFolder();
    if (!folder) return false;
    path = *folder;
    return true;
}

bool InstallCrashHandler() {
    std::string folder;
    if (!GetSpecialFolderPath(folder)) return false;
    folder += "/";
    folder += kAppFolderName;
    FolderMap::GetInstance().Set("AppData", folder);
    if (platform::CreateDirectory(folder) == platform::CreateDirectoryResult::Failed) return false;
    return CrashHandler::GetInstance().Install(folder + "/" + kDumpFileName);
}

CrashHandler& CrashHandler::GetInstance() {
    static CrashHandler instance;
    return instance;
}

bool CrashHandler::Install(const std::string& path) {
    dumpPath_ = path;
    std::strncpy(g_dumpPath, path.c_str(), sizeof(g_dumpPath) - 1);
    g_dumpPath[sizeof(g_dumpPath) - 1] = '\0';
    platform::crash::ReserveFaultStack(kCrashStackGuarantee);
    return platform::crash::InstallFaultFilter(&CrashHandler::WriteMiniDump);
}

void CrashHandler::Uninstall() { platform::crash::RemoveFaultFilter(); }

void CrashHandler::WriteMiniDump(const platform::crash::FaultInfo& fault) {
    char error[256];
    const int fd = open(g_dumpPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        const char* text = ErrorText(errno, error, sizeof(error));
        WriteText("Error attempt to create the minidump file ");
        WriteText(g_dumpPath);
        WriteText(".\nError: ");
        WriteText(text);
        WriteText("\n");
        return;
    }
    const bool written = platform::crash::WriteFaultReport(fd, fault);
    const int writeError = errno;
    if (close(fd) != 0 || !written) {
        WriteText("MiniDumpWriteDump failed. Error: ");
        WriteText(ErrorText(written ? errno : writeError, error, sizeof(error)));
        WriteText("\n");
        return;
    }
    WriteText(g_dumpPath);
    WriteText(" created.\n");
}

}  // namespace SD
