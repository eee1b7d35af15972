#include "platform/os/Files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace platform {

std::string NativePath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

CreateDirectoryResult CreateDirectory(const std::string& given) {
    if (given.empty()) return CreateDirectoryResult::Failed;
    const std::string path = NativePath(given);
    if (mkdir(path.c_str(), 0755) == 0) return CreateDirectoryResult::Created;
    if (errno == EEXIST) {
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return CreateDirectoryResult::AlreadyExists;
    }
    return CreateDirectoryResult::Failed;
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && same(pattern[p], name[n])))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<FoundFile> FindFiles(const std::string& pattern) {
    std::vector<FoundFile> found;
    size_t slash = pattern.find_last_of("/\\");
    std::string folder = slash == std::string::npos ? "." : NativePath(pattern.substr(0, slash));
    std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    if (folder.empty()) folder = "/";
    DIR* dir = opendir(folder.c_str());
    if (!dir) return found;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (!WildcardMatch(mask, name)) continue;
        struct stat st;
        bool isDir = stat((folder + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        found.push_back({name, isDir});
    }
    closedir(dir);
    std::sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    return found;
}

std::optional<std::string> AppDataFolder() {
    std::string folder;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && *xdg)
        folder = xdg;
    else if (home && *home)
        folder = std::string(home) + "/.local/share";
    else
        return std::nullopt;
    // The folder always exists where the program came from; a fresh account may lack it here.
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

}  // namespace platform
