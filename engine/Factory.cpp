#include "engine/Factory.h"

#include "core/ConfigFile.h"
#include "core/Logger.h"
#include "engine/GameObject.h"

namespace SD {

std::string FiledName(const std::string& name) {
    const size_t colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

namespace {
Factory_* g_factory = nullptr;
const std::string kNoName;

bool ValidID(ComponentID id) { return static_cast<uint32_t>(id) < CID_Total; }
}  // namespace

Factory_::Factory_(uint32_t totalObjects) : totalObjects_(totalObjects < 1 ? 1 : totalObjects), pool_(totalObjects_) {
    g_factory = this;
    pendingDestruction_.reserve(totalObjects_);
}

Factory_::~Factory_() {
    DestroyAllGameObjects();
    FreeBlueprints();
    for (CreatorEntry& entry : creators_) delete entry.creator;
    if (g_factory == this) g_factory = nullptr;
}

Factory_* Factory_::GetInstance() { return g_factory; }

void Factory_::ReadConfig(ConfigFile& config) {
    objectPath_ = config.GetString("ObjectPath", "../Assets/Objects");
    objectInFormat_ = config.GetString("ObjectInFormat", "txt");
    objectOutFormat_ = config.GetString("ObjectOutFormat", "txt");
    objectManifest_ = config.GetString("ObjectManifest", "");
}

void Factory_::Update(float) {
    // Deleting an object can queue others (a component that destroys what it holds); those
    // wait for the next update instead of growing the queue being walked.
    std::vector<GameObjectHandle> due;
    due.reserve(totalObjects_);
    due.swap(pendingDestruction_);
    for (const GameObjectHandle& handle : due) {
        if (GameObject* object = handle.get()) DeleteObject(object);
    }
}

void Factory_::RegisterComponentCreator(const std::string& name, ComponentID id, IComponentCreator* creator) {
    if (!creator) return;
    if (!ValidID(id)) {
        SD_WARNING(Debug::kLogData, "Component ID %u of [%s] is out of range; the creator is not registered.",
                   static_cast<unsigned>(id), name.c_str());
        delete creator;
        return;
    }
    const std::string registered = FiledName(name);
    if (componentNames_.emplace(registered, id).second) creators_[id].name = registered;
    delete creators_[id].creator;
    creators_[id].creator = creator;
}

Component* Factory_::CreateComponent(ComponentID id) {
    if (!ValidID(id) || !creators_[id].creator) return nullptr;
    Component* component = creators_[id].creator->Create();
    if (component) component->SetID(component->VGetID());
    return component;
}

void Factory_::DestroyComponent(Component* component) {
    if (!component) return;
    const ComponentID id = component->VGetID();
    if (ValidID(id) && creators_[id].creator)
        creators_[id].creator->Destroy(component);
    else
        delete component;
}

const std::string& Factory_::GetComponentName(ComponentID id) const {
    return ValidID(id) ? creators_[id].name : kNoName;
}

bool Factory_::FindComponentID(const std::string& name, ComponentID* id) const {
    auto it = componentNames_.find(name);
    if (it == componentNames_.end()) return false;
    *id = it->second;
    return true;
}

GameObject* Factory_::NewGameObject() {
    GameObject* object = new GameObject();
    const GameObjectHandle handle = pool_.Acquire(object);
    if (!handle.get()) {
        delete object;
        return nullptr;
    }
    object->SetHandle(handle);
    return object;
}

void Factory_::DestroyGameObject(GameObject* object) {
    if (!object) return;
    object->DestroyChildren();
    if (!object->GetName().empty()) object->UnnameObject();
    pendingDestruction_.push_back(object->GetHandle());
}

void Factory_::DeleteObject(GameObject* object) {
    pool_.Release(object, object->GetHandle());
    delete object;
}

void Factory_::DestroyAllGameObjects() {
    const std::vector<ObjectPool::Slot>& slots = pool_.GetSlots();
    for (size_t i = 0; i < slots.size(); ++i) {
        if (GameObject* object = slots[i].object) DeleteObject(object);
    }
    pendingDestruction_.clear();
}

void Factory_::AssignGameObjectName(const std::string& name, GameObject* object) {
    if (object) objectNames_[name] = object->GetHandle();
}

void Factory_::RemoveGameObjectName(const std::string& name) { objectNames_.erase(name); }

GameObject* Factory_::GetGameObject(const std::string& name) const {
    auto it = objectNames_.find(name);
    return it == objectNames_.end() ? nullptr : it->second.get();
}

GameObject* Factory_::GetGameObjectByName(const char* name) {
    return g_factory && name ? g_factory->GetGameObject(std::string(name)) : nullptr;
}

}  // namespace SD
