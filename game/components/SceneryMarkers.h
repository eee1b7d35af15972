#pragma once
// Components that only mark an object for other parts to find: a floating island, a ring tree's
// wind stream.
#include "engine/UpdateComponent.h"

namespace QV {

// Marks a floating island; nothing else.
class FloatingIslandLogic : public SD::IUpdateComponent {
public:
    FloatingIslandLogic() { SetID(SD::kFloatingIslandLogicID); }
    SD::ComponentID VGetID() const override { return SD::kFloatingIslandLogicID; }
    int VGetVersion() const override { return 0; }
    void VUpdate(float) override {}
};

// Marks a ring tree's wind stream; never updated.
class RingTreeWindStreamLogic : public SD::Component {
public:
    RingTreeWindStreamLogic() { SetID(SD::kRingTreeWindStreamLogicID); }
    SD::ComponentID VGetID() const override { return SD::kRingTreeWindStreamLogicID; }
    int VGetVersion() const override { return 0; }
    void VRegister() override {}
    void VUnregister() override {}
};

}  // namespace QV
