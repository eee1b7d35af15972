#pragma once
// A lily pad: turned at random as it is placed, it rocks and drifts sideways about its rest.
#include "engine/UpdateComponent.h"
#include "game/components/RestPose.h"

namespace QV {

class LilyPadLogic : public SD::IUpdateComponent {
public:
    LilyPadLogic() { SetID(SD::CID_LilyPadLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_LilyPadLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

private:
    float rotationScale_ = 0.0f;
    float movementScale_ = 0.0f;
    RestPose rest_;
    float phase_ = 0.0f;
};

}  // namespace QV
