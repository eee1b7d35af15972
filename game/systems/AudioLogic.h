#pragma once
// The game's audio logic: the audio season (a sound-engine state), the rain and wind levels the
// world hands to the sound, and the queue of music-sync requests. States and game parameters
// reach the sound engine through the setters that the game's sound part installs.
#include <cstdint>
#include <algorithm>
#include <vector>

namespace SD {
class GameObject;
}

namespace QV {

class QuorvPhantom;

class AudioLogic_ {
public:
    static constexpr uint32_t kSeasonGroup = 0xA1F25A7F;
    static constexpr uint32_t kFirstSeasonState = 0x4CE3F731;
    static constexpr int kLastSeason = 4;
    static constexpr uint32_t kSecondGroup = 0xA284B748;
    static constexpr uint32_t kSecondGroupState = 0xBABF0E02;

    using StateSetter = void (*)(uint32_t group, uint32_t state);
    // Sets a game parameter on a game object (all objects for kAllObjects).
    using ParameterSetter = void (*)(uint32_t parameter, float value, uint32_t object);
    static constexpr uint32_t kAllObjects = 0xFFFFFFFFu;
    static constexpr uint32_t kGlobalObject = 100;

    static AudioLogic_& GetInstance();
    // The instance if there is one, without making one.
    static AudioLogic_* Existing();
    // Ends the instance; the next GetInstance starts afresh.
    static void DestroyInstance();

    // Stores the season clamped to 0..4 and sets its state.
    void SetSeason(int season);
    // The music state of an index as the menus and states hand it over: unsigned, so a negative
    // number arrives large and selects the last state.
    void SetMusicState(unsigned index) { SetSeason(static_cast<int>(std::min(static_cast<float>(index), 4.0f))); }
    // One season on; at the last season it stays there and sets no state again, as SetSeason
    // keeps the value within the seasons.
    void IncrementState();
    int GetSeason() const { return season_; }

    void SetRainTarget(float target) { rainTarget_ = target; }
    float GetRainTarget() const { return rainTarget_; }
    void SetSeasonTarget(float target) { seasonTarget_ = target; }
    float GetSeasonTarget() const { return seasonTarget_; }
    void SetWindLevel(float level) { windLevel_ = level; }
    float GetWindLevel() const { return windLevel_; }

    // The player's option to fly with the vertical axis inverted.
    void SetInvertY(bool invert) { invertY_ = invert; }
    bool GetInvertY() const { return invertY_; }
    // The master volume, kept within 0..1 (1 at start): the one the HUD's volume slider shows.
    // Setting it hands it on to the engine's sound system, whose master bus follows it.
    void SetGlobalVolume(float volume);
    float GetGlobalVolume() const { return globalVolume_; }

    // Phantoms waiting for the music: those that play at the next sync entry (once per queueing)
    // and those whose pending sound goes out on the next beat. Main thread only: the music's
    // callback just marks that the moment came, and the game sound logic plays the queues.
    void QueueForSyncEntry(QuorvPhantom* phantom) { syncQueue_.push_back(phantom); }
    void QueueForBeat(QuorvPhantom* phantom) { beatQueue_.push_back(phantom); }
    // A phantom that goes away leaves both queues.
    void Unqueue(QuorvPhantom* phantom);
    size_t SyncQueueSize() const { return syncQueue_.size(); }
    size_t BeatQueueSize() const { return beatQueue_.size(); }
    void PlaySyncEntry();
    void PlayBeat();

    // The state of the first season and the second group's state, set when the music starts.
    void ApplyStartStates();

    // Seams (docs/seams.md): the game's sound part installs the sound engine's setters when it
    // starts, and a test its recorder before that. The first installed stays; none or null:
    // nothing is set.
    static bool SetStateSetter(StateSetter setter);
    static void RemoveStateSetter(StateSetter setter);
    static bool SetParameterSetter(ParameterSetter setter);
    static void RemoveParameterSetter(ParameterSetter setter);
    // Posts a sound event on an object's sound object (the game's global one for null) through
    // the engine's sound system; nothing while it has no sound engine running.
    static void PostEvent(const char* event, SD::GameObject* object);
    static void PostEventID(uint32_t event, SD::GameObject* object);
    // Posts a music trigger to every sound object: the playing music answers it with its
    // stinger.
    static void PostTrigger(const char* trigger);
    static void SetParameter(uint32_t parameter, float value, uint32_t object);

private:
    AudioLogic_() = default;
    void SetSeasonState(int season);
    // The season's sounds may turn to the next season at any moment: the media of the season set
    // and of the one after it stay loaded, those of the others go.
    void PrepareSeasons(int season);

    int season_ = 1;
    // The season states PrepareSeasons keeps loaded, its list kept between the frames that set
    // a season (every frame inside a season's transition volume).
    std::vector<uint32_t> preparedSeasons_;
    float rainTarget_ = 0.0f;
    float windLevel_ = 0.0f;
    float seasonTarget_ = 0.0f;
    bool invertY_ = false;
    float globalVolume_ = 1.0f;
    std::vector<QuorvPhantom*> syncQueue_;
    std::vector<QuorvPhantom*> beatQueue_;
};

}  // namespace QV
