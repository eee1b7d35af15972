#include "game/systems/SoundZones.h"

#include <algorithm>
#include <vector>

namespace QV {
namespace {

std::vector<const SoundZone*>& Zones() {
    static std::vector<const SoundZone*> zones;
    return zones;
}

}  // namespace

void AddSoundZone(const SoundZone* zone) {
    if (zone && std::find(Zones().begin(), Zones().end(), zone) == Zones().end()) Zones().push_back(zone);
}

void RemoveSoundZone(const SoundZone* zone) {
    Zones().erase(std::remove(Zones().begin(), Zones().end(), zone), Zones().end());
}

bool InSoundZone(const SD::Vec3& at, float radius) {
    return std::any_of(Zones().begin(), Zones().end(),
                       [&](const SoundZone* zone) { return zone->Touches(at, radius); });
}

}  // namespace QV
