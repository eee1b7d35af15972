#include "platform/os/SourceLines.h"

#include <link.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

std::string ProgramPath() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

struct ModuleQuery {
    uintptr_t address = 0;
    std::string path;
    uintptr_t relative = 0;
    bool found = false;
};

int FindModule(dl_phdr_info* info, size_t, void* data) {
    auto* query = static_cast<ModuleQuery*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) continue;
        uintptr_t start = info->dlpi_addr + segment.p_vaddr;
        if (query->address < start || query->address >= start + segment.p_memsz) continue;
        // The main program has no name of its own here.
        query->path = info->dlpi_name && info->dlpi_name[0] ? info->dlpi_name : ProgramPath();
        query->relative = query->address - info->dlpi_addr;
        query->found = true;
        return 1;
    }
    return 0;
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

bool LookUpSourceLine(const void* address, std::string& file, unsigned& line) {
    ModuleQuery query;
    query.address = reinterpret_cast<uintptr_t>(address);
    if (!address || !dl_iterate_phdr(&FindModule, &query) || !query.found || query.path.empty()) return false;

    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%llx", static_cast<unsigned long long>(query.relative));
    std::string command = "addr2line -e " + ShellQuoted(query.path) + " " + hex + " 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    char output[4096] = {};
    bool read = std::fgets(output, sizeof output, pipe) != nullptr;
    pclose(pipe);
    if (!read) return false;

    // "file:line", possibly followed by " (discriminator n)"; "??:0" or "file:?" when unknown.
    std::string text(output);
    text = text.substr(0, text.find('\n'));
    text = text.substr(0, text.find(" (discriminator"));
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    std::string name = text.substr(0, colon);
    unsigned long number = std::strtoul(text.c_str() + colon + 1, nullptr, 10);
    if (name == "??" || number == 0) return false;
    file = name;
    line = static_cast<unsigned>(number);
    return true;
}

}  // namespace platform
