#pragma once
// Named actions over input codes. A digital binding is held, newly pressed or newly released
// when any of its codes is; an analog binding takes the strongest of its entries, each either an
// analog source scaled or a pair of digital codes giving -scale or +scale.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace SD {

class InputBindings {
public:
    // Codes outside the input-code table are not bound (the binding itself is still made).
    void BindDigital(const std::string& name, uint32_t code);
    // source: the analog value the entry reads, or null for a pair of digital codes.
    void BindAnalog(const std::string& name, uint32_t negative, uint32_t positive, float scale, const float* source);
    void ClearDigital(const std::string& name) { digital_.erase(name); }
    void ClearAnalog(const std::string& name) { analog_.erase(name); }
    void ClearDigitalKey(uint32_t code);
    void ClearAnalogKey(uint32_t code);
    void Clear();

    // Reading a name that was never bound makes an empty binding of it.
    bool GetDigital(const std::string& name) { return digital_[name].held; }
    bool GetDigitalTriggered(const std::string& name) { return digital_[name].triggered; }
    bool GetDigitalReleased(const std::string& name) { return digital_[name].released; }
    float GetAnalog(const std::string& name) { return analog_[name].value; }

    size_t DigitalEntryCount(const std::string& name) const;
    size_t AnalogEntryCount(const std::string& name) const;
    bool HasDigital(const std::string& name) const { return digital_.count(name) != 0; }
    bool HasAnalog(const std::string& name) const { return analog_.count(name) != 0; }

    // Recomputes every binding from the code-indexed current and previous states.
    void Evaluate(const uint8_t* current, const uint8_t* previous);

private:
    struct DigitalBinding {
        bool held = false;
        bool triggered = false;
        bool released = false;
        std::vector<uint32_t> codes;
    };
    struct AnalogEntry {
        uint32_t negative;
        uint32_t positive;
        const float* source;
        float scale;
    };
    struct AnalogBinding {
        float value = 0.0f;
        std::vector<AnalogEntry> entries;
    };

    std::map<std::string, DigitalBinding> digital_;
    std::map<std::string, AnalogBinding> analog_;
};

}  // namespace SD
