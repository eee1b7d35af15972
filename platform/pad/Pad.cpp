#include "platform/pad/Pad.h"

#include <array>
#include <mutex>
#include <utility>

namespace platform {
namespace {

struct Slot {
    bool connected = false;
    PadState state;
    std::vector<PadVibration> vibrations;
};

std::mutex mutex;
std::array<Slot, kPadCount> slots;
std::function<void(uint32_t, const PadVibration&)> vibrationSink;

}  // namespace

PadResult GetPadState(uint32_t index, PadState& out) {
    if (index >= kPadCount) return PadResult::BadIndex;
    std::lock_guard<std::mutex> lock(mutex);
    if (!slots[index].connected) return PadResult::NotConnected;
    out = slots[index].state;
    return PadResult::Success;
}

PadResult SetPadVibration(uint32_t index, const PadVibration& vibration) {
    if (index >= kPadCount) return PadResult::BadIndex;
    std::lock_guard<std::mutex> lock(mutex);
    if (!slots[index].connected) return PadResult::NotConnected;
    slots[index].vibrations.push_back(vibration);
    if (vibrationSink) vibrationSink(index, vibration);
    return PadResult::Success;
}

void SetPadVibrationSink(std::function<void(uint32_t, const PadVibration&)> sink) {
    std::lock_guard<std::mutex> lock(mutex);
    vibrationSink = std::move(sink);
}

void ConnectPad(uint32_t index) {
    if (index >= kPadCount) return;
    std::lock_guard<std::mutex> lock(mutex);
    slots[index].connected = true;
}

void UnplugPad(uint32_t index) {
    if (index >= kPadCount) return;
    std::lock_guard<std::mutex> lock(mutex);
    slots[index].connected = false;
    slots[index].state.input = PadInput{};
}

void SetPadInput(uint32_t index, const PadInput& input) {
    if (index >= kPadCount) return;
    std::lock_guard<std::mutex> lock(mutex);
    slots[index].state.input = input;
    ++slots[index].state.packet;
}

std::vector<PadVibration> RecordedVibrations(uint32_t index) {
    if (index >= kPadCount) return {};
    std::lock_guard<std::mutex> lock(mutex);
    return slots[index].vibrations;
}

void ResetPads() {
    std::lock_guard<std::mutex> lock(mutex);
    slots = {};
}

}  // namespace platform
