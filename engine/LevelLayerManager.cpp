#include "engine/LevelLayerManager.h"

#include "core/ConfigFile.h"
#include "core/Logger.h"
#include "engine/GameObject.h"
#include "engine/LevelLayerFile.h"

namespace SD {
namespace {

LevelLayerManager* g_instance = nullptr;

}  // namespace

LevelLayerManager::LevelLayerManager() = default;

LevelLayerManager::~LevelLayerManager() {
    if (g_instance == this) g_instance = nullptr;
}

LevelLayerManager* LevelLayerManager::GetInstance() { return g_instance; }

void LevelLayerManager::ReadConfig(ConfigFile& config) {
    config.SetSection("LevelData");
    supportAddingComponents_ = config.GetBool("SupportAddingComponentsFromLevelFile", true);
    GameObject::SetSupportAddingComponentsFromLevelFile(supportAddingComponents_);
}

void LevelLayerManager::Initialize() { g_instance = this; }

void LevelLayerManager::Shutdown() {
    for (const auto& file : files_) file->Unload();
    files_.clear();
}

LevelLayerFile* LevelLayerManager::LoadLayerFile(const std::string& path) {
    if (!g_instance) {
        SD_WARNING(Debug::kLogData, "Failed to load level layer from [%s].", path.c_str());
        return nullptr;
    }
    auto& files = g_instance->files_;
    files.push_back(std::make_unique<LevelLayerFile>());
    LevelLayerFile* file = files.back().get();
    if (file->LoadFromFile(path)) return file;
    files.pop_back();
    SD_WARNING(Debug::kLogData, "Failed to load level layer from [%s].", path.c_str());
    return nullptr;
}

}  // namespace SD
