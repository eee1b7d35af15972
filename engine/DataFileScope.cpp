#include "engine/DataFileScope.h"

#include <vector>

#include "engine/Component.h"
#include "engine/GameObject.h"

namespace SD {
namespace {

std::vector<std::string>& Files() {
    thread_local std::vector<std::string> files;
    return files;
}

std::vector<const GameObject*>& Objects() {
    thread_local std::vector<const GameObject*> objects;
    return objects;
}

}  // namespace

DataFileScope::DataFileScope(const std::string& path) { Files().push_back(path); }

DataFileScope::~DataFileScope() { Files().pop_back(); }

const std::string& DataFileScope::Current() {
    static const std::string kNone;
    return Files().empty() ? kNone : Files().back();
}

ReadingObjectScope::ReadingObjectScope(const GameObject& object) { Objects().push_back(&object); }

ReadingObjectScope::~ReadingObjectScope() { Objects().pop_back(); }

const GameObject* ReadingObjectScope::Current() { return Objects().empty() ? nullptr : Objects().back(); }

std::string DescribeOwner(const Component& component) {
    const GameObject* owner = component.GetOwner() ? component.GetOwner() : ReadingObjectScope::Current();
    if (!owner) return "a component without an object";
    std::string text = "object [" + owner->GetName() + "]";
    if (owner->GetName().empty()) text = "an object";
    if (!owner->GetBlueprintName().empty()) text += " (blueprint [" + owner->GetBlueprintName() + "])";
    if (!DataFileScope::Current().empty()) text += " in [" + DataFileScope::Current() + "]";
    return text;
}

}  // namespace SD
