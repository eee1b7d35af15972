// Pad polling: connection, vibration, dead zones and the pads' digital codes.
#include <algorithm>
#include <cstdlib>

#include "platform/pad/Pad.h"
#include "runtime/Input.h"

namespace SD {
namespace {

constexpr float kStickRange = 32767.0f - Input_::kStickDeadZone;

float StickValue(int16_t raw) {
    const int v = raw;
    if (std::abs(v) <= Input_::kStickDeadZone) return 0.0f;
    return v > 0 ? (v - Input_::kStickDeadZone) / kStickRange : (v + Input_::kStickDeadZone) / kStickRange;
}

// Button bits behind the pad codes KVAD_U .. Y, in code order.
constexpr uint16_t kButtonBits[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 14, 15};

uint16_t MotorSpeed(float strength) { return static_cast<uint16_t>(strength * 65535.0f); }

// A strength outside 0-1 (or not a number) would not fit a motor speed.
float ClampStrength(float strength) { return strength > 0.0f ? std::min(strength, 1.0f) : 0.0f; }

}  // namespace

void Input_::ScanPads() {
    for (uint32_t pad = 0; pad < kPadCount; ++pad) {
        platform::PadState state;
        if (platform::GetPadState(pad, state) == platform::PadResult::Success)
            pads_[pad].connected = true;
        else if (pads_[pad].connected)
            DisconnectPad(pad);
    }
}

void Input_::DisconnectPad(uint32_t pad) {
    Pad& record = pads_[pad];
    record.connected = false;
    record.axes = {};
    const int base = xpad1_KVAD_U + static_cast<int>(pad) * xpad_OFFSET;
    for (int code = base; code < base + xpad_OFFSET; ++code) current_[code] = 0;
}

void Input_::PollPads() {
    for (uint32_t pad = 0; pad < kPadCount; ++pad) {
        Pad& record = pads_[pad];
        if (!record.connected) continue;
        platform::PadState state;
        if (platform::GetPadState(pad, state) != platform::PadResult::Success) {
            DisconnectPad(pad);
            continue;
        }
        if (record.rumbleDirty) {
            platform::PadVibration vibration;
            if (!record.rumblePaused) vibration = {MotorSpeed(record.rumbleCoarse), MotorSpeed(record.rumbleFine)};
            platform::SetPadVibration(pad, vibration);
        }
        const platform::PadInput& in = state.input;
        record.axes[kLeftX] = StickValue(in.thumbLX);
        record.axes[kLeftY] = StickValue(in.thumbLY);
        record.axes[kRightX] = StickValue(in.thumbRX);
        record.axes[kRightY] = StickValue(in.thumbRY);
        record.axes[kLeftTrigger] = in.leftTrigger / 255.0f;
        record.axes[kRightTrigger] = in.rightTrigger / 255.0f;

        uint8_t* codes = current_.data() + xpad1_KVAD_U + pad * xpad_OFFSET;
        int at = 0;
        for (uint16_t bit : kButtonBits) codes[at++] = (in.buttons >> bit) & 1u;
        for (int16_t raw : {in.thumbLX, in.thumbLY, in.thumbRX, in.thumbRY}) {
            codes[at++] = raw < -kStickDigitalThreshold;
            codes[at++] = raw > kStickDigitalThreshold;
        }
        codes[at++] = in.leftTrigger > kTriggerDigitalThreshold;
        codes[at++] = in.rightTrigger > kTriggerDigitalThreshold;
    }
}

float Input_::GetXPadAxis(uint32_t pad, PadAxis axis) const {
    if (pad >= kPadCount || axis < 0 || axis >= kPadAxisCount) return 0.0f;
    return pads_[pad].axes[axis];
}

void Input_::SetXPadRumbleFine(float strength, uint32_t pad) {
    if (!rumbleEnabled_ || pad >= kPadCount) return;
    pads_[pad].rumbleFine = ClampStrength(strength);
    pads_[pad].rumbleDirty = true;
}

void Input_::SetXPadRumbleCoarse(float strength, uint32_t pad) {
    if (!rumbleEnabled_ || pad >= kPadCount) return;
    pads_[pad].rumbleCoarse = ClampStrength(strength);
    pads_[pad].rumbleDirty = true;
}

void Input_::PauseRumble(bool paused, uint32_t pad) {
    if (pad >= kPadCount) return;
    pads_[pad].rumblePaused = paused;
    pads_[pad].rumbleDirty = true;
}

}  // namespace SD
