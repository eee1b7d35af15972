#pragma once
// Folders, wildcard file search and the application-data folder.
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The path with every backslash made a slash: the paths in the game's configuration and
// scripts use either separator.
std::string NativePath(std::string path);

enum class CreateDirectoryResult { Created, AlreadyExists, Failed };
CreateDirectoryResult CreateDirectory(const std::string& path);

struct FoundFile {
    std::string name;  // the name alone, without its folder
    bool isDirectory = false;
};

// Lists the entries of a folder whose names match the wildcard pattern of the last path
// component ('*' any run, '?' one character, case-insensitive, as the game's data expects of
// a file search); "." and ".." are listed when the pattern matches them. Sorted by name so that
// listings are stable. An unreadable folder gives an empty list.
std::vector<FoundFile> FindFiles(const std::string& pattern);
bool WildcardMatch(const std::string& pattern, const std::string& name);

// The per-user application-data folder: $XDG_DATA_HOME, else $HOME/.local/share, created
// when missing; nothing when neither is known.
std::optional<std::string> AppDataFolder();

}  // namespace platform
