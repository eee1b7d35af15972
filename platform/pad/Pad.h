#pragma once
// Four game-pad slots. A slot is connected or not; a connected slot reports its buttons,
// triggers, sticks and a packet number that changes with every new input, and records every
// vibration set on it. Tests connect, feed, unplug and read the slots, and reset them all.
#include <cstdint>
#include <vector>

namespace platform {

constexpr uint32_t kPadCount = 4;

// Button bits of PadState::buttons.
namespace padbutton {
constexpr uint16_t kDpadUp = 0x0001;
constexpr uint16_t kDpadDown = 0x0002;
constexpr uint16_t kDpadLeft = 0x0004;
constexpr uint16_t kDpadRight = 0x0008;
constexpr uint16_t kStart = 0x0010;
constexpr uint16_t kBack = 0x0020;
constexpr uint16_t kLeftThumb = 0x0040;
constexpr uint16_t kRightThumb = 0x0080;
constexpr uint16_t kLeftShoulder = 0x0100;
constexpr uint16_t kRightShoulder = 0x0200;
constexpr uint16_t kA = 0x1000;
constexpr uint16_t kB = 0x2000;
constexpr uint16_t kX = 0x4000;
constexpr uint16_t kY = 0x8000;
}  // namespace padbutton

struct PadInput {
    uint16_t buttons = 0;
    uint8_t leftTrigger = 0;
    uint8_t rightTrigger = 0;
    int16_t thumbLX = 0;
    int16_t thumbLY = 0;
    int16_t thumbRX = 0;
    int16_t thumbRY = 0;
};

struct PadState {
    uint32_t packet = 0;
    PadInput input;
};

struct PadVibration {
    uint16_t leftMotor = 0;   // the low-frequency (coarse) motor
    uint16_t rightMotor = 0;  // the high-frequency (fine) motor
    bool operator==(const PadVibration& o) const { return leftMotor == o.leftMotor && rightMotor == o.rightMotor; }
};

enum class PadResult { Success, NotConnected, BadIndex };

PadResult GetPadState(uint32_t index, PadState& out);
PadResult SetPadVibration(uint32_t index, const PadVibration& vibration);

// Where vibrations of connected slots also go: a real pad's motors.
class IPadVibrationSink {
public:
    virtual void Vibrate(uint32_t index, const PadVibration& vibration) = 0;

protected:
    ~IPadVibrationSink() = default;
};
// The first sink installed feels every vibration until it is removed; returns whether `sink`
// is the one. Null removes any sink.
bool SetPadVibrationSink(IPadVibrationSink* sink);
// Removes `sink` if it is the one installed.
void RemovePadVibrationSink(IPadVibrationSink* sink);

// Test-facing control of the slots; a real pad backend feeds them the same way.
void ConnectPad(uint32_t index);
void UnplugPad(uint32_t index);
void SetPadInput(uint32_t index, const PadInput& input);
std::vector<PadVibration> RecordedVibrations(uint32_t index);
void ResetPads();

}  // namespace platform
