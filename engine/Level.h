#pragma once
// The base of every game state: a name, the objects that belong to the state, and the hooks
// through which the game-state manager loads, enters, runs, leaves and unloads it.
#include <string>
#include <vector>

#include "engine/GameObjectHandle.h"

namespace SD {

class GameObject;

class Level {
public:
    Level() = default;
    virtual ~Level() = default;
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

    // Builds the state's objects.
    virtual void Load() = 0;
    // Releases what Load built.
    virtual void Unload() = 0;
    virtual void Initialize() {}
    // 1 once the entering transition is finished.
    virtual int TransitionIn(float dt) {
        (void)dt;
        return 1;
    }
    virtual void OnEntered() {}
    virtual void BeginExit() {}
    // 1 once the leaving transition is finished.
    virtual int TransitionOut(float dt) {
        (void)dt;
        return 1;
    }
    virtual void OnExited() {}
    virtual void Update(float dt) = 0;
    virtual void UpdateRunning(float dt) { (void)dt; }
    // While the game is paused; given the core's real frame time.
    virtual void UpdatePaused(float realDt) { (void)realDt; }

    const std::string& GetName() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    // A null object is ignored.
    void AddObject(GameObject* object);
    // Entries that still resolve to the object are emptied in place; the list keeps its length.
    void RemoveObject(GameObject* object);
    // Every entry that still resolves is destroyed through the factory; the list is emptied.
    void DestroyObjects();
    const std::vector<GameObjectHandle>& GetObjects() const { return objects_; }

private:
    std::string name_;
    std::vector<GameObjectHandle> objects_;
};

}  // namespace SD
