#pragma once
// A cloud that follows the player high above, drifting and turning, and fades once left behind
// to start again about the player.
#include "core/Vector.h"
#include "engine/UpdateComponent.h"

namespace QV {

class CloudLogic : public SD::IUpdateComponent {
public:
    enum State { kFollow = 0, kFade = 1 };
    static constexpr float kReach = 20000.0f;

    CloudLogic() { SetID(SD::CID_CloudLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_CloudLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VUpdate(float dt) override;

    int GetState() const { return state_; }
    const SD::Vec3& GetOffset() const { return offset_; }

private:
    void Reset();

    int state_ = kFollow;
    SD::Vec3 offset_;
    SD::Vec3 drift_;
    SD::Vec3 drifted_;
    float turnRate_ = 0.0f;
};

}  // namespace QV
