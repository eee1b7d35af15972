#pragma once
// The entity: a named collection of components with an embedded transform, a place in the
// object tree, and the handle by which others refer to it. Objects are created, found and
// deleted only through the factory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Component.h"
#include "engine/GameObjectHandle.h"
#include "engine/IntrusiveList.h"
#include "engine/Transform.h"

namespace SD {

class SuperialValue;

class GameObject {
public:
    IntrusiveLink<GameObject> siblingLink_;
    using ChildList = IntrusiveList<GameObject, &GameObject::siblingLink_>;

    enum State : uint32_t { kInitialized = 0, kSleepRequested = 2, kCreated = 3 };

    GameObject();
    // Unregisters and destroys every component, releases the children list. The factory
    // deletes objects; nothing else should.
    ~GameObject();
    GameObject(const GameObject&) = delete;
    GameObject& operator=(const GameObject&) = delete;

    // Objects come from a pool of their own, so objects made one after another lie together in
    // memory and the per-frame passes over their transforms stream.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);

    // ID 0 is the embedded transform; otherwise the oldest component of that ID, or null.
    Component* GetComponent(ComponentID id);
    // ID 0 returns the transform. A second component of one ID joins the first's handle chain.
    // Null when the factory has no creator for the ID.
    Component* AddComponent(ComponentID id);
    // Removes, unregisters and destroys a component of the components array; one that is not
    // there is left alone.
    void RemoveComponent(Component* component);
    const std::vector<Component*>& GetComponents() const { return components_; }

    Transform& GetTransform() { return transform_; }
    GameObject* GetParent() const { return parent_; }
    // Appends the child to this object's children.
    void AttachChild(GameObject* child);
    ChildList& GetChildren() { return children_; }

    void Initialize(bool fromScript);
    void Sleep();
    void Awake();
    void ChangeActiveState(uint32_t playState);

    void NameObject(const std::string& name);
    void UnnameObject();
    // Destroys the children at once and queues this object with the factory.
    void Destroy();
    // Destroys the root of this object's tree.
    void DestroyEntity();
    // Destroys every child through the factory and unlinks it.
    void DestroyChildren();

    // Reads "Components" and "Children" from blueprint (fromLevel false) or level data.
    static void SerializeIn(SuperialValue* node, GameObject* object, bool fromLevel);
    static void SaveToLevelLayerFile(GameObject* object, SuperialValue* gameObjectNode, bool keepEmpty);
    // Writes the object's transform and components (not its children) as a blueprint.
    static void SaveAsBlueprint(SuperialValue* node, GameObject* object);
    // Whether level data may add components an object lacks (on by default; the level-layer
    // manager sets it from its configuration).
    static void SetSupportAddingComponentsFromLevelFile(bool support);
    static bool GetSupportAddingComponentsFromLevelFile();
    // Reloads the blueprint files of this object and its children.
    void UpdateBlueprints();

    const GameObjectHandle& GetHandle() const { return handle_; }
    void SetHandle(const GameObjectHandle& handle) { handle_ = handle; }
    uint32_t GetState() const { return state_; }
    uint32_t GetPlayState() const { return playState_; }
    bool IsAsleep() const { return asleep_; }
    const std::string& GetName() const { return name_; }
    const std::string& GetBlueprintName() const { return blueprintName_; }
    void SetBlueprintName(const std::string& name) { blueprintName_ = name; }
    uint32_t GetObjectId() const { return objectId_; }

private:
    static void SerializeInComponents(SuperialValue* node, GameObject* object, bool fromLevel);
    static void SerializeInChildren(SuperialValue* node, GameObject* parent);
    void ClearName();

    // What the per-frame passes read comes first and together: the transform and the tree
    // links; the rest of the object follows.
    Transform transform_;
    GameObject* parent_ = nullptr;
    ChildList children_;
    std::vector<Component*> components_;
    GameObjectHandle handle_;
    uint32_t state_ = kCreated;
    uint32_t playState_ = kPlayStatePlay;
    bool asleep_ = false;
    std::string name_;
    std::string blueprintName_;
    uint32_t objectId_;
};

// The object's component of the given kind, as its class; null without an object or component.
template <class T>
T* ComponentOf(GameObject* object, ComponentID id) {
    return object ? static_cast<T*>(object->GetComponent(id)) : nullptr;
}

}  // namespace SD
