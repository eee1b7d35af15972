#include "core/FileText.h"

#include <cstdio>
#include <unistd.h>

namespace SD {

bool ReadWholeFile(const char* path, std::string& out) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    std::string text;
    char chunk[16384];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return false;
    out.swap(text);
    return true;
}

std::string TemporaryPathBeside(const char* path) {
    return std::string(path) + ".tmp" + std::to_string(static_cast<long>(getpid()));
}

bool WriteFileReplacing(const char* path, const std::string& text) {
    const std::string temporary = TemporaryPathBeside(path);
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fclose(file) == 0 && ok;
    if (ok) ok = std::rename(temporary.c_str(), path) == 0;
    if (!ok) std::remove(temporary.c_str());
    return ok;
}

}  // namespace SD
