#include "core/Season.h"

namespace SD {
namespace {

constexpr const char* kNames[kSeasonCount] = {"Spring", "Summer", "Fall", "Winter"};
constexpr const char* kLowerNames[kSeasonCount] = {"spring", "summer", "fall", "winter"};

// The transition a season moves.
SeasonTransition Moved(Season season) {
    switch (season) {
        case Season::kFall:
            return SeasonTransition::kSummerToFall;
        case Season::kWinter:
            return SeasonTransition::kFallToWinter;
        default:
            return SeasonTransition::kSpringToSummer;
    }
}

}  // namespace

const char* SeasonName(Season season) { return kNames[static_cast<int>(season)]; }

bool ParseSeason(const std::string& name, Season* season) {
    for (int s = 0; s < kSeasonCount; ++s) {
        if (name != kNames[s] && name != kLowerNames[s]) continue;
        *season = static_cast<Season>(s);
        return true;
    }
    return false;
}

WorldSeason& WorldSeason::Get() {
    static WorldSeason season;
    return season;
}

void WorldSeason::Set(Season season, float transition) {
    season_ = season;
    transitions_[Index(Moved(season))] = transition;
}

void WorldSeason::Reset() { *this = WorldSeason(); }

}  // namespace SD
