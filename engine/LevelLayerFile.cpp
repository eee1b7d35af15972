#include "engine/LevelLayerFile.h"

#include "core/Logger.h"
#include "engine/DataFileScope.h"
#include "engine/LevelLayer.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"

namespace SD {

LevelLayerFile::LevelLayerFile() = default;

LevelLayerFile::~LevelLayerFile() = default;

bool LevelLayerFile::LoadFromFile(const std::string& path) {
    std::unique_ptr<SuperialDataMap> map = SuperialDataMap::createFromFile(path.c_str());
    if (!map) {
        SD_WARNING(Debug::kLogData, "Failed to load level layer file [%s].", path.c_str());
        return false;
    }
    SuperialValue* root = map->Top();
    if (!root || root->Tag() != "LevelLayers")
        SD_WARNING(Debug::kLogData, "Bad level file [%s].  Root node is not <LevelLayers>.", path.c_str());
    path_ = path;
    DataFileScope reading(path);
    CreateNonexistentLayersFromDataMap(map.get());
    return true;
}

void LevelLayerFile::CreateNonexistentLayersFromDataMap(const SuperialDataMap* map) {
    if (!map) {
        SD_WARNING(Debug::kLogData,
                   "Attempt to create level layers without any underlying data.  Did you forget to load a level file "
                   "first?");
        return;
    }
    SuperialValue* root = map->Top();
    if (!root || !root->IsContainer()) return;
    for (SuperialValue* child = root->FirstChild(); child; child = child->Next()) {
        if (child->Tag() != "LevelLayer" || FindLayer(child->Name())) continue;
        std::unique_ptr<LevelLayer> layer = LevelLayer::createFromSuperialValue(child);
        layer->SetOwner(this);
        layers_.push_back(std::move(layer));
    }
}

LevelLayer* LevelLayerFile::FindLayer(const std::string& name) const {
    for (const auto& layer : layers_)
        if (layer->GetName() == name) return layer.get();
    return nullptr;
}

bool LevelLayerFile::Save() {
    SuperialDataMap map;
    SuperialValue* root = map.Top();
    root->SetTypeName("LevelLayers");
    root->MakeObject();
    for (const auto& layer : layers_) layer->Save(root);
    if (SuperialDataMap::WriteToFile(path_.c_str(), map) == 0) {
        SD_WARNING(Debug::kLogData, "Failed to save level layer file [%s]; the file on disk was left as it was.",
                   path_.c_str());
        return false;
    }
    return true;
}

bool LevelLayerFile::SaveAs(const std::string& path) {
    path_ = path;
    return Save();
}

void LevelLayerFile::DestroyAllObjects() {
    for (const auto& layer : layers_) layer->DestroyObjects();
}

void LevelLayerFile::Unload() {
    DestroyAllObjects();
    layers_.clear();
}

}  // namespace SD
