#pragma once
// The world's season: which of the four seasons the world is in and how far its look has moved
// across the three transitions between them (spring to summer, summer to fall, fall to
// winter, each 0 to 1). One instance holds it for the whole program; the season system writes
// it and everything that shows or sounds the season reads it: the renderer's frame constants,
// the sky and its stars, the tinted models and the sound. It lives here, below the renderer
// and the sound, so that each of them reads the same value instead of a copy of its own.
#include <string>

namespace SD {

enum class Season { kSpring, kSummer, kFall, kWinter };
constexpr int kSeasonCount = 4;

// The names the data and the season system's callers use: "Spring", "Summer", "Fall", "Winter".
const char* SeasonName(Season season);
// Reads a name in its capitalised or lower-case form; any other text is false and leaves
// *season alone.
bool ParseSeason(const std::string& name, Season* season);

// The transition that leads into a season; spring has none of its own, it is where the first
// transition starts.
enum class SeasonTransition { kSpringToSummer, kSummerToFall, kFallToWinter };
constexpr int kSeasonTransitionCount = 3;

class WorldSeason {
public:
    static WorldSeason& Get();

    Season GetSeason() const { return season_; }
    float GetTransition(SeasonTransition transition) const { return transitions_[Index(transition)]; }

    // The world is in the season and the transition that season moves takes the value: spring
    // and summer both move the first (spring holds it near 0, summer carries it to 1), fall the
    // second and winter the third.
    void Set(Season season, float transition);
    // The world is in the season; every transition keeps its value.
    void Enter(Season season) { season_ = season; }
    // Spring, with every transition at 0: the world before its season system has run.
    void Reset();

private:
    static int Index(SeasonTransition transition) { return static_cast<int>(transition); }

    Season season_ = Season::kSpring;
    float transitions_[kSeasonTransitionCount] = {0.0f, 0.0f, 0.0f};
};

}  // namespace SD
