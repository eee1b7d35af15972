#pragma once
// Fixed-size path records and the small path utilities built on them.
#include <string>
#include <vector>

namespace SD {

struct FilePath {
    static constexpr size_t kFolderSize = 251;
    static constexpr size_t kNameSize = 101;
    static constexpr size_t kExtensionSize = 11;
    static constexpr size_t kFullPathSize = 363;

    FilePath();
    FilePath(const char* dir, const char* name, const char* ext);
    explicit FilePath(const char* fullPath);

    void ToBackslashes();

    char folder[kFolderSize];
    char fileName[kNameSize];
    char extension[kExtensionSize];
    char fullPath[kFullPathSize];
};

// 0 created, 1 already there, 2 null path, 3 any other failure.
int MakeDirectory(const char* path);
// The text before the last '.'; empty when there is none.
std::string StripExtension(const std::string& text);
// The text after the last '.'; the whole text when there is none.
std::string GetExtension(const std::string& text);

// Files (not folders) matching the wildcard pattern held in the pattern's full path.
struct FileList {
    FilePath pattern;
    std::vector<FilePath> files;
    // False (and the list untouched) when nothing matches or the folder cannot be read.
    bool Find();
};

struct FileFinder {
    std::string pattern;
    std::vector<std::string> names;
    void SetPattern(const std::string& text);
    bool Find();
};

}  // namespace SD
