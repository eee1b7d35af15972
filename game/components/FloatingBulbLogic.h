#pragma once
// A bulb floating on the water: it rocks about its rest, and the wind that touches it tilts
// and pushes it.
#include <cstdint>

#include "core/Message.h"
#include "engine/UpdateComponent.h"
#include "game/components/RestPose.h"

namespace QV {

// The bulb's tilt is held within kTiltLimit either way.
class FloatingBulbLogic : public SD::IUpdateComponent {
public:
    static constexpr float kTiltLimit = 1.3962634f;

    FloatingBulbLogic() { SetID(SD::CID_FloatingBulbLogic); }
    ~FloatingBulbLogic() override;
    SD::ComponentID VGetID() const override { return SD::CID_FloatingBulbLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    float GetPitch() const { return pitch_; }
    float GetRoll() const { return roll_; }

private:
    void OnWind(SD::IMessage* message);

    float rotationScale_ = 0.0f;
    float movementScale_ = 0.0f;
    RestPose rest_;
    float phase_ = 0.0f;
    float pitch_ = 0.0f;
    float yaw_ = 0.0f;
    float roll_ = 0.0f;
    float workingRotationScale_ = 0.0f;
    bool listening_ = false;
    uint32_t listenIndex_ = 0;
};

}  // namespace QV
