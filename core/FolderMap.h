#pragma once
// Named folders the program found at start-up; "AppData" is the program's own folder under
// the user's application-data directory.
#include <string>
#include <unordered_map>

namespace SD {

class FolderMap {
public:
    static FolderMap& GetInstance();

    // Stores or replaces the path under the name.
    void Set(const std::string& name, const std::string& path);
    // The stored path, or null when the name is absent. Valid until the name is set again.
    const char* Get(const std::string& name) const;
    void Clear() { folders_.clear(); }

private:
    std::unordered_map<std::string, std::string> folders_;
};

}  // namespace SD
