#include "core/FilePath.h"

#include <algorithm>
#include <cstring>

#include "platform/os/Files.h"

namespace SD {
namespace {

// Copies at most size - 1 characters: overlong parts are cut, never overrun.
void CopyField(char* dest, size_t size, const std::string& text) {
    size_t n = std::min(text.size(), size - 1);
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
}

std::string Slashes(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

}  // namespace

FilePath::FilePath() { folder[0] = fileName[0] = extension[0] = fullPath[0] = '\0'; }

FilePath::FilePath(const char* dir, const char* name, const char* ext) {
    std::string d = Slashes(dir ? dir : "");
    std::string n = name ? name : "";
    std::string e = ext ? ext : "";
    CopyField(folder, kFolderSize, d);
    CopyField(fileName, kNameSize, n);
    CopyField(extension, kExtensionSize, e);
    CopyField(fullPath, kFullPathSize, d + "/" + n + "." + e);
}

FilePath::FilePath(const char* text) {
    std::string full = text ? text : "";
    CopyField(fullPath, kFullPathSize, Slashes(full));
    size_t sep = full.rfind('/');
    if (sep == std::string::npos) sep = full.rfind('\\');
    std::string dir = sep == std::string::npos ? std::string() : full.substr(0, sep);
    std::string rest = sep == std::string::npos ? full : full.substr(sep + 1);
    size_t dot = rest.rfind('.');
    CopyField(folder, kFolderSize, Slashes(dir));
    CopyField(fileName, kNameSize, dot == std::string::npos ? rest : rest.substr(0, dot));
    CopyField(extension, kExtensionSize, dot == std::string::npos ? std::string() : rest.substr(dot + 1));
}

void FilePath::ToBackslashes() {
    for (char* field : {folder, fileName, extension, fullPath})
        for (char* c = field; *c; ++c)
            if (*c == '/') *c = '\\';
}

int MakeDirectory(const char* path) {
    if (!path) return 2;
    switch (platform::CreateDirectory(Slashes(path))) {
        case platform::CreateDirectoryResult::Created:
            return 0;
        case platform::CreateDirectoryResult::AlreadyExists:
            return 1;
        case platform::CreateDirectoryResult::Failed:
            break;
    }
    return 3;
}

std::string StripExtension(const std::string& text) {
    size_t dot = text.rfind('.');
    return dot == std::string::npos ? std::string() : text.substr(0, dot);
}

std::string GetExtension(const std::string& text) {
    size_t dot = text.rfind('.');
    return dot == std::string::npos ? text : text.substr(dot + 1);
}

bool FileList::Find() {
    std::vector<platform::FoundFile> found = platform::FindFiles(pattern.fullPath);
    if (found.empty()) return false;
    files.clear();
    for (const platform::FoundFile& f : found) {
        if (f.isDirectory) continue;
        files.emplace_back(pattern.folder, StripExtension(f.name).c_str(), GetExtension(f.name).c_str());
    }
    return true;
}

void FileFinder::SetPattern(const std::string& text) {
    pattern = text;
    std::replace(pattern.begin(), pattern.end(), '/', '\\');
}

bool FileFinder::Find() {
    names.clear();
    std::vector<platform::FoundFile> found = platform::FindFiles(Slashes(pattern));
    for (const platform::FoundFile& f : found)
        if (!f.isDirectory) names.push_back(f.name);
    return !found.empty();
}

}  // namespace SD
