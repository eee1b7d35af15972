#pragma once
// The glow that swells as the player comes near and settles once the player has been close,
// shared by the simple tombstone and the floating island. Distances are squared distances.
#include <string>

namespace SD {
class GameObject;
class IStream;
}  // namespace SD

namespace QV {

class ProximityGlow {
public:
    // How strongly the glow swells on approach and where it settles.
    struct Scheme {
        float swell;
        float rest;
    };

    void Reset(SD::GameObject* owner);
    // One frame; true on the first frame the player is inside the outer distance.
    bool Update(SD::GameObject* owner, float minDistance, float maxDistance, const Scheme& scheme);

    bool IsDone() const { return done_; }
    bool WasApproached() const { return approached_; }
    float GetGlow() const { return glow_; }

private:
    bool done_ = false;
    float smoothedBell_ = 0.0f;
    float glow_ = 0.0f;
    bool approached_ = false;
};

// The distances (data version 1) and the sound (version 2); other versions hold nothing.
void SerializeGlowData(SD::IStream& stream, int version, float& minDistance, float& maxDistance, std::string& sound);

}  // namespace QV
