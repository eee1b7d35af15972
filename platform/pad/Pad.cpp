#include "platform/pad/Pad.h"

#include <array>
#include <mutex>

#include "platform/Seam.h"

namespace platform {
namespace {

struct Slot {
    bool connected = false;
    PadState state;
    std::vector<PadVibration> vibrations;
};

std::mutex mutex;
std::array<Slot, kPadCount> slots;
// Installed and called under `mutex`, so a sink removed is no longer in use.
Seam<IPadVibrationSink> vibrationSink{"platform::IPadVibrationSink"};

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
    if (IPadVibrationSink* sink = vibrationSink.Installed()) sink->Vibrate(index, vibration);
    return PadResult::Success;
}

bool SetPadVibrationSink(IPadVibrationSink* sink) {
    std::lock_guard<std::mutex> lock(mutex);
    return vibrationSink.Install(sink);
}

void RemovePadVibrationSink(IPadVibrationSink* sink) {
    std::lock_guard<std::mutex> lock(mutex);
    vibrationSink.Remove(sink);
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
