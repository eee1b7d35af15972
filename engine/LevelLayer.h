#pragma once
// One named layer of a level file: the handles of the objects it created, in creation order.
#include <memory>
#include <string>
#include <vector>

#include "engine/GameObjectHandle.h"

namespace SD {

class GameObject;
class LevelLayerFile;
class SuperialValue;
class TweakVariableTarget;

class LevelLayer {
public:
    explicit LevelLayer(const std::string& name) : name_(name) {}
    virtual ~LevelLayer() = default;
    LevelLayer(const LevelLayer&) = delete;
    LevelLayer& operator=(const LevelLayer&) = delete;

    // Offers the layer's name for editing as "<name>_Name".
    virtual void RegisterTweakables(TweakVariableTarget& target);

    // A layer named after a "LevelLayer" node, with the objects of its first "GameObjects"
    // child created; without one the layer is reported and left empty.
    static std::unique_ptr<LevelLayer> createFromSuperialValue(SuperialValue* node);
    // Creates an object from the blueprint of each child, overlays the child's values on it
    // and initialises it. Children without a blueprint or whose blueprint fails are skipped.
    void createAll(SuperialValue* gameObjectsNode);
    // A null object is reported in the error box and not added.
    void AddObject(GameObject* object);
    // Destroys, through the factory, the topmost ancestor of every object that still
    // resolves; then forgets the handles.
    void DestroyObjects();
    // Appends a "LevelLayer" node for this layer to `parent`.
    void Save(SuperialValue* parent) const;
    // Appends an empty "LevelLayer" node of that name to `parent`; returns its "GameObjects"
    // node, which takes one "GameObject" child per object, or null when it cannot be made.
    static SuperialValue* AppendEmptyLayer(SuperialValue* parent, const std::string& name);

    const std::string& GetName() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    LevelLayerFile* GetOwner() const { return owner_; }
    void SetOwner(LevelLayerFile* owner) { owner_ = owner; }
    const std::vector<GameObjectHandle>& GetObjects() const { return objects_; }
    bool GetKeepEmptyComponents() const { return keepEmptyComponents_; }
    void SetKeepEmptyComponents(bool keep) { keepEmptyComponents_ = keep; }

private:
    LevelLayerFile* owner_ = nullptr;
    std::string name_;
    std::vector<GameObjectHandle> objects_;
    bool keepEmptyComponents_ = true;
};

}  // namespace SD
