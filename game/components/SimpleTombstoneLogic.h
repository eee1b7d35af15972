#pragma once
// A tombstone whose glow swells as the player comes near, with a sound the first time the
// player is inside its reach; once the player has been close it settles at a steady glow.
// Both distances are squared distances.
#include <cstdint>
#include <string>

#include "engine/UpdateComponent.h"
#include "game/components/ProximityGlow.h"

namespace QV {

class SimpleTombstoneLogic : public SD::IUpdateComponent {
public:
    static constexpr int kDataVersion = 2;
    // Played on the first approach when the data names no sound.
    static constexpr uint32_t kDefaultSound = 0x50B62F0E;

    SimpleTombstoneLogic() { SetID(SD::kSimpleTombstoneLogicID); }
    SD::ComponentID VGetID() const override { return SD::kSimpleTombstoneLogicID; }
    int VGetVersion() const override { return kDataVersion; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    bool IsDone() const { return glow_.IsDone(); }
    bool SoundEmitted() const { return glow_.WasApproached(); }
    float GetGlow() const { return glow_.GetGlow(); }
    float GetMinDistance() const { return minDistance_; }
    float GetMaxDistance() const { return maxDistance_; }
    const std::string& GetSoundToEmit() const { return sound_; }

private:
    ProximityGlow glow_;
    float minDistance_ = 1000000.0f;
    float maxDistance_ = 1500000.0f;
    std::string sound_;
};

}  // namespace QV
