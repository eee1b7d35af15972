#pragma once
// A model tinted between its spring and summer colours by the world's spring-to-summer blend.
#include "core/Vector.h"
#include "engine/UpdateComponent.h"

namespace QV {

class SeasonalColorInterpLogic : public SD::IUpdateComponent {
public:
    SeasonalColorInterpLogic() { SetID(SD::CID_SeasonalColorInterpLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_SeasonalColorInterpLogic; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

private:
    SD::Vec4 spring_;
    SD::Vec4 summer_;
    SD::Vec4 fall_;
    SD::Vec4 winter_;
};

}  // namespace QV
