#pragma once
// The system that owns every game object: the component creators by ID, the blueprints loaded
// from XML files, the pool of object slots handles resolve against, the map of object names,
// and the queue of objects to delete at its next update.
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/System.h"
#include "engine/ComponentCreator.h"
#include "engine/ComponentID.h"
#include "engine/GameObjectHandle.h"
#include "engine/ObjectPool.h"

namespace Data {
class IDataStream;
}

namespace SD {

class GameObject;
class IMessage;
class SharedString;
class SuperialDataMap;
class SuperialValue;

// The name the factory files a kind or a state under: the part after the last ':', so that a
// namespaced class name and its bare name are one.
std::string FiledName(const std::string& name);

class Factory_ : public ISystem {
public:
    // How deep blueprints may nest children inside children before creation is refused.
    static constexpr int kMaxBlueprintDepth = 64;
    // Depth markers ('>') counted at the start of a line of an object hierarchy file.
    static constexpr int kMaxHierarchyDepth = 100;

    // A pool of `totalObjects` objects (at least one). Publishes itself as the factory.
    explicit Factory_(uint32_t totalObjects);
    ~Factory_() override;
    static Factory_* GetInstance();

    const char* GetName() const override { return "Factory"; }
    void ReadConfig(ConfigFile& config) override;
    void Initialize() override;
    void Shutdown() override;
    // Deletes the objects queued for destruction.
    void Update(float dt) override;

    // Component creators.
    void RegisterComponentCreator(const std::string& name, ComponentID id, IComponentCreator* creator);
    // Null for an unknown or out-of-range ID.
    Component* CreateComponent(ComponentID id);
    void DestroyComponent(Component* component);
    // Empty for an unknown or out-of-range ID.
    const std::string& GetComponentName(ComponentID id) const;
    // False when the name is not registered.
    bool FindComponentID(const std::string& name, ComponentID* id) const;

    // Objects.
    GameObject* CreateObject(const char* blueprintName, GameObject* parent);
    // An empty object entered into the pool; null when the pool is full.
    GameObject* NewGameObject();
    void DestroyGameObject(GameObject* object);
    void DestroyAllGameObjects();
    void AssignGameObjectName(const std::string& name, GameObject* object);
    void RemoveGameObjectName(const std::string& name);
    GameObject* GetGameObject(const std::string& name) const;
    GameObject* GetGameObject(const SharedString& name) const;
    GameObject* GetGameObject(const GameObjectHandle& handle) const { return handle.get(); }
    static GameObject* GetGameObjectByName(const char* name);
    bool SaveObject(GameObject* object, const char* name);
    const ObjectPool& GetPool() const { return pool_; }

    // Blueprints.
    void AddBlueprint(const char* path);
    SuperialValue* GetBlueprint(const char* name);
    bool UpdateBlueprint(const char* name);
    void RebuildFastBlueprintLookupMap();
    // Adds every file the manifest lists, in order. With `names` and `nameFlag` each entry
    // becomes the last blueprint name of the most recent file added.
    void LoadObjectManifest(const std::string& path, std::vector<std::string>* names = nullptr, bool nameFlag = false);

    // Object text files.
    GameObject* ReadObjectText(Data::IDataStream& stream, GameObject* parent);
    GameObject* ReadObjectHierarchy(Data::IDataStream& stream, GameObject* parent);
    void WriteObjectText(GameObject* object, Data::IDataStream& stream);

    const std::string& GetObjectOutFormat() const { return objectOutFormat_; }
    const std::string& GetObjectManifest() const { return objectManifest_; }
    void SetObjectPath(const std::string& path) { objectPath_ = path; }
    void SetObjectInFormat(const std::string& format) { objectInFormat_ = format; }
    void SetObjectManifest(const std::string& path) { objectManifest_ = path; }

private:
    struct CreatorEntry {
        std::string name;
        IComponentCreator* creator = nullptr;
    };
    struct BlueprintFile {
        SuperialDataMap* tree = nullptr;
        std::vector<std::string> names;
        std::string path;
    };

    void OnChangeActiveState(IMessage* message);
    // False (logged) when the name is already being created further out, or nesting is too deep.
    bool EnterCreation(const std::string& name);
    GameObject* CreateFromBlueprintName(const std::string& name, GameObject* parent);
    GameObject* CreateFromBlueprint(SuperialValue* node, GameObject* parent);
    GameObject* CreateFromText(const std::string& name, GameObject* parent);
    const BlueprintFile* FindBlueprintFile(const std::string& name) const;
    // The blueprint node of that name in the file's tree; null (logged) when missing.
    SuperialValue* FindBlueprintNode(const BlueprintFile& file, const std::string& name) const;
    void DeleteObject(GameObject* object);
    void FreeBlueprints();

    uint32_t totalObjects_;
    CreatorEntry creators_[CID_Total];
    std::string objectPath_ = "../Assets/Objects";
    std::string objectInFormat_ = "txt";
    std::string objectOutFormat_ = "txt";
    std::string objectManifest_;
    std::map<std::string, ComponentID> componentNames_;
    ObjectPool pool_;
    std::unordered_map<std::string, GameObjectHandle> objectNames_;
    std::vector<GameObjectHandle> pendingDestruction_;
    std::vector<BlueprintFile> blueprintFiles_;
    std::unordered_map<std::string, SuperialValue*> fastLookupMap_;
    bool fastLookup_ = false;
    // Names of the blueprints being created, outermost first.
    std::vector<std::string> creating_;
    bool handlerRegistered_ = false;
};

}  // namespace SD
