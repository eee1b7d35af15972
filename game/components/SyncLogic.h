#pragma once
// An object that copies another's position, orientation or both every frame.
#include <string>

#include "engine/UpdateComponent.h"

namespace QV {

class SyncLogic : public SD::IUpdateComponent {
public:
    SyncLogic() { SetID(SD::kSyncLogicID); }
    SD::ComponentID VGetID() const override { return SD::kSyncLogicID; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

private:
    bool syncPosition_ = true;
    bool syncOrientation_ = true;
    std::string target_;
};

}  // namespace QV
