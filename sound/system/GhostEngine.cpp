#include "sound/system/GhostEngine.h"

#include <algorithm>
#include <cmath>

#include "core/ConfigFile.h"
#include "core/Vector.h"
#include "engine/GameObject.h"
#include "sound/engine/SxSoundEngine.h"

namespace SD {
namespace {

GhostEngine_* g_instance = nullptr;

// What an absent key reads as; start-up uses it unchanged.
constexpr char kAbsent[] = "^_^";
constexpr size_t kLongestValue = 254;

std::string ReadKey(ConfigFile& config, const char* key) {
    return config.GetString(key, kAbsent).substr(0, kLongestValue);
}

}  // namespace

GhostEngine_& GhostEngine_::GetInstance() {
    if (!g_instance) g_instance = new GhostEngine_();
    return *g_instance;
}

GhostEngine_* GhostEngine_::Existing() { return g_instance; }

GhostEngine_::GhostEngine_() {
    if (!g_instance) g_instance = this;
}

GhostEngine_::~GhostEngine_() {
    // The game side goes first, then the Manager, whose end shuts the sound engine down.
    game_.reset();
    delete manager_;
    manager_ = nullptr;
    if (g_instance == this) g_instance = nullptr;
}

void GhostEngine_::ReadConfig(ConfigFile& config) {
    settings_.basePath = ReadKey(config, "BasePath");
    settings_.banks = ReadKey(config, "Banks");
    // Packages are optional: none when the key is absent.
    settings_.packages = config.GetString("Packages", "").substr(0, kLongestValue);
    // Preparation is off, and nothing prepared, unless the configuration says otherwise.
    settings_.gameSyncPreparation = config.GetBool("GameSyncPreparation", false);
    settings_.preparedEvents = config.GetString("PreparedEvents", "").substr(0, kLongestValue);
}

void GhostEngine_::Initialize() {
    if (manager_) return;
    manager_ = new Manager(settings_);
    subsystems_.push_back(manager_);
    if (game_) subsystems_.push_back(game_.get());
    for (IGhostSubsystem* subsystem : subsystems_) subsystem->Init();
}

void GhostEngine_::Shutdown() {
    for (IGhostSubsystem* subsystem : subsystems_) subsystem->Term();
}

void GhostEngine_::Request() {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    requested_ = true;
}

void GhostEngine_::Update(float dt) {
    if (acknowledged_) {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        requested_ = false;
        acknowledged_ = false;
    } else if (requested_) {
        acknowledged_ = true;
    }
    for (IGhostSubsystem* subsystem : subsystems_) subsystem->Update(dt);
    UpdateEmitters();
}

void GhostEngine_::UpdateEmitters() {
    GameObject* listener = manager_ ? manager_->GetListener().get() : nullptr;
    if (!listener) return;
    const Vec3 at = listener->GetTransform().GetPos();
    for (SoundEmitter* emitter : emitters_) {
        if (!emitter->object) continue;
        Transform& transform = emitter->object->GetTransform();
        const Vec3 position = transform.GetPos();
        const double dx = double(position.x) - at.x, dy = double(position.y) - at.y, dz = double(position.z) - at.z;
        const float distance = static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
        const SX::SxGameObjectID id = SoundObjectID(emitter->object);
        if (distanceParameter_ != 0)
            SX::SoundEngine::SetRTPCValue(distanceParameter_, distance - emitter->lastDistance, id, 0,
                                          SX::SxCurve_Linear);
        emitter->lastDistance = distance;
        if (emitter->positioned) {
            const Vec3 front = transform.GetDir();
            SX::SxSoundPosition where;
            where.position = {position.x, position.y, position.z};
            where.orientation = {front.x, front.y, front.z};
            SX::SoundEngine::SetPosition(id, where, 0xFFFFFFFFu);
        }
    }
}

SX::SxGameObjectID GhostEngine_::SoundObjectID(const GameObject* object) {
    if (!object) return kDefaultSoundObject;
    std::lock_guard<std::recursive_mutex> lock(lock_);
    const auto found = ids_.find(object);
    if (found != ids_.end()) return found->second;
    while (nextID_ == 0 || nextID_ == kDefaultSoundObject || nextID_ == SX::SxAllGameObjects) ++nextID_;
    const SX::SxGameObjectID id = nextID_++;
    ids_.emplace(object, id);
    return id;
}

void GhostEngine_::ForgetSoundObjectID(const GameObject* object) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    ids_.erase(object);
}

void GhostEngine_::RegisterSoundObject(GameObject* owner) {
    if (!owner) return;
    const SX::SxGameObjectID id = SoundObjectID(owner);
    if (manager_)
        manager_->RegisterObject(id, owner->GetName());
    else
        SX::SoundEngine::RegisterGameObj(id);
}

void GhostEngine_::UnregisterSoundObject(GameObject* owner) {
    if (!owner) return;
    const SX::SxGameObjectID id = SoundObjectID(owner);
    if (manager_) manager_->UnregisterObject(owner->GetName(), id);
    SX::SoundEngine::UnregisterGameObj(id);
    ForgetSoundObjectID(owner);
}

void GhostEngine_::AddEmitter(SoundEmitter* emitter) {
    if (emitter && std::find(emitters_.begin(), emitters_.end(), emitter) == emitters_.end())
        emitters_.push_back(emitter);
}

void GhostEngine_::RemoveEmitter(SoundEmitter* emitter) {
    emitters_.erase(std::remove(emitters_.begin(), emitters_.end(), emitter), emitters_.end());
}

void GhostEngine_::AddPhantom(Phantom* phantom) {
    if (phantom && std::find(phantoms_.begin(), phantoms_.end(), phantom) == phantoms_.end())
        phantoms_.push_back(phantom);
}

void GhostEngine_::RemovePhantom(Phantom* phantom) {
    phantoms_.erase(std::remove(phantoms_.begin(), phantoms_.end(), phantom), phantoms_.end());
}

SoundObjectHandle GhostEngine_::CreateSoundObject() {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    uint32_t index;
    if (!freeSlots_.empty()) {
        index = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        index = static_cast<uint32_t>(slots_.size());
        slots_.emplace_back();
    }
    slots_[index].object = std::make_unique<SoundObject>();
    return SoundObjectHandle{index, slots_[index].generation};
}

void GhostEngine_::DestroySoundObject(SoundObjectHandle handle) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (!FindSoundObject(handle)) return;
    Slot& slot = slots_[handle.index];
    slot.object.reset();
    ++slot.generation;
    freeSlots_.push_back(handle.index);
}

const SoundObject* GhostEngine_::FindSoundObject(SoundObjectHandle handle) const {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (handle.index >= slots_.size()) return nullptr;
    const Slot& slot = slots_[handle.index];
    return slot.generation == handle.generation ? slot.object.get() : nullptr;
}

void GhostEngine_::SetSoundObjectPosition(const char* name, SoundObjectHandle handle, const Vec3* position) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    SoundObject* object = const_cast<SoundObject*>(FindSoundObject(handle));
    if (!object) return;
    object->name = name ? name : "";
    if (!position) return;
    object->position[0] = position->x;
    object->position[1] = position->y;
    object->position[2] = position->z;
}

std::string GhostEngine_::Summary() const {
    if (!manager_) return "sound off";
    std::string text = "sounds played " + std::to_string(manager_->SoundsPlayed());
    if (!manager_->Started()) text += ", sound engine not started";
    const size_t failures = manager_->Failures().size();
    if (failures) text += ", sound failures " + std::to_string(failures) + " (" + manager_->Failures().front() + ")";
    return text;
}

}  // namespace SD
