#pragma once
// A tombstone of four pieces (the first four children of its object): it shakes when the
// player comes near and, when the player comes nearer, sets its pieces upright in a row along
// its own X axis over five seconds.
#include <vector>

#include "core/Matrix.h"
#include "core/Quaternion.h"
#include "core/SharedString.h"
#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "engine/UpdateComponent.h"

namespace QV {

class TallTombstoneLogic : public SD::IUpdateComponent {
public:
    static constexpr int kPieces = 4;
    static constexpr float kShakeDistance = 200000.0f;     // squared
    static constexpr float kAssembleDistance = 100000.0f;  // squared
    static constexpr float kAssembleSeconds = 5.0f;

    TallTombstoneLogic() { SetID(SD::CID_TallTombstoneLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_TallTombstoneLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    int GetStage() const { return stage_; }

private:
    void GatherPieces();
    void Record();

    int stage_ = 0;
    SD::SharedString name_;
    float duration_ = 0.0f;
    float timer_ = 0.0f;
    bool soundPending_ = true;
    std::vector<SD::GameObjectHandle> pieces_;
    // In the stone's frame: where each piece starts and where it ends.
    std::vector<SD::Vec3> startPositions_;
    std::vector<SD::Vec3> targetPositions_;
    std::vector<SD::Quaternion> startRotations_;
    std::vector<SD::Quaternion> targetRotations_;
};

}  // namespace QV
