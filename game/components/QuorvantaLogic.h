#pragma once
// The title vehicle on the menus: its four named wheels turn.
#include "engine/UpdateComponent.h"

namespace QV {

// Turns the four named wheels of the title vehicle a little every frame.
class QuorvantaLogic : public SD::IUpdateComponent {
public:
    QuorvantaLogic() { SetID(SD::CID_QuorvantaLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_QuorvantaLogic; }
    int VGetVersion() const override { return 0; }
    void VUpdate(float dt) override;
};

}  // namespace QV
