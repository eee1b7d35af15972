#pragma once
// A season volume: while the player is inside it switches the sound's season and posts the
// season's ambience every frame, and a summer volume also moves the world's spring-to-summer
// blend by where the player stands across it. A season volume is also one of the world's sound
// zones.
#include "core/SharedString.h"
#include "core/Vector.h"
#include "engine/UpdateComponent.h"
#include "game/systems/SoundZones.h"

namespace QV {

// A season volume is also one of the world's sound zones.
class SeasonTransitionLogic : public SD::IUpdateComponent, public SoundZone {
public:
    enum VolumeType { kSphere = 0, kBox = 1 };

    SeasonTransitionLogic() { SetID(SD::CID_SeasonTransitionLogic); }
    ~SeasonTransitionLogic() override { RemoveSoundZone(this); }
    SD::ComponentID VGetID() const override { return SD::CID_SeasonTransitionLogic; }
    int VGetVersion() const override { return 1; }
    void VInitialize(bool) override { AddSoundZone(this); }
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    bool Touches(const SD::Vec3& at, float radius) const override;

    int GetVolumeType() const { return volumeType_; }
    const SD::SharedString& GetSeason() const { return season_; }

private:
    // Where the player stands across the volume (0 to 1); false when outside.
    bool Blend(SD::GameObject* player, float* blend) const;

    int volumeType_ = kBox;
    SD::SharedString season_;
};

}  // namespace QV
