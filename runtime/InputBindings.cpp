#include "runtime/InputBindings.h"

#include <algorithm>
#include <cmath>

#include "runtime/InputCodes.h"

namespace SD {
namespace {
bool IsCode(uint32_t code) { return code < static_cast<uint32_t>(INPUT_KEY_BUFFER_SIZE); }
}  // namespace

void InputBindings::BindDigital(const std::string& name, uint32_t code) {
    DigitalBinding& binding = digital_[name];
    if (IsCode(code)) binding.codes.push_back(code);
}

void InputBindings::BindAnalog(const std::string& name, uint32_t negative, uint32_t positive, float scale,
                               const float* source) {
    AnalogBinding& binding = analog_[name];
    if (IsCode(negative) && IsCode(positive)) binding.entries.push_back({negative, positive, source, scale});
}

void InputBindings::ClearDigitalKey(uint32_t code) {
    for (auto& [name, binding] : digital_) {
        auto& codes = binding.codes;
        codes.erase(std::remove(codes.begin(), codes.end(), code), codes.end());
    }
}

void InputBindings::ClearAnalogKey(uint32_t code) {
    for (auto& [name, binding] : analog_) {
        auto& entries = binding.entries;
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [code](const AnalogEntry& e) { return e.negative == code || e.positive == code; }),
                      entries.end());
    }
}

void InputBindings::Clear() {
    digital_.clear();
    analog_.clear();
}

size_t InputBindings::DigitalEntryCount(const std::string& name) const {
    auto it = digital_.find(name);
    return it == digital_.end() ? 0 : it->second.codes.size();
}

size_t InputBindings::AnalogEntryCount(const std::string& name) const {
    auto it = analog_.find(name);
    return it == analog_.end() ? 0 : it->second.entries.size();
}

void InputBindings::Evaluate(const uint8_t* current, const uint8_t* previous) {
    for (auto& [name, binding] : digital_) {
        binding.held = binding.triggered = binding.released = false;
        for (uint32_t c : binding.codes) {
            binding.held |= current[c] != 0;
            binding.triggered |= current[c] && !previous[c];
            binding.released |= previous[c] && !current[c];
        }
    }
    // The entry of largest magnitude wins, the earlier one on a tie. A pair with both or neither
    // of its codes down contributes nothing.
    for (auto& [name, binding] : analog_) {
        float value = 0.0f;
        for (const AnalogEntry& e : binding.entries) {
            if (e.source) {
                const float v = e.scale * *e.source;
                if (std::fabs(v) > std::fabs(value)) value = v;
            } else if (std::fabs(e.scale) > std::fabs(value)) {
                const bool down = current[e.negative] != 0;
                const bool up = current[e.positive] != 0;
                if (down && !up) value = -e.scale;
                if (up && !down) value = e.scale;
            }
        }
        binding.value = value;
    }
}

}  // namespace SD
