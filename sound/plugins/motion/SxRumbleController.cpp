#include "sound/plugins/motion/SxRumbleController.h"

#include "platform/pad/Pad.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

// The 0.4 threshold is compared in single precision, 0.05 in double precision, so a level of
// 0.05f (just above 0.05) already turns the motors.
uint16_t SxRumbleControllerPad::LeftSpeed(float level) {
    if (level > 0.4f) return static_cast<uint16_t>(level * 75365.25f - 9830.25f);
    if (double(level) > 0.05) return static_cast<uint16_t>(level * 11468.626f + 5242.8f);
    return 0;
}

uint16_t SxRumbleControllerPad::RightSpeed(float level) {
    if (double(level) > 0.05) return static_cast<uint16_t>(level * 57343.0f + 8192.0f);
    return 0;
}

SXRESULT SxRumbleControllerPad::SetMotors(float left, float right) {
    platform::PadVibration vibration;
    vibration.leftMotor = LeftSpeed(left);
    vibration.rightMotor = RightSpeed(right);
    return platform::SetPadVibration(m_port, vibration) == platform::PadResult::Success ? SX_Success : SX_Fail;
}

bool SxRumbleControllerPad::IsConnected() {
    platform::PadState state;
    return platform::GetPadState(m_port, state) == platform::PadResult::Success;
}

SXRESULT SxRumbleControllerPad::Term(ISxPluginMemAlloc* allocator) {
    // A busy pad is asked again, a bounded number of times.
    for (uint32_t tries = 0; SetMotors(0.0f, 0.0f) == SX_DeviceBusy && tries < 10000; ++tries) {
    }
    return SxFxDelete(this, allocator);
}

}  // namespace SX
