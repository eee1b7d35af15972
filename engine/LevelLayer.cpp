#include "engine/LevelLayer.h"

#include "core/ErrorReport.h"
#include "core/Logger.h"
#include "core/SharedString.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/SuperialValue.h"
#include "engine/TweakVariableTarget.h"

namespace SD {

void LevelLayer::RegisterTweakables(TweakVariableTarget& target) {
    target.AddStringVariable(&name_, SharedString(name_ + "_Name"), " label='Name' ");
}

std::unique_ptr<LevelLayer> LevelLayer::createFromSuperialValue(SuperialValue* node) {
    auto layer = std::make_unique<LevelLayer>(node ? node->Name() : std::string());
    SuperialValue* objects = node ? SuperialValue::FindChildByTag(node, "GameObjects") : nullptr;
    if (objects) {
        layer->createAll(objects);
    } else {
        SD_WARNING(Debug::kLogData,
                   "<LevelLayer> didn't have a <GameObjects> node inside it.  Taking no further action to create a "
                   "LevelLayer.  Layer was [%s].",
                   layer->name_.c_str());
    }
    return layer;
}

void LevelLayer::createAll(SuperialValue* gameObjectsNode) {
    Factory_* factory = Factory_::GetInstance();
    if (!gameObjectsNode || !factory) return;
    for (SuperialValue* node = gameObjectsNode->FirstChild(); node; node = node->Next()) {
        std::string blueprint;
        if (!node->GetAttribute("blueprint", blueprint)) {
            Debug::ShowErrorBox(__FILE__, __LINE__,
                                "GameObject in LevelLayer [%s] is missing its \"blueprint\" name field.",
                                name_.c_str());
            continue;
        }
        GameObject* object = factory->CreateObject(blueprint.c_str(), nullptr);
        if (!object) {
            SD_WARNING(Debug::kLogData, "Failed to create [%s] found in LevelLayer.  Is its blueprint not loaded?",
                       blueprint.c_str());
            continue;
        }
        GameObject::SerializeIn(node, object, true);
        AddObject(object);
        object->Initialize(false);
    }
}

void LevelLayer::AddObject(GameObject* object) {
    if (!object) {
        Debug::ShowErrorBox(__FILE__, __LINE__, "Tried to add a NULL GameObject to a LevelLayer.");
        return;
    }
    objects_.push_back(object->GetHandle());
}

void LevelLayer::DestroyObjects() {
    Factory_* factory = Factory_::GetInstance();
    for (const GameObjectHandle& handle : objects_) {
        GameObject* object = handle.get();
        if (!object || !factory) continue;
        while (object->GetParent()) object = object->GetParent();
        factory->DestroyGameObject(object);
    }
    objects_.clear();
}

SuperialValue* LevelLayer::AppendEmptyLayer(SuperialValue* parent, const std::string& name) {
    SuperialValue* layer = SuperialValue::AppendChildWithTypeName(parent, "LevelLayer");
    if (!layer) return nullptr;
    layer->MakeObject();
    layer->SetName(name);
    SuperialValue::AddIntegerAttribute(layer, "version", 0);
    SuperialValue* objects = SuperialValue::AppendChildWithTypeName(layer, "GameObjects");
    if (objects) objects->MakeObject();
    return objects;
}

void LevelLayer::Save(SuperialValue* parent) const {
    SuperialValue* objects = AppendEmptyLayer(parent, name_);
    if (!objects) return;
    for (const GameObjectHandle& handle : objects_) {
        GameObject* object = handle.get();
        if (!object) continue;
        SuperialValue* node = SuperialValue::AppendChildWithTypeName(objects, "GameObject");
        if (!node) continue;
        node->MakeObject();
        GameObject::SaveToLevelLayerFile(object, node, keepEmptyComponents_);
    }
}

}  // namespace SD
