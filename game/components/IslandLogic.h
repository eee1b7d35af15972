#pragma once
// Large scenery: a floating island that glows more as the player approaches, a crystal that
// chimes and flashes at random moments while the player is near, and a mountain whose pieces
// drift apart with a slow wobble and a constant tremor.
#include <string>

#include "core/SharedString.h"
#include "core/Vector.h"
#include "engine/Group.h"
#include "engine/UpdateComponent.h"
#include "game/components/ProximityGlow.h"

namespace QV {

class FloatingIslandGlowLogic : public SD::IUpdateComponent {
public:
    FloatingIslandGlowLogic() { SetID(SD::kFloatingIslandGlowLogicID); }
    SD::ComponentID VGetID() const override { return SD::kFloatingIslandGlowLogicID; }
    // The data holds versions 1 and 2 only.
    int VGetVersion() const override { return 2; }
    void VInitialize(bool) override { glow_.Reset(GetOwner()); }
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float) override { glow_.Update(GetOwner(), minDistance_, maxDistance_, {25.0f, 2.0f}); }

    const ProximityGlow& GetGlow() const { return glow_; }
    float GetMinDistance() const { return minDistance_; }
    float GetMaxDistance() const { return maxDistance_; }

private:
    ProximityGlow glow_;
    float minDistance_ = 10000000.0f;
    float maxDistance_ = 20000000.0f;
    // Read and written with the data, never played.
    std::string sound_;
};

class CrystalLogic : public SD::IUpdateComponent {
public:
    static constexpr uint32_t kChime = 0xBE414BAB;

    CrystalLogic() { SetID(SD::kCrystalLogicID); }
    SD::ComponentID VGetID() const override { return SD::kCrystalLogicID; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    float GetGlow() const { return glow_; }
    float GetCountdown() const { return countdown_; }

private:
    float glow_ = 1.0f;
    float minDistance_ = 0.0f;
    float maxDistance_ = 0.0f;
    float countdown_ = 0.0f;
};

class MountainSplitLogic : public SD::IUpdateComponent {
public:
    MountainSplitLogic() { SetID(SD::CID_MountainSplitLogic); }
    ~MountainSplitLogic() override;
    SD::ComponentID VGetID() const override { return SD::CID_MountainSplitLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    const SD::Vec3& GetSplitDirection() const { return direction_; }
    void SetMoving(bool moving) { moving_ = moving; }

    // A piece joined the mountain's group: drift away from the others.
    void OnMountainGroup(SD::Group* member);

private:
    bool moving_ = true;
    SD::Vec3 direction_;
    float speed_ = 0.0f;
    SD::SharedString groupName_;
    SD::Group::Listener listener_;
    // The name subscribed under, kept apart in case the data is read again with another.
    SD::SharedString listenedGroup_;
};

}  // namespace QV
