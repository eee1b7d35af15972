#pragma once
// The bindings one owner made, removed again as a unit (at the latest when the owner goes).
#include <cstdint>
#include <string>
#include <vector>

namespace SD {

class InputBindingSet {
public:
    InputBindingSet() = default;
    ~InputBindingSet() { UnbindAll(); }
    InputBindingSet(const InputBindingSet&) = delete;
    InputBindingSet& operator=(const InputBindingSet&) = delete;

    // Each records the name, then binds it in the input system (when there is one).
    void BindDigital(const std::string& name, uint32_t code);
    void BindAnalog(const std::string& name, uint32_t negative, uint32_t positive, float scale = 1.0f);
    // Removes every recorded binding from the input system; the names stay recorded.
    void UnbindAll();

    const std::vector<std::string>& AnalogNames() const { return analogNames_; }
    const std::vector<std::string>& DigitalNames() const { return digitalNames_; }

private:
    std::vector<std::string> analogNames_;
    std::vector<std::string> digitalNames_;
};

}  // namespace SD
