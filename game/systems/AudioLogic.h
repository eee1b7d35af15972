#pragma once
// The game's audio logic: the audio season (a sound-engine state), the rain and wind levels the
// world hands to the sound, and the queue of music-sync requests. The state change reaches the
// sound engine through a setter the tests may replace.
#include <cstdint>
#include <mutex>
#include <vector>

namespace QV {

class AudioLogic_ {
public:
    static constexpr uint32_t kSeasonGroup = 0xA1F25A7F;
    static constexpr uint32_t kFirstSeasonState = 0x4CE3F731;
    static constexpr int kLastSeason = 4;

    using StateSetter = void (*)(uint32_t group, uint32_t state);

    static AudioLogic_& GetInstance();
    // Forgets everything (tests only).
    static void ResetForTests();

    // Stores the season clamped to 0..4 and sets its state.
    void SetSeason(int season);
    // One season on; past the last season the value still grows but sets no state.
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
    // The master volume, kept within 0..1.
    void SetGlobalVolume(float volume) { globalVolume_ = volume < 0.0f ? 0.0f : (volume > 1.0f ? 1.0f : volume); }
    float GetGlobalVolume() const { return globalVolume_; }

    void QueueMusicSyncRequest(int request);
    // The requests queued so far, handed over and forgotten.
    std::vector<int> TakeMusicSyncRequests();

    // Null restores the sound engine's own.
    static void SetStateSetter(StateSetter setter);

private:
    AudioLogic_() = default;
    void SetSeasonState(int season);

    int season_ = 1;
    float rainTarget_ = 0.0f;
    float windLevel_ = 0.0f;
    float seasonTarget_ = 0.0f;
    float globalVolume_ = 1.0f;
    bool invertY_ = false;
    std::mutex syncLock_;
    std::vector<int> syncRequests_;
};

}  // namespace QV
