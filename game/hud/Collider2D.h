#pragma once
// Marks a HUD object as touchable on the screen: while registered it is listed among the HUD
// system's 2D colliders.
#include "engine/Component.h"

namespace QV {

class Collider2D : public SD::Component {
public:
    Collider2D() { SetID(SD::CID_Collider2D); }

    SD::ComponentID VGetID() const override { return SD::CID_Collider2D; }
    int VGetVersion() const override { return 0; }
    void VRegister() override;
    void VUnregister() override;
};

}  // namespace QV
