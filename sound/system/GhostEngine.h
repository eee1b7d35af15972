#pragma once
// The engine's sound system: the system through which the game reaches the sound engine. It
// runs the game-side sound subsystems (the engine's own Manager first), keeps the game's named
// sound objects behind handles, gives each sounding game object its sound-engine ID, and pushes
// the emitters' positions and their distance to the listener to the sound engine every frame.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/System.h"
#include "platform/TestProbe.h"
#include "sound/engine/SxTypes.h"
#include "sound/system/IGhostSubsystem.h"
#include "sound/system/SoundManager.h"

namespace SD {

class GameObject;
class Phantom;
struct Vec3;

// A game object whose position the sound engine follows.
struct SoundEmitter {
    GameObject* object = nullptr;
    bool positioned = false;
    float lastDistance = 0.0f;  // to the listener, at the previous update
};

struct SoundObject {
    std::string name;
    float position[3] = {0.0f, 0.0f, 0.0f};
};

struct SoundObjectHandle {
    uint32_t index = 0;
    uint32_t generation = 0;
};

class GhostEngine_ : public ISystem {
public:
    // Created on first use; the core owns and deletes it.
    static GhostEngine_& GetInstance();
    // The instance if there is one, without making one.
    static GhostEngine_* Existing();

    GhostEngine_();
    ~GhostEngine_() override;
    GhostEngine_(const GhostEngine_&) = delete;
    GhostEngine_& operator=(const GhostEngine_&) = delete;

    const char* GetName() const override { return "GhostEngine"; }
    void ReadConfig(ConfigFile& config) override;
    void Initialize() override;
    void Shutdown() override;
    void Update(float dt) override;

    // The game's own subsystem, run after the Manager; hand it in before Initialize.
    void SetGameSubsystem(std::unique_ptr<IGhostSubsystem> subsystem) { game_ = std::move(subsystem); }
    void SetSettings(const Manager::Settings& settings) { settings_ = settings; }
    const Manager::Settings& GetSettings() const { return settings_; }
    // Null before Initialize.
    Manager* GetManager() { return manager_; }
    void SetDistanceParameter(SX::SxUniqueID parameter) { distanceParameter_ = parameter; }

    // The sound-engine ID of a game object, from a table (never 0, 100 or all objects); the ID
    // stays the object's until it is forgotten.
    SX::SxGameObjectID SoundObjectID(const GameObject* object);
    void ForgetSoundObjectID(const GameObject* object);

    // The owner registered with the sound engine under its name, and unregistered.
    void RegisterSoundObject(GameObject* owner);
    void UnregisterSoundObject(GameObject* owner);

    void AddEmitter(SoundEmitter* emitter);
    void RemoveEmitter(SoundEmitter* emitter);
    const std::vector<SoundEmitter*>& Emitters() const { return emitters_; }
    void AddPhantom(Phantom* phantom);
    void RemovePhantom(Phantom* phantom);
    size_t PhantomCount() const { return phantoms_.size(); }

    SoundObjectHandle CreateSoundObject();
    void DestroySoundObject(SoundObjectHandle handle);
    // Renames a valid handle's object and, when a position is given, moves it.
    void SetSoundObjectPosition(const char* name, SoundObjectHandle handle, const Vec3* position);
    // Null for a handle that is not valid.
    const SoundObject* FindSoundObject(SoundObjectHandle handle) const;

    // The request flag and its acknowledgement, for the game side.
    void Request();
    bool Acknowledged() const { return acknowledged_; }

    // For the run's summary: the sounds played and what failed at start-up.
    std::string Summary() const;

private:
    friend struct platform::TestProbe<GhostEngine_>;

    void UpdateEmitters();

    std::vector<SoundEmitter*> emitters_;
    std::vector<Phantom*> phantoms_;
    Manager* manager_ = nullptr;
    std::unique_ptr<IGhostSubsystem> game_;
    std::vector<IGhostSubsystem*> subsystems_;
    Manager::Settings settings_;
    SX::SxUniqueID distanceParameter_ = 0;
    struct Slot {
        std::unique_ptr<SoundObject> object;
        uint32_t generation = 0;
    };
    std::vector<Slot> slots_;
    std::vector<uint32_t> freeSlots_;
    std::unordered_map<const GameObject*, SX::SxGameObjectID> ids_;
    SX::SxGameObjectID nextID_ = 1;
    bool requested_ = false;
    bool acknowledged_ = false;
    mutable std::recursive_mutex lock_;
};

}  // namespace SD
