#pragma once
// Keeps up to a set number of spawned objects (fireflies) alive around its object, making one
// every so many seconds while its spawn state is on. Where a new object goes and what is made
// are chosen by name from a table of position functions and one of spawn functions.
#include <string>
#include <unordered_map>
#include <vector>

#include "core/RTTI.h"
#include "core/SharedString.h"
#include "core/Timer.h"
#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "engine/UpdateComponent.h"
#include "game/components/ReflectedLogic.h"

namespace QV {

class Spawner : public ReflectedLogic<Spawner, SD::CID_Spawner> {
public:
    static constexpr int kDataVersion = 3;

    // (position, spawner) -> where the object goes.
    using PositionFunction = SD::Vec3 (*)(const SD::Vec3& position, Spawner* spawner);
    // (where, the spawner object's position, spawner) -> the new object, or null.
    using SpawnFunction = SD::GameObject* (*)(const SD::Vec3& at, const SD::Vec3& spawnerPosition, Spawner* spawner);

    int VGetVersion() const override { return kDataVersion; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void RegisterFunctions() override;

    const char* GetSpawn_fn() const { return spawnFunction_.c_str(); }
    void SetSpawn_fn(const char* name) { spawnFunction_ = name ? name : ""; }
    const char* GetPos_fn() const { return positionFunction_.c_str(); }
    void SetPos_fn(const char* name) { positionFunction_ = name ? name : ""; }
    int GetNum_active_objects() const { return numberToKeep_; }
    // A negative number is stored as 0.
    void SetNum_active_objects(int number) { numberToKeep_ = number < 0 ? 0 : number; }
    float GetSpawn_rate() const { return interval_; }
    void SetSpawn_rate(float seconds) { interval_ = seconds; }
    bool GetSpawn_state() const { return spawning_; }
    void SetSpawn_state(bool spawning) { spawning_ = spawning; }
    const SD::Vec3& GetWaitZoneVelocity() const { return waitZoneVelocity_; }
    const SD::Vec3& GetWaitZoneSize() const { return waitZoneSize_; }
    const SD::Vec3& GetSpawnZoneSize() const { return spawnZoneSize_; }
    const SD::SharedString& GetSplineName() const { return splineName_; }
    bool GetFollowPath() const { return followPath_; }
    void SetFollowPath(bool follow) { followPath_ = follow; }
    // The idle behaviour a firefly of this spawner takes when spawned: the path while the
    // follow-path flag is set, else waiting for the player.
    const char* GetIdleBehaviour() const { return followPath_ ? "FollowPath" : "WatchForPlayer"; }
    // Released by the world's summer event, a firefly leaves its wait by the spawner for the paths.
    static constexpr const char* kReleaseBehaviour = "FollowPath";

    // The objects spawned and not yet found gone, in creation order.
    const std::vector<SD::GameObjectHandle>& GetSpawnedObjects() const { return spawned_; }
    void ClearSpawnedObjects() { spawned_.clear(); }
    // Takes one spawned object off the list (the object lives on); null past the end.
    SD::GameObject* DetachSpawned(size_t index);

    // Per axis i: p[i] plus a draw from [-s, s) with s = |spawn zone size[i]|, x then y then z;
    // an axis of size 0 keeps p's coordinate.
    static SD::Vec3 GeneratePos_RandomlyNearby(const SD::Vec3& position, Spawner* spawner);
    static SD::Vec3 GeneratePos_AtSpawner(const SD::Vec3& position, Spawner* spawner);

private:
    void SpawnOne();

    std::string positionFunction_;
    std::string spawnFunction_;
    std::unordered_map<std::string, PositionFunction> positionFunctions_;
    std::unordered_map<std::string, SpawnFunction> spawnFunctions_;
    bool followPath_ = false;
    std::vector<SD::GameObjectHandle> spawned_;
    int numberToKeep_ = 10;
    float interval_ = 30.0f;
    bool spawning_ = false;
    SD::Stopwatch timer_;
    SD::Vec3 spawnZoneSize_{1050.0f, 150.0f, 1050.0f};
    SD::Vec3 waitZoneSize_{1050.0f, 1050.0f, 1050.0f};
    SD::Vec3 waitZoneVelocity_{200.0f, 200.0f, 200.0f};
    SD::SharedString splineName_;
    bool warnedUnknown_ = false;
};

}  // namespace QV
