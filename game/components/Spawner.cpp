#include "game/components/Spawner.h"

#include <algorithm>
#include <cmath>

#include "core/Logger.h"
#include "core/Random.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/Transform.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "game/states/World.h"

namespace QV {
namespace {

const char* OwnerName(const SD::Component& c) { return c.GetOwner() ? c.GetOwner()->GetName().c_str() : ""; }

// A firefly of the colour (1 pink, 2 green, 3 blue, 4 yellow) in a new group about the spawner,
// given the spawner's wait zone as its path and the spawner's idle behaviour.
SD::GameObject* SpawnFirefly(const SD::Vec3& at, const SD::Vec3& spawnerPosition, Spawner* spawner, int colour,
                             const char* behaviour) {
    SD::GameObject* object = Firefly_Manager::GetInstance().SpawnFirefly(at, spawnerPosition, colour,
                                                                         SD::SharedString(behaviour ? behaviour : ""));
    if (auto* firefly = SD::ComponentOf<Firefly>(object, SD::CID_Firefly)) {
        firefly->SetPathScale(spawner->GetWaitZoneSize());
        firefly->SetPathForce(spawner->GetWaitZoneVelocity());
        firefly->DoAction(Firefly::ActionMode::kIdle, SD::SharedString(spawner->GetIdleBehaviour()));
    }
    return object;
}

SD::GameObject* Spawn_Pink_Firefly(const SD::Vec3& at, const SD::Vec3& from, Spawner* spawner) {
    return SpawnFirefly(at, from, spawner, 1, nullptr);
}
SD::GameObject* Spawn_Green_Firefly(const SD::Vec3& at, const SD::Vec3& from, Spawner* spawner) {
    return SpawnFirefly(at, from, spawner, 2, nullptr);
}
SD::GameObject* Spawn_Blue_Firefly(const SD::Vec3& at, const SD::Vec3& from, Spawner* spawner) {
    return SpawnFirefly(at, from, spawner, 3, "Still");
}
SD::GameObject* Spawn_Yellow_Firefly(const SD::Vec3& at, const SD::Vec3& from, Spawner* spawner) {
    SD::GameObject* firefly = SpawnFirefly(at, from, spawner, 4, nullptr);
    World* world = World::Current();
    if (firefly && world) world->AddYellowFirefly(firefly->GetHandle());
    return firefly;
}

// How many objects the factory holds at most: no spawner keeps more alive.
int ObjectCapacity() {
    const SD::Factory_* factory = SD::Factory_::GetInstance();
    return factory ? static_cast<int>(factory->GetPool().GetCapacity()) : 0;
}

}  // namespace

void Spawner::VInitialize(bool) {
    positionFunctions_["GeneratePos_RandomlyNearby"] = &GeneratePos_RandomlyNearby;
    positionFunctions_["GeneratePos_AtSpawner"] = &GeneratePos_AtSpawner;
    spawnFunctions_["Spawn_Yellow_Firefly"] = &Spawn_Yellow_Firefly;
    spawnFunctions_["Spawn_Pink_Firefly"] = &Spawn_Pink_Firefly;
    spawnFunctions_["Spawn_Green_Firefly"] = &Spawn_Green_Firefly;
    spawnFunctions_["Spawn_Blue_Firefly"] = &Spawn_Blue_Firefly;
    spawned_.reserve(static_cast<size_t>(std::min(numberToKeep_, ObjectCapacity())));
    timer_.Restart();
    waitZoneVelocity_ = SD::Vec3(2000.0f, 2000.0f, 2000.0f);
}

void Spawner::VSerialize(SD::IStream& stream, int version) {
    if (version < 0 || version > kDataVersion) return;
    if (version == 3) {
        SD::SerializeVec3(stream, "Wait Zone Velocity", waitZoneVelocity_);
        SD::SerializeVec3(stream, "Wait Zone Size", waitZoneSize_);
        SD::SerializeVec3(stream, "Spawn Zone Size", spawnZoneSize_);
    }
    if (version >= 2) stream.Serialize(splineName_, "Spline Name", "String");
    if (version >= 1) {
        stream.Serialize(numberToKeep_, "Number of objects to have active", "Integer");
        if (numberToKeep_ < 0) {
            SD_WARNING(Debug::kLogError,
                       "Spawner of object %s: \"Number of objects to have active\" %d is negative; 0 is used",
                       OwnerName(*this), numberToKeep_);
            numberToKeep_ = 0;
        }
        // More objects than the factory can hold can never be alive at once.
        const int most = ObjectCapacity();
        if (numberToKeep_ > most) {
            SD_WARNING(Debug::kLogError,
                       "Spawner of object %s: \"Number of objects to have active\" %d is more than the %d objects "
                       "there can be; %d is used",
                       OwnerName(*this), numberToKeep_, most, most);
            numberToKeep_ = most;
        }
        stream.Serialize(interval_, "Rate to spawn objects", "Float");
        stream.Serialize(spawning_, "Spawn state", "Boolean");
    }
    stream.Serialize(spawnFunction_, "Spawn function", "String");
    stream.Serialize(positionFunction_, "Pos function", "String");
    if (stream.GetDirection() == SD::IStream::kRead) warnedUnknown_ = false;
}

void Spawner::VUpdate(float) {
    if (!spawning_) return;
    std::vector<SD::GameObjectHandle> alive;
    for (const SD::GameObjectHandle& handle : spawned_)
        if (handle.get()) alive.push_back(handle);
    spawned_.swap(alive);
    if (static_cast<int>(spawned_.size()) < numberToKeep_ && timer_.GetTime() > interval_) {
        SpawnOne();
        timer_.Restart();
    }
}

void Spawner::SpawnOne() {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    const SD::Vec3 origin = owner->GetTransform().GetLocalPos();
    SD::Vec3 at = origin;
    if (!positionFunction_.empty()) {
        auto found = positionFunctions_.find(positionFunction_);
        if (found == positionFunctions_.end()) {
            if (!warnedUnknown_)
                SD_WARNING(Debug::kLogError, "Spawner of object %s: unknown \"Pos function\" \"%s\"; nothing spawns",
                           OwnerName(*this), positionFunction_.c_str());
            warnedUnknown_ = true;
            return;
        }
        at = found->second(origin, this);
    }
    auto spawn = spawnFunctions_.find(spawnFunction_);
    if (spawn == spawnFunctions_.end()) {
        if (!warnedUnknown_)
            SD_WARNING(Debug::kLogError, "Spawner of object %s: unknown \"Spawn function\" \"%s\"; nothing spawns",
                       OwnerName(*this), spawnFunction_.c_str());
        warnedUnknown_ = true;
        return;
    }
    SD::GameObject* made = spawn->second(at, origin, this);
    if (!made) return;
    spawned_.push_back(made->GetHandle());
    // A spawner holding fireflies is one the world's summer event releases.
    if (World* world = World::Current()) world->AddReleaseSpawner(owner->GetHandle());
}

SD::Vec3 Spawner::GeneratePos_RandomlyNearby(const SD::Vec3& position, Spawner* spawner) {
    const float sizes[3] = {spawner->spawnZoneSize_.x, spawner->spawnZoneSize_.y, spawner->spawnZoneSize_.z};
    float result[3] = {position.x, position.y, position.z};
    for (int i = 0; i < 3; ++i) {
        const double s = std::fabs(static_cast<double>(sizes[i]));
        const double draw = SD::RandomRaw();
        // An empty range (size 0) has no remainder to take: the spawner's own coordinate.
        if (s > 0.0) result[i] += static_cast<float>(std::fmod(draw, 2.0 * s) - s);
    }
    return SD::Vec3(result[0], result[1], result[2]);
}

SD::Vec3 Spawner::GeneratePos_AtSpawner(const SD::Vec3& position, Spawner*) { return position; }

void Spawner::RegisterFunctions() {
    RTTI_GETTER(&Spawner::GetSpawn_fn);
    RTTI_SETTER(&Spawner::SetSpawn_fn);
    RTTI_GETTER(&Spawner::GetPos_fn);
    RTTI_SETTER(&Spawner::SetPos_fn);
    RTTI_GETTER(&Spawner::GetNum_active_objects);
    RTTI_SETTER(&Spawner::SetNum_active_objects);
    RTTI_GETTER(&Spawner::GetSpawn_rate);
    RTTI_SETTER(&Spawner::SetSpawn_rate);
    RTTI_GETTER(&Spawner::GetSpawn_state);
    RTTI_SETTER(&Spawner::SetSpawn_state);
}

SD::GameObject* Spawner::DetachSpawned(size_t index) {
    if (index >= spawned_.size()) return nullptr;
    SD::GameObject* object = spawned_[index].get();
    spawned_.erase(spawned_.begin() + static_cast<std::ptrdiff_t>(index));
    return object;
}

}  // namespace QV
