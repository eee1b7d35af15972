#include "game/components/QuorvantaLogic.h"

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"

namespace QV {

void QuorvantaLogic::VUpdate(float) {
    static const char* const kWheels[] = {"QuorvantaFrontLeftWheel", "QuorvantaFrontRightWheel",
                                          "QuorvantaBackLeftWheel", "QuorvantaBackRightWheel"};
    for (const char* name : kWheels)
        if (SD::GameObject* wheel = SD::Factory_::GetGameObjectByName(name))
            wheel->GetTransform().RotateLocalXRad(0.01f);
}

}  // namespace QV
