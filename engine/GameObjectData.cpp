// Reading game objects from blueprint and level data, and writing them back.
#include <set>
#include <string>

#include "core/Logger.h"
#include "engine/DataFileScope.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/SuperialInStream.h"
#include "engine/SuperialOutStream.h"
#include "engine/SuperialUpdateStream.h"
#include "engine/SuperialValue.h"

namespace SD {

namespace {
bool g_addComponentsFromLevel = true;

// Data may name component kinds whose layer has not joined the program; each is reported once
// and left out, so the rest of the object still loads.
void ReportUnregistered(const std::string& kind) {
    static std::set<std::string> reported;
    if (reported.insert(kind).second)
        SD_WARNING(Debug::kLogData, "Component kind [%s] is not registered; objects are made without it.",
                   kind.c_str());
}
}  // namespace

void GameObject::SetSupportAddingComponentsFromLevelFile(bool support) { g_addComponentsFromLevel = support; }

bool GameObject::GetSupportAddingComponentsFromLevelFile() { return g_addComponentsFromLevel; }

void GameObject::SerializeIn(SuperialValue* node, GameObject* object, bool fromLevel) {
    if (!node || !object || !node->IsContainer()) return;
    ReadingObjectScope reading(*object);
    for (SuperialValue* child = node->FirstChild(); child; child = child->Next()) {
        if (child->Tag() == "Components") {
            SerializeInComponents(child, object, fromLevel);
        } else if (child->Tag() == "Children") {
            SerializeInChildren(child, object);
        } else {
            SD_WARNING(Debug::kLogData,
                       "GameObject couldn't serialize in a <%s> node.\nValid nodes at this point: <Components>, "
                       "<Children>",
                       child->Tag().c_str());
        }
    }
}

void GameObject::SerializeInComponents(SuperialValue* node, GameObject* object, bool fromLevel) {
    Factory_* factory = Factory_::GetInstance();
    if (!factory || !node->IsContainer()) return;
    for (SuperialValue* element = node->FirstChild(); element; element = element->Next()) {
        ComponentID id;
        if (!factory->FindComponentID(element->Tag(), &id)) {
            ReportUnregistered(element->Tag());
            continue;
        }
        const char* name = element->Tag().c_str();
        Component* existing = nullptr;
        if (fromLevel) {
            existing = object->GetComponent(id);
            // An element with attributes only still carries the header (version and the
            // play-state flags), so every element is read.
            if (existing) {
                SuperialUpdateStream stream(element);
                existing->SerializeWithHeader(stream, name);
            }
            if (!g_addComponentsFromLevel) continue;
        }
        if (existing) continue;
        Component* added = object->AddComponent(id);
        if (added) {
            SuperialInStream stream(element);
            added->SerializeWithHeader(stream, name);
        }
    }
}

void GameObject::SerializeInChildren(SuperialValue* node, GameObject* parent) {
    Factory_* factory = Factory_::GetInstance();
    if (!factory || !node->IsContainer()) return;
    for (SuperialValue* entry = node->FirstChild(); entry; entry = entry->Next()) {
        if (entry->Tag() != "Child") {
            SD_WARNING(Debug::kLogData,
                       "Malformed child data.  Found a [%s] node where a Child node was expected.  Should look "
                       "like:\n<GameObjectBlueprint>\n  <Children>\n    <Child>\n      <!-- stuff -->\n    "
                       "</Child>\n  </Children>\n</GameObjectBlueprint>",
                       entry->Tag().c_str());
            continue;
        }
        SuperialValue* nameNode = entry->IsContainer() ? entry->FirstChild() : nullptr;
        if (!nameNode) {
            SD_WARNING(Debug::kLogData, "Malformed child data.  A Child node has no Blueprint Name; it is skipped.");
            continue;
        }
        if (nameNode->Type() != kSuperialString || nameNode->Name() != "Blueprint Name") {
            SD_WARNING(Debug::kLogData,
                       "Malformed child data.  Child's first child should be a String named \"Blueprint Name\".  "
                       "Like this:\n<Child>\n  <String name=\"Blueprint Name\">Car</String>\n  <!-- stuff "
                       "-->\n</Child>\n");
        }
        const std::string& blueprint = nameNode->GetText();
        GameObject* child = factory->CreateObject(blueprint.c_str(), nullptr);
        if (!child) {
            SD_WARNING(Debug::kLogData, "Couldn't create a specified Child.  Is the Blueprint for [%s] loaded?",
                       blueprint.c_str());
            continue;
        }
        parent->AttachChild(child);
        SuperialValue* overrides = nameNode->Next();
        if (overrides && overrides->Tag() == "Components") {
            ReadingObjectScope readingChild(*child);
            SerializeInComponents(overrides, child, true);
        }
    }
}

void GameObject::SaveToLevelLayerFile(GameObject* object, SuperialValue* gameObjectNode, bool keepEmpty) {
    Factory_* factory = Factory_::GetInstance();
    if (!object || !gameObjectNode || !factory) return;
    SuperialValue::AddStringAttribute(gameObjectNode, "blueprint", object->blueprintName_);
    SuperialValue* components = SuperialValue::FindChildByTag(gameObjectNode, "Components");
    if (components)
        SuperialValue::ClearChildren(components);
    else
        components = SuperialValue::AppendChildWithTypeName(gameObjectNode, "Components");
    SuperialValue* blueprint = factory->GetBlueprint(object->blueprintName_.c_str());
    SuperialValue* blueprintComponents = blueprint ? SuperialValue::FindChildByTag(blueprint, "Components") : nullptr;
    if (!blueprintComponents || !components) {
        SD_WARNING(Debug::kLogData,
                   "Source blueprint doesn't have a Components node... That's really weird.  Shouldn't happen.  "
                   "Can't save an object to a level file if its source blueprint is invalid.  Blueprint is [%s].",
                   object->blueprintName_.c_str());
        return;
    }
    SuperialValue* transform = SuperialValue::AppendChildWithTypeName(components, "Transform");
    object->transform_.VSaveToLevelLayerFile(transform,
                                             SuperialValue::FindChildByTag(blueprintComponents, "Transform"));
    for (Component* component : object->components_) {
        const std::string& name = factory->GetComponentName(component->GetID());
        SuperialValue* element = SuperialValue::AppendChildWithTypeName(components, name);
        if (!element) continue;
        component->VSaveToLevelLayerFile(element, SuperialValue::FindChildByTag(blueprintComponents, name));
        if (!keepEmpty && !element->FirstChild()) SuperialValue::Remove(element);
    }
}

void GameObject::SaveAsBlueprint(SuperialValue* node, GameObject* object) {
    Factory_* factory = Factory_::GetInstance();
    if (!node || !object || !factory) return;
    if (!node->IsContainer()) node->MakeObject();
    node->SetName(object->blueprintName_);
    node->SetTag("GameObjectBlueprint");
    SuperialOutStream stream(node);
    stream.BeginGroup(nullptr, "Components", kSuperialObject);
    object->transform_.SerializeWithHeader(stream, "Transform");
    for (Component* head : object->components_) {
        const Component::HandleBlock* block = head->GetHandle();
        for (Component* c = block ? block->first : head; c; c = c->GetNext())
            c->SerializeWithHeader(stream, factory->GetComponentName(c->GetID()).c_str());
    }
    stream.EndGroup(nullptr, "Components", kSuperialObject);
}

}  // namespace SD
