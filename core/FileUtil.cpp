#include "core/FileUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/Logger.h"
#include "platform/os/Files.h"

namespace SD {
namespace {

void ListFolder(const std::string& folder, const std::string& pattern, std::vector<FilePath>& files) {
    for (const platform::FoundFile& f : platform::FindFiles(folder + "/" + pattern)) {
        if (f.isDirectory) continue;
        std::string full = folder + "/" + f.name;
        // A path cut to the record's fields would name another file.
        if (full.size() >= FilePath::kFullPathSize) {
            SD_WARNING(Debug::kLogData, "Path too long for a file record, skipped: \"%s\"", full.c_str());
            continue;
        }
        files.emplace_back(full.c_str());
    }
    for (const platform::FoundFile& f : platform::FindFiles(folder + "/*")) {
        if (!f.isDirectory || f.name == "." || f.name == ".." || f.name == ".svn") continue;
        std::string sub = folder + "/" + f.name;
        // No file below a folder too long for the record can be listed; this also ends the
        // descent into a loop of linked folders.
        if (sub.size() >= FilePath::kFolderSize) {
            SD_WARNING(Debug::kLogData, "Folder path too long for a file record, not searched: \"%s\"", sub.c_str());
            continue;
        }
        ListFolder(sub, pattern, files);
    }
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
    bytes.clear();
    std::FILE* file = std::fopen(platform::NativePath(path).c_str(), "rb");
    if (!file) {
        SD_WARNING(Debug::kLogData, "Failed to open file \"%s\": %s", path.c_str(), std::strerror(errno));
        return false;
    }
    unsigned char chunk[64 * 1024];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        SD_WARNING(Debug::kLogData, "Failed to read file \"%s\"", path.c_str());
        bytes.clear();
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const void* header, size_t headerSize, const void* body, size_t bodySize) {
    const std::string target = platform::NativePath(path);
    const std::string temporary = target + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        SD_WARNING(Debug::kLogData, "Failed to create file \"%s\": %s", temporary.c_str(), std::strerror(errno));
        return false;
    }
    bool written = (headerSize == 0 || std::fwrite(header, 1, headerSize, file) == headerSize) &&
                   (bodySize == 0 || std::fwrite(body, 1, bodySize, file) == bodySize);
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), target.c_str()) != 0) {
        SD_WARNING(Debug::kLogData, "Failed to write file \"%s\"", path.c_str());
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool ListFilesRecursive(const std::string& folder, const std::string& pattern, std::vector<FilePath>& files) {
    files.clear();
    std::string root = folder;
    while (root.size() > 1 && (root.back() == '/' || root.back() == '\\')) root.pop_back();
    ListFolder(root, pattern, files);
    return !files.empty();
}

}  // namespace SD
