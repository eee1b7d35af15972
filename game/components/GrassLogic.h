#pragma once
// Grass: a patch that makes its blades in a circle and jitters them, and a billboard that now
// and then flips to face the camera's side.
#include <string>

#include "engine/UpdateComponent.h"

namespace QV {

class GrassPatchLogic : public SD::IUpdateComponent {
public:
    GrassPatchLogic() { SetID(SD::CID_GrassPatchLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_GrassPatchLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

private:
    std::string blade_;
    int count_ = 0;
};

class NaiveGrassBillboardLogic : public SD::IUpdateComponent {
public:
    static constexpr unsigned kMaxWait = 50;

    NaiveGrassBillboardLogic() { SetID(SD::CID_NaiveGrassBillboardLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_NaiveGrassBillboardLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VUpdate(float dt) override;

    unsigned GetCounter() const { return counter_; }
    void SetCounter(unsigned counter) { counter_ = counter; }

private:
    unsigned counter_ = 0;
};

}  // namespace QV
