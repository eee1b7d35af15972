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
    void SetWindLevel(float level) { windLevel_ = level; }
    float GetWindLevel() const { return windLevel_; }

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
    std::mutex syncLock_;
    std::vector<int> syncRequests_;
};

}  // namespace QV
