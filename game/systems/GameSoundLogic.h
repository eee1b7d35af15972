#pragma once
// The game's part of the engine's sound system: starts the interactive music and the ambient
// beds, turns the player's height, speed and distance into game parameters every frame, eases
// the rain and season levels, and plays the phantoms waiting for the music. The music's
// callback arrives on the sound engine's thread and only marks that a beat or a sync entry came;
// the next update, on the main thread, plays what waits for it.
#include <atomic>
#include <unordered_map>

#include "sound/engine/SxTypes.h"
#include "sound/engine/playing/SxCallbackTypes.h"
#include "sound/system/IGhostSubsystem.h"

namespace SD {
class GameObject;
}

namespace QV {

class GameSoundLogic : public SD::IGhostSubsystem {
public:
    // End of event, beat, bar, sync entry and sync exit.
    static constexpr uint32_t kMusicCallbacks = 0x0F01;
    static constexpr uint32_t kBeat = 0x0100;
    static constexpr uint32_t kSyncEntry = 0x0400;
    static constexpr uint32_t kRainParameter = 0x79CBDEDF;
    static constexpr uint32_t kSeasonParameter = 0xCAE96066;
    static constexpr uint32_t kHeightParameterA = 0xDE22FEA3;
    static constexpr uint32_t kHeightParameterB = 0x00D7E2D7;
    static constexpr uint32_t kHeightFadeParameter = 0x15691F73;
    static constexpr uint32_t kSpeedParameter = 0x26341EDE;
    static constexpr uint32_t kDistanceParameter = 0x637D0C70;
    static constexpr uint32_t kEngineDistanceParameter = 0x2A2FAD34;
    // The environment that the sounds made inside the world's sound zones send to.
    static constexpr const char* kZoneEnvironment = "Zone_Reverb";

    ~GameSoundLogic() override;
    const char* GetName() const override { return "AudioLogic"; }
    void Init() override;
    // Stops the music's callbacks from reaching this object.
    void Term() override;
    void Update(float dt) override;

    // The music's callback (sound engine thread): marks beats and sync entries only.
    static void OnMusicCallback(SX::SxCallbackType type, SX::SxCallbackInfo* info);
    bool BeatPending() const { return beat_.load(); }
    bool SyncEntryPending() const { return syncEntry_.load(); }
    float GetTuning() const { return tuning_; }
    float GetRainLevel() const { return rainLevel_; }
    float GetSeasonLevel() const { return seasonLevel_; }
    SD::GameObject* GetMusicObject() const { return music_; }

private:
    // The player's sounds (on the global object) and every emitter send to the zones' reverb
    // while inside a zone; a send is set when it changes.
    void SendZones(SD::GameObject* player);
    using ZoneSends = std::unordered_map<SX::SxGameObjectID, bool>;
    void SendZone(SX::SxGameObjectID object, bool inside, ZoneSends& sends) const;

    float tuning_ = 0.0f;
    SD::GameObject* music_ = nullptr;
    float rainLevel_ = 0.0f;
    float seasonLevel_ = 0.0f;
    std::atomic<bool> beat_{false};
    std::atomic<bool> syncEntry_{false};
    bool callbacksQueued_ = false;
    ZoneSends inZone_;
};

}  // namespace QV
