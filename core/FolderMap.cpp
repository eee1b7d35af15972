#include "core/FolderMap.h"

namespace SD {

FolderMap& FolderMap::GetInstance() {
    static FolderMap instance;
    return instance;
}

void FolderMap::Set(const std::string& name, const std::string& path) { folders_[name] = path; }

const char* FolderMap::Get(const std::string& name) const {
    auto it = folders_.find(name);
    return it == folders_.end() ? nullptr : it->second.c_str();
}

}  // namespace SD
