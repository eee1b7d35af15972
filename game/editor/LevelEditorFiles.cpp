// The editor's level files: "LevelData.ld" (format version and the player's spawn point) and
// "objects.xml" (the template's layers, then "Main", then one layer per group) in
// "../Assets/Levels/<name>/", and the autosaves in time-stamped sub-folders.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/FilePath.h"
#include "core/FileUtil.h"
#include "core/Logger.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/LevelLayer.h"
#include "engine/LevelLayerFile.h"
#include "engine/LevelLayerManager.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"
#include "game/editor/EditorScene.h"
#include "game/editor/LevelEditor.h"
#include "game/editor/ObjectLabel.h"
#include "platform/os/Dialogs.h"

namespace QV {
namespace {

constexpr int kDataVersion = 2;

std::string LevelFolder(const std::string& name) { return std::string(LevelEditor::kLevelsFolder) + name + "/"; }

std::vector<std::string> PathParts(const std::string& name) {
    std::vector<std::string> parts(1);
    for (char c : name) {
        if (c == '/' || c == '\\')
            parts.emplace_back();
        else
            parts.back().push_back(c);
    }
    return parts;
}

// Creates the levels folder and every folder of the name below it.
bool MakeLevelFolder(const std::string& name) {
    std::string path = LevelEditor::kLevelsFolder;
    path.pop_back();
    if (SD::MakeDirectory(path.c_str()) > 1) {
        SD_WARNING(Debug::kLogData, "Cannot create the folder [%s].", path.c_str());
        return false;
    }
    for (const std::string& part : PathParts(name)) {
        path += "/" + part;
        if (SD::MakeDirectory(path.c_str()) > 1) {
            SD_WARNING(Debug::kLogData, "Cannot create the folder [%s].", path.c_str());
            return false;
        }
    }
    return true;
}

std::string Vec3Line(const SD::Vec3& v) {
    std::ostringstream line;
    line << v.x << ' ' << v.y << ' ' << v.z << '\n';
    return line.str();
}

struct LevelData {
    int version = 0;
    SD::Vec3 position;
    SD::Vec3 angles;
};

bool ParseLevelData(const std::vector<unsigned char>& bytes, LevelData* data) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    if (!(in >> data->version >> data->position.x >> data->position.y >> data->position.z)) return false;
    data->angles = SD::Vec3();
    if (data->version == kDataVersion && !(in >> data->angles.x >> data->angles.y >> data->angles.z)) return false;
    return true;
}

std::string TimeStamp() {
    const platform::LocalTime t = platform::GetLocalTime();
    char text[64];
    std::snprintf(text, sizeof text, "save_%02d-%02d-%02d_%02d-%02d-%02d", t.month, t.day, t.year % 100, t.hour,
                  t.minute, t.second);
    return text;
}

// The object's entry as a save would write it afresh, under the top of a document of its own.
std::unique_ptr<SD::SuperialDataMap> EntryOf(SD::GameObject& object) {
    auto document = std::make_unique<SD::SuperialDataMap>();
    SD::SuperialValue* node = document->Top();
    node->SetTypeName("GameObject");
    SD::GameObject::SaveToLevelLayerFile(&object, node, true);
    return document;
}

bool ChangedSinceSelected(const LevelObjectRecord& record, SD::GameObject& object) {
    return record.asSelected && !SD::SuperialValue::SameContent(record.asSelected->Top(), EntryOf(object)->Top());
}

// The "LevelLayer" node of `records` under `root`: every loaded entry the editor has neither
// changed nor deleted as the file had it, and every other object that still exists as it is.
void AppendLayer(SD::SuperialValue* root, const std::string& name, const LevelObjectRecords& records) {
    SD::SuperialValue* objects = SD::LevelLayer::AppendEmptyLayer(root, name);
    if (!objects) return;
    for (const LevelObjectRecord& record : records) {
        if (record.deleted) continue;
        SD::GameObject* object = record.handle.get();
        if (record.entry && !(object && ChangedSinceSelected(record, *object))) {
            SD::SuperialValue::AppendCopy(objects, *record.entry);
        } else if (object) {
            SD::SuperialValue* node = SD::SuperialValue::AppendChildWithTypeName(objects, "GameObject");
            if (node) SD::GameObject::SaveToLevelLayerFile(object, node, true);
        }
    }
}

std::string BlueprintOf(const SD::SuperialValue& entry) {
    std::string name;
    entry.GetAttribute("blueprint", name);
    return name;
}

std::vector<std::string> TemplateLayerNames(const char* level) {
    std::vector<std::string> names;
    std::unique_ptr<SD::SuperialDataMap> document = SD::SuperialDataMap::createFromFile(LevelEditor::kTemplatePath);
    SD::SuperialValue* root = document ? document->Top() : nullptr;
    if (!root || root->Tag() != "LevelLayers" || !root->IsContainer()) {
        SD_WARNING(Debug::kLogData,
                   "The template [%s] is missing or not a level file: levels cannot be saved, and the layers of "
                   "level [%s] load as groups of their own.",
                   LevelEditor::kTemplatePath, level);
        return names;
    }
    for (SD::SuperialValue* child = root->FirstChild(); child; child = child->Next())
        if (child->Tag() == "LevelLayer") names.push_back(child->Name());
    return names;
}

}  // namespace

bool LevelEditor::IsAcceptableLevelName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == ':') return false;
    }
    for (const std::string& part : PathParts(name))
        if (part.empty() || part == "." || part == "..") return false;
    return true;
}

bool LevelEditor::SaveLevel(const char* name) {
    if (!name || !IsAcceptableLevelName(name)) {
        SD_WARNING(Debug::kLogData, "Level name [%s] is refused: it is empty or leaves the levels folder.",
                   name ? name : "(null)");
        return false;
    }
    // The template is read as data: its objects are copied into the file, never created.
    std::unique_ptr<SD::SuperialDataMap> document = SD::SuperialDataMap::createFromFile(kTemplatePath);
    SD::SuperialValue* root = document ? document->Top() : nullptr;
    if (!root || root->Tag() != "LevelLayers" || !root->IsContainer()) {
        SD_WARNING(Debug::kLogData, "Cannot save level [%s]: the template [%s] is missing or not a level file.", name,
                   kTemplatePath);
        return false;
    }
    if (!MakeLevelFolder(name)) return false;

    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::GameObject* player = factory ? factory->GetGameObject(std::string("Player")) : nullptr;
    SD::Vec3 position;
    SD::Vec3 angles;
    // Without a player the spawn point stored last is written.
    if (player && editorscene::PlayerReset(player, &position, &angles)) {
        spawnPosition_ = position;
        spawnAngles_ = angles;
    }

    AppendLayer(root, "Main", mainRecords_);
    for (const auto& group : groups_) AppendLayer(root, group.first, group.second);

    const std::string folder = LevelFolder(name);
    if (SD::SuperialDataMap::WriteToFile((folder + "objects.xml").c_str(), *document) == 0) return false;
    const std::string data = std::to_string(kDataVersion) + "\n" + Vec3Line(spawnPosition_) + Vec3Line(spawnAngles_);
    return SD::WriteWholeFile(folder + "LevelData.ld", nullptr, 0, data.data(), data.size());
}

bool LevelEditor::LoadLevel(const char* name) {
    if (!name || !IsAcceptableLevelName(name)) {
        SD_WARNING(Debug::kLogData, "Level name [%s] is refused: it is empty or leaves the levels folder.",
                   name ? name : "(null)");
        return false;
    }
    // Both files are checked before the current level is cleared.
    const std::string folder = LevelFolder(name);
    std::vector<unsigned char> bytes;
    if (!SD::ReadWholeFile(folder + "LevelData.ld", bytes)) {
        levelName_ = name;
        MakeLevelFolder(name);
        return false;
    }
    LevelData data;
    if (!ParseLevelData(bytes, &data)) {
        SD_WARNING(Debug::kLogData,
                   "Level data [%sLevelData.ld] is malformed: a version and three numbers (and for version 2 "
                   "three more) were expected.",
                   folder.c_str());
        return false;
    }
    const std::string objectsPath = folder + "objects.xml";
    std::unique_ptr<SD::SuperialDataMap> document = SD::SuperialDataMap::createFromFile(objectsPath.c_str());
    if (!document) {
        SD_WARNING(Debug::kLogData, "Level objects [%s] cannot be read; the level was left as it was.",
                   objectsPath.c_str());
        return false;
    }
    ClearLevel();
    SD::LevelLayerFile* file = SD::LevelLayerManager::LoadLayerFile(objectsPath);
    if (!file) return false;
    spawnPosition_ = data.position;
    spawnAngles_ = data.angles;
    // Every save copies the template's layers afresh; kept as groups they would be written a
    // second time by each save and grow with every load and save.
    const std::vector<std::string> templateLayers = TemplateLayerNames(name);
    std::vector<std::string> seen;
    const SD::SuperialValue* root = document->Top();
    for (const SD::SuperialValue* node = root && root->IsContainer() ? root->FirstChild() : nullptr; node;
         node = node->Next()) {
        if (node->Tag() != "LevelLayer") continue;
        const std::string& layerName = node->Name();
        // The file makes the objects of the first layer of each name only.
        const bool first = std::find(seen.begin(), seen.end(), layerName) == seen.end();
        seen.push_back(layerName);
        const SD::LevelLayer* layer = first ? file->FindLayer(layerName) : nullptr;
        const std::vector<SD::GameObjectHandle> none;
        const std::vector<SD::GameObjectHandle>& handles = layer ? layer->GetObjects() : none;
        if (first && std::find(templateLayers.begin(), templateLayers.end(), layerName) != templateLayers.end()) {
            AddLoadedLayer(layerName, handles, nullptr, templateRecords_);
            continue;
        }
        const size_t unmade = AddLoadedLayer(layerName, handles, SD::SuperialValue::FindChildByTag(node, "GameObjects"),
                                             layerName == "Main" ? mainRecords_ : GroupRecords(layerName));
        if (unmade > 0)
            SD_WARNING(Debug::kLogData,
                       "Level objects [%s]: %zu objects of layer [%s] could not be made; saving the level keeps them "
                       "as they are.",
                       objectsPath.c_str(), unmade, layerName.c_str());
    }
    loadedObjects_ = std::move(document);
    levelName_ = name;
    return true;
}

size_t LevelEditor::AddLoadedLayer(const std::string& layer, const std::vector<SD::GameObjectHandle>& handles,
                                   const SD::SuperialValue* entries, LevelObjectRecords& records) {
    const SD::SuperialValue* entry = entries ? entries->FirstChild() : nullptr;
    size_t unmade = 0;
    auto keepUnmade = [&] {
        LevelObjectRecord record;
        record.entry = entry;
        record.removed = true;
        records.push_back(record);
        ++unmade;
        entry = entry->Next();
    };
    for (const SD::GameObjectHandle& handle : handles) {
        SD::GameObject* object = handle.get();
        if (!object) continue;
        // The layer made its objects in the order of its entries, passing over those it could
        // not make: the entries before this object's blueprint made none.
        while (entries && entry && BlueprintOf(*entry) != object->GetBlueprintName()) keepUnmade();
        LevelObjectRecord record;
        record.handle = handle;
        record.label = SD::SharedString(ObjectLabel(object));
        record.entry = entry;
        if (entry) entry = entry->Next();
        records.push_back(record);
        objectHandles_.push_back(handle);
        AddObjectButton(record, layer, ++buttonCounter_);
    }
    while (entries && entry) keepUnmade();
    return unmade;
}

void LevelEditor::NoteSelected(SD::GameObject* object) {
    LevelObjectRecord* record = FindRecord(object);
    if (record && record->entry && !record->asSelected) record->asSelected = EntryOf(*object);
}

LevelObjectRecord* LevelEditor::FindRecord(const SD::GameObject* object) {
    if (!object) return nullptr;
    auto find = [object](LevelObjectRecords& records) -> LevelObjectRecord* {
        for (LevelObjectRecord& record : records)
            if (record.handle.get() == object) return &record;
        return nullptr;
    };
    if (LevelObjectRecord* found = find(mainRecords_)) return found;
    for (auto& group : groups_)
        if (LevelObjectRecord* found = find(group.second)) return found;
    return nullptr;
}

std::vector<std::string> LevelEditor::LevelNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(kLevelsFolder, error))
        if (item.is_directory(error) && std::filesystem::is_regular_file(item.path() / "objects.xml", error))
            names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void LevelEditor::AutoSave(float frameTime) {
    // A duration of 0 or below switches autosaving off.
    if (!(autoSaveDuration_ > 0.0f)) return;
    autoSaveCountdown_ -= frameTime;
    if (autoSaveCountdown_ >= 0.0f) return;
    SaveLevel((levelName_ + "/" + TimeStamp()).c_str());
    autoSaveCountdown_ = autoSaveDuration_;
}

}  // namespace QV
