#pragma once
// The system that owns the game states and moves one state at a time through load,
// initialise, transition in, run, transition out and unload. It also keeps the play state
// (engine/PlayState.h), announces its changes and mirrors them into the core's pause
// flag, and records every object created from a blueprint in the current state.
#include <cstdint>
#include <string>
#include <vector>

#include "core/System.h"
#include "engine/PlayState.h"

namespace SD {

class GameObject;
class IMessage;
class Level;

class GameStateManager_ : public ISystem {
public:
    enum Phase : uint32_t { kIdle = 0, kLoad = 1, kEnter = 2, kRun = 3, kExit = 4, kUnused = 5, kQuit = 6 };
    // The engine's play states, under the names the game's states use; kept as signed numbers,
    // the type scripts set them with.
    static constexpr int32_t kPlay = kPlayStatePlay;
    static constexpr int32_t kPause = kPlayStatePause;
    static constexpr int32_t kDevPause = kPlayStateDevPause;

    // Publishes itself as the one manager and as the engine's play-state query.
    GameStateManager_();
    // Deletes every registered state.
    ~GameStateManager_() override;
    GameStateManager_(const GameStateManager_&) = delete;
    GameStateManager_& operator=(const GameStateManager_&) = delete;
    static GameStateManager_* GetInstance();

    const char* GetName() const override { return "GameStateManager"; }
    // "StartingLevel" names the first state ("Quit": none); absent or empty changes nothing.
    void ReadConfig(ConfigFile& config) override;
    // Registers the quit-request and object-created handlers.
    void Initialize() override;
    // Unloads a state that was loaded and not yet unloaded; removes the handlers.
    void Shutdown() override;
    // One step of the current phase.
    void Update(float dt) override;

    // Takes ownership; the state is named after the part of `name` after its last ':'.
    void RegisterLevel(Level* state, const std::string& name);
    Level* FindLevel(const std::string& name) const;
    // A registered name becomes the pending state and is returned; "Quit" makes the pending
    // state none; any other name changes nothing. Null in both latter cases.
    Level* ChangeLevelTo(const std::string& name);
    // ChangeLevelTo on the one manager; null when there is none.
    static Level* ChangeLevel(const std::string& name);
    void Quit();

    Level* GetCurrentLevel() const { return current_; }
    Level* GetPendingLevel() const { return pending_; }
    Level* GetPreviousLevel() const { return previous_; }
    uint32_t GetPhase() const { return phase_; }
    const std::vector<Level*>& GetLevels() const { return levels_; }

    // Stores the state, sends ChangeActiveState (new, old), then sets the core's pause flag:
    // clear for Play, set for Pause and DevPause, unchanged for any other value.
    void SetPlayState(int32_t playState);
    int32_t GetPlayState() const { return playState_; }

    void AddObjectToCurrentLevel(GameObject* object);
    void RemoveObjectFromCurrentLevel(GameObject* object);

private:
    void OnQuitRequest(IMessage* message);
    void OnObjectCreated(IMessage* message);

    uint32_t phase_ = kIdle;
    int32_t playState_ = kPlay;
    Level* previous_ = nullptr;
    Level* current_ = nullptr;
    Level* pending_ = nullptr;
    std::vector<Level*> levels_;
};

}  // namespace SD
