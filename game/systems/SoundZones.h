#pragma once
// The world's sound zones: placed volumes in which the sounds made there ring in the zones'
// reverb. The season volumes are zones; the game's sound logic asks each frame whether the
// player and each sound emitter are inside one and sets their sends to the reverb.
#include "core/Vector.h"

namespace QV {

class SoundZone {
public:
    virtual ~SoundZone() = default;
    // Whether a sphere of the radius around the point touches the zone.
    virtual bool Touches(const SD::Vec3& at, float radius) const = 0;
};

// A zone joins when its object is initialised and leaves when it goes; adding one twice keeps one.
void AddSoundZone(const SoundZone* zone);
void RemoveSoundZone(const SoundZone* zone);
bool InSoundZone(const SD::Vec3& at, float radius);

}  // namespace QV
