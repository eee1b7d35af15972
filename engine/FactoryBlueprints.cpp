// Blueprint files: loading, lookup, reloading, and creating objects from them.
#include <algorithm>

#include "core/Logger.h"
#include "core/Manifest.h"
#include "core/MessageSystem.h"
#include "engine/DataFileScope.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/ObjectCreated.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"

namespace SD {

namespace {

std::string WithForwardSlashes(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// The container that holds a file's blueprints: its first top-level node.
SuperialValue* BlueprintList(const SuperialDataMap* tree) {
    SuperialValue* top = tree ? tree->Top() : nullptr;
    return top && top->IsContainer() ? top : nullptr;
}

// Every blueprint name a loaded file lists, in file order.
std::vector<std::string> ListBlueprintNames(const SuperialDataMap& tree) {
    std::vector<std::string> names;
    for (SuperialValue* top = tree.Top(); top; top = top->Next()) {
        if (top->Tag() != "GameObjectBlueprints" || !top->IsContainer()) continue;
        for (SuperialValue* child = top->FirstChild(); child; child = child->Next()) {
            if (child->Tag() == "GameObjectBlueprint") names.push_back(WithForwardSlashes(child->Name()));
        }
    }
    return names;
}

}  // namespace

void Factory_::FreeBlueprints() {
    for (BlueprintFile& file : blueprintFiles_) delete file.tree;
    blueprintFiles_.clear();
    fastLookupMap_.clear();
    fastLookup_ = false;
}

void Factory_::AddBlueprint(const char* path) {
    if (fastLookup_) {
        fastLookup_ = false;
        SD_WARNING_IN_WINDOW(Debug::kLogData,
                             "Blueprint added.  Fast blueprint lookup is no longer available!  Use "
                             "G::Factory->RebuildFastBlueprintLookupMap() to re-enable it.  NOTE: This is a slow "
                             "operation!");
    }
    std::unique_ptr<SuperialDataMap> tree = SuperialDataMap::createFromFile(path);
    if (!tree) {
        SD_WARNING(Debug::kLogData, "Failed to add a malformed blueprint file to the Factory.  [%s] was bad.",
                   path ? path : "");
        return;
    }
    std::vector<std::string> names = ListBlueprintNames(*tree);
    if (names.empty()) {
        SD_WARNING(Debug::kLogData, "Failed to find any GameObjectBlueprints in [%s].", path);
        return;
    }
    blueprintFiles_.push_back(BlueprintFile{tree.release(), std::move(names), path});
}

const Factory_::BlueprintFile* Factory_::FindBlueprintFile(const std::string& name) const {
    for (const BlueprintFile& file : blueprintFiles_) {
        if (std::find(file.names.begin(), file.names.end(), name) != file.names.end()) return &file;
    }
    return nullptr;
}

SuperialValue* Factory_::FindBlueprintNode(const BlueprintFile& file, const std::string& name) const {
    if (SuperialValue* list = BlueprintList(file.tree)) {
        if (SuperialValue* node = SuperialValue::FindChildByName(list, name)) return node;
    }
    SD_WARNING(Debug::kLogData,
               "Object File record has a Blueprint listed for a file in which it couldn't be found.  Requested "
               "Blueprint: [%s].  File in question: [%s].  If you get this error, _please_ bring it to Brannoc "
               "with steps to reproduce.  This should never happen.",
               name.c_str(), file.path.c_str());
    return nullptr;
}

SuperialValue* Factory_::GetBlueprint(const char* name) {
    if (!name) return nullptr;
    if (fastLookup_) {
        auto it = fastLookupMap_.find(name);
        return it == fastLookupMap_.end() ? nullptr : it->second;
    }
    const BlueprintFile* file = FindBlueprintFile(name);
    return file ? FindBlueprintNode(*file, name) : nullptr;
}

bool Factory_::UpdateBlueprint(const char* name) {
    if (fastLookup_) {
        fastLookup_ = false;
        SD_WARNING_IN_WINDOW(Debug::kLogData,
                             "Blueprint updated.  Fast blueprint lookup is no longer available!  Use "
                             "G::Factory->RebuildFastBlueprintLookupMap() to re-enable it.  NOTE: This is a slow "
                             "operation!");
    }
    if (!name) return false;
    const BlueprintFile* found = FindBlueprintFile(name);
    if (!found) return false;
    BlueprintFile& file = blueprintFiles_[static_cast<size_t>(found - blueprintFiles_.data())];
    // The loaded tree stays until its replacement has been read.
    std::unique_ptr<SuperialDataMap> reloaded = SuperialDataMap::createFromFile(file.path.c_str());
    if (!reloaded) {
        SD_WARNING(Debug::kLogData, "Could not reload the blueprint file [%s]; the loaded blueprints are kept.",
                   file.path.c_str());
        return false;
    }
    delete file.tree;
    file.tree = reloaded.release();
    return true;
}

void Factory_::RebuildFastBlueprintLookupMap() {
    fastLookupMap_.clear();
    fastLookupMap_.rehash(8);
    for (const BlueprintFile& file : blueprintFiles_) {
        SuperialValue* list = BlueprintList(file.tree);
        if (!list) continue;
        for (SuperialValue* child = list->FirstChild(); child; child = child->Next())
            fastLookupMap_[child->Name()] = child;
    }
    fastLookup_ = true;
}

void Factory_::LoadObjectManifest(const std::string& path, std::vector<std::string>* names, bool nameFlag) {
    std::vector<std::string> own;
    std::vector<std::string>& files = names ? *names : own;
    if (!ReadManifest(path, files)) return;
    for (std::string& entry : files) {
        AddBlueprint(entry.c_str());
        if (names && nameFlag)
            entry = blueprintFiles_.empty() || blueprintFiles_.back().names.empty()
                        ? std::string()
                        : blueprintFiles_.back().names.back();
    }
}

bool Factory_::EnterCreation(const std::string& name) {
    // Blueprints and hierarchy files name other blueprints as children; one that reaches
    // itself again, or nests too deep, would never end.
    if (std::find(creating_.begin(), creating_.end(), name) != creating_.end() ||
        creating_.size() >= static_cast<size_t>(kMaxBlueprintDepth)) {
        SD_WARNING(Debug::kLogData,
                   "Blueprint [%s] contains itself or nests more than %d deep; the object is not created.",
                   name.c_str(), kMaxBlueprintDepth);
        return false;
    }
    creating_.push_back(name);
    return true;
}

GameObject* Factory_::CreateObject(const char* blueprintName, GameObject* parent) {
    if (!blueprintName) return nullptr;
    const std::string name = WithForwardSlashes(blueprintName);
    return objectInFormat_ == "xml" ? CreateFromBlueprintName(name, parent) : CreateFromText(name, parent);
}

GameObject* Factory_::CreateFromBlueprintName(const std::string& name, GameObject* parent) {
    const BlueprintFile* file = FindBlueprintFile(name);
    if (!file) {
        // Asked for by code or data that names a blueprint no loaded file holds: said here, so
        // the missing name shows instead of an object that silently never appears.
        SD_WARNING(Debug::kLogData, "No loaded blueprint file holds the Blueprint [%s]; the object is not created.",
                   name.c_str());
        return nullptr;
    }
    SuperialValue* node = FindBlueprintNode(*file, name);
    if (!node || !EnterCreation(name)) return nullptr;
    GameObject* object;
    {
        DataFileScope reading(file->path);
        object = CreateFromBlueprint(node, parent);
    }
    creating_.pop_back();
    if (object) {
        ObjectCreated message(object);
        Message_System::GetInstance()->SendMessage(message);
    }
    return object;
}

GameObject* Factory_::CreateFromBlueprint(SuperialValue* node, GameObject* parent) {
    GameObject* object = NewGameObject();
    if (!object) return nullptr;
    object->SetBlueprintName(node->Name());
    if (parent) parent->AttachChild(object);
    GameObject::SerializeIn(node, object, false);
    return object;
}

}  // namespace SD
