#pragma once
// A place where fireflies gather: a firefly that touches the zone's collider gets a group of
// its own at the zone, blinks, and settles within a wider radius.
#include "core/GuardedFunction.h"
#include "engine/Component.h"

namespace Gedankenexperiment {
class Collider;
}

namespace QV {

class SafeZone : public SD::Component {
public:
    static constexpr float kArrivalRadius = 30.0f;

    SafeZone() { SetID(SD::kSafeZoneID); }

    SD::ComponentID VGetID() const override { return SD::kSafeZoneID; }
    int VGetVersion() const override { return 0; }
    void VRegister() override {}
    void VUnregister() override {}
    // Binds the contact handler to the object's collider (replacing any other); a zone without
    // a collider is logged and does nothing.
    void VInitialize(bool fromScript) override;

    void OnContact(Gedankenexperiment::Collider* other);

private:
    MFCore::Lifetime lifetime_;
};

}  // namespace QV
