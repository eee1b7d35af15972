// Object text files (one object's components as words) and object hierarchy files (a tree
// of objects with their transforms), the alternative to blueprints.
#include <algorithm>
#include <cstdio>

#include "core/Logger.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/TextFileDataStream.h"
#include "platform/os/Files.h"

namespace SD {

namespace {

// Longest component name read from an object text file.
constexpr size_t kMaxWordLength = 100;

bool CanOpen(const std::string& path) {
    std::FILE* file = std::fopen(platform::NativePath(path).c_str(), "r");
    if (!file) return false;
    std::fclose(file);
    return true;
}

}  // namespace

GameObject* Factory_::CreateFromText(const std::string& name, GameObject* parent) {
    const std::string base = objectPath_ + "/" + name + ".";
    Data::TextFileDataStream stream;
    GameObject* object = nullptr;
    if (CanOpen(base + objectInFormat_) && stream.openFile((base + objectInFormat_).c_str(), "rt")) {
        object = ReadObjectText(stream, parent);
    } else if (CanOpen(base + "hie") && stream.openFile((base + "hie").c_str(), "rt")) {
        if (!EnterCreation(name)) return nullptr;
        object = ReadObjectHierarchy(stream, parent);
        creating_.pop_back();
    }
    if (object) object->SetBlueprintName(name);
    return object;
}

GameObject* Factory_::ReadObjectText(Data::IDataStream& stream, GameObject* parent) {
    GameObject* object = NewGameObject();
    if (!object) return nullptr;
    if (parent) parent->AttachChild(object);
    std::string word;
    while (stream.get(word)) {
        if (word.size() > kMaxWordLength) word.resize(kMaxWordLength);
        size_t prefix = (word[0] == '/') + (word[0] == ';') + (word.size() > 1 && word[1] == '/');
        ComponentID id;
        if (!FindComponentID(word.substr(prefix), &id)) continue;
        int version = 0;
        if (!stream.get(version)) {
            SD_WARNING(Debug::kLogData,
                       "Component [%s] in an object text file has no version; the rest of the file is skipped.",
                       word.c_str());
            break;
        }
        if (prefix == 0) {
            if (Component* component = object->AddComponent(id)) component->VReadData(stream, version);
        } else if (Component* discarded = CreateComponent(id)) {
            // A commented-out entry: its data is consumed and dropped.
            discarded->VReadData(stream, version);
            DestroyComponent(discarded);
        }
    }
    return object;
}

GameObject* Factory_::ReadObjectHierarchy(Data::IDataStream& stream, GameObject* parent) {
    std::string word;
    if (!stream.get(word)) return nullptr;
    GameObject* root = CreateObject(word.c_str(), parent);
    if (!root) return nullptr;
    int version = 0;
    stream.get(version);
    root->GetTransform().VReadData(stream, version);
    int depth = 1;
    GameObject* last = root;
    while (stream.get(word)) {
        int markers = 0;
        while (static_cast<size_t>(markers) < word.size() && word[markers] == '>' && markers < kMaxHierarchyDepth)
            ++markers;
        GameObject* above = last;
        int nextDepth = depth;
        if (markers == depth) {
            nextDepth = markers + 1;
        } else if (markers < depth) {
            for (int up = depth - markers; up > 0 && above; --up) above = above->GetParent();
            nextDepth = markers + 1;
        }
        const std::string name = word.substr(static_cast<size_t>(markers));
        GameObject* object = CreateObject(name.c_str(), above);
        version = 0;
        stream.get(version);
        if (!object) {
            SD_WARNING(Debug::kLogData, "Couldn't create [%s] from an object hierarchy file; its line is skipped.",
                       name.c_str());
            Transform discarded;
            discarded.VReadData(stream, version);
            continue;
        }
        object->GetTransform().VReadData(stream, version);
        last = object;
        depth = nextDepth;
    }
    return root;
}

void Factory_::WriteObjectText(GameObject* object, Data::IDataStream& stream) {
    auto write = [this, &stream](Component* component) {
        stream.write(GetComponentName(component->VGetID()));
        stream.write(component->VGetVersion());
        stream.writeNewline();
        component->VWriteData(stream);
        stream.writeNewline();
        stream.writeNewline();
    };
    write(&object->GetTransform());
    for (Component* component : object->GetComponents()) write(component);
}

}  // namespace SD
