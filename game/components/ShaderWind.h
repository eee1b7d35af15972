#pragma once
// Lets the winds that touch its object bend the object's geometry: the wind's direction and 25
// times its strength go to the geometry's wind.
#include "engine/Component.h"

namespace SD {
class IMessage;
}

namespace QV {

class ShaderWind : public SD::Component {
public:
    static constexpr float kStrengthScale = 25.0f;

    ShaderWind() { SetID(SD::CID_ShaderWind); }
    ~ShaderWind() override;

    SD::ComponentID VGetID() const override { return SD::CID_ShaderWind; }
    int VGetVersion() const override { return 0; }
    void VRegister() override {}
    void VUnregister() override {}
    void VSerialize(SD::IStream& stream, int version) override;
    void VInitialize(bool fromScript) override;

    void OnWind(SD::IMessage* message);

private:
    float temp_ = 0.0f;
    bool listening_ = false;
    uint32_t listenIndex_ = 0;
};

}  // namespace QV
