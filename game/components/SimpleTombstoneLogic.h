#pragma once
// A tombstone whose glow swells as the player comes near, with a sound the first time the
// player is inside its reach; once the player has been close it settles at a steady glow.
// Both distances are squared distances.
#include <string>

#include "engine/UpdateComponent.h"

namespace QV {

constexpr SD::ComponentID kSimpleTombstoneLogicID = static_cast<SD::ComponentID>(102);

class SimpleTombstoneLogic : public SD::IUpdateComponent {
public:
    static constexpr int kDataVersion = 2;

    SimpleTombstoneLogic() { SetID(kSimpleTombstoneLogicID); }
    SD::ComponentID VGetID() const override { return kSimpleTombstoneLogicID; }
    int VGetVersion() const override { return kDataVersion; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    bool IsDone() const { return done_; }
    bool SoundEmitted() const { return soundEmitted_; }
    float GetGlow() const { return glow_; }
    float GetMinDistance() const { return minDistance_; }
    float GetMaxDistance() const { return maxDistance_; }
    const std::string& GetSoundToEmit() const { return sound_; }

private:
    void SetBulbAlpha(float alpha);

    bool done_ = false;
    float smoothedBell_ = 0.0f;
    float glow_ = 0.0f;
    float minDistance_ = 1000000.0f;
    float maxDistance_ = 1500000.0f;
    bool soundEmitted_ = false;
    std::string sound_;
};

}  // namespace QV
