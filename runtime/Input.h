#pragma once
// The input system: turns keyboard, mouse, pads and the six-axis mouse into one flat state
// indexed by input code, refreshed once per frame, with the pads' analog axes and rumble, the
// six-axis mouse's analog values, mouse motion, the typed character and named bindings.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/System.h"
#include "platform/window/RawInput.h"
#include "runtime/InputBindings.h"
#include "runtime/InputCodes.h"

namespace SD {

// Something that feeds input of its own into each frame: it may set codes in the pressed array
// and clear them in the release mask.
class IInputInjector {
public:
    virtual ~IInputInjector() = default;
    virtual void Inject(uint8_t* pressed, uint8_t* releaseMask) = 0;
};

class Input_ : public ISystem {
public:
    static constexpr uint32_t kPadCount = 4;
    static constexpr uint32_t kSixAxisMouseVendor = 0x046D;
    static constexpr int kStickDeadZone = 8331;
    static constexpr int kStickDigitalThreshold = 10000;
    static constexpr int kTriggerDigitalThreshold = 75;
    static constexpr int kSixAxisDigitalThreshold = 120;
    static constexpr float kSixAxisScale = 0.0025f;

    enum PadAxis { kLeftX, kLeftY, kRightX, kRightY, kLeftTrigger, kRightTrigger, kPadAxisCount };
    enum SixAxisValue {
        kRotationX,
        kRotationY,
        kRotationZ,
        kTranslationX,
        kTranslationY,
        kTranslationZ,
        kSixAxisCount
    };

    // The one instance; null before construction and after destruction.
    static Input_* GetInstance();

    Input_();
    ~Input_() override;  // stops any vibration still set on the pads
    Input_(const Input_&) = delete;
    Input_& operator=(const Input_&) = delete;

    const char* GetName() const override { return "Input"; }
    void ReadConfig(ConfigFile& config) override;
    void Initialize() override;
    void Shutdown() override;
    void Update(float dt) override;

    // A raw-input message from the window (lParam is the record's handle).
    void OnRawInput(uint64_t wParam, int64_t lParam);
    void ScanPads();
    void AddInjector(std::unique_ptr<IInputInjector> injector);

    // Key queries answer false while developer keys are off, and for codes outside the table.
    bool GetKeyState(uint32_t code) const;
    bool GetKeyStateTriggered(uint32_t code) const;
    bool GetKeyStateReleased(uint32_t code) const;
    // The highest code down / newly down / newly up (pads and mice first, then keys from 254);
    // 0 when none. These ignore the developer-keys flag.
    uint32_t GetFirstPressedKey() const;
    uint32_t GetFirstTriggeredKey() const;
    uint32_t GetFirstReleasedKey() const;
    // Forgets every key held (codes 1 and up) in the current and previous state.
    static void WipeKeystateBuffers();
    // The display name of a code; empty outside the table.
    static const std::string& GetKeyName(uint32_t code) { return SD::GetKeyName(code); }

    int GetMouseDeltaX() const { return mouseX_; }
    int GetMouseDeltaY() const { return mouseY_; }

    // Pad queries and settings take a pad index 0-3; others read 0 or change nothing.
    bool IsPadConnected(uint32_t pad) const { return pad < kPadCount && pads_[pad].connected; }
    float GetXPadAxis(uint32_t pad, PadAxis axis) const;
    float GetXPadAxisLX(uint32_t pad) const { return GetXPadAxis(pad, kLeftX); }
    float GetXPadAxisLY(uint32_t pad) const { return GetXPadAxis(pad, kLeftY); }
    float GetXPadAxisRX(uint32_t pad) const { return GetXPadAxis(pad, kRightX); }
    float GetXPadAxisRY(uint32_t pad) const { return GetXPadAxis(pad, kRightY); }
    float GetXPadAxisLTrig(uint32_t pad) const { return GetXPadAxis(pad, kLeftTrigger); }
    float GetXPadAxisRTrig(uint32_t pad) const { return GetXPadAxis(pad, kRightTrigger); }
    // Strengths are kept within 0-1.
    void SetXPadRumbleFine(float strength, uint32_t pad);
    void SetXPadRumbleCoarse(float strength, uint32_t pad);
    void PauseRumble(bool paused, uint32_t pad);

    float GetSixAxisValue(SixAxisValue value) const { return sixAxis_[value]; }
    uint32_t GetSixAxisButtons() const { return sixAxisButtons_; }

    uint8_t GetTypedChar() const { return typedChar_; }
    uint8_t GetPreviousTypedChar() const { return previousTypedChar_; }
    void SetTypedChar(uint8_t c) { typedChar_ = c; }

    bool GetDevKeysEnabled() const { return devKeys_; }
    void SetDevKeysEnabled(bool enabled) { devKeys_ = enabled; }

    // Bindings, recomputed by every Update.
    void BindDigital(const std::string& name, uint32_t code) { bindings_.BindDigital(name, code); }
    // The entry reads a pad or six-axis value when the negative code names one.
    void BindAnalog(const std::string& name, uint32_t negative, uint32_t positive, float scale = 1.0f);
    void ClearDigital(const std::string& name) { bindings_.ClearDigital(name); }
    void ClearAnalog(const std::string& name) { bindings_.ClearAnalog(name); }
    void ClearDigitalKey(uint32_t code) { bindings_.ClearDigitalKey(code); }
    void ClearAnalogKey(uint32_t code) { bindings_.ClearAnalogKey(code); }
    bool GetDigital(const std::string& name) { return bindings_.GetDigital(name); }
    bool GetDigitalTriggered(const std::string& name) { return bindings_.GetDigitalTriggered(name); }
    bool GetDigitalReleased(const std::string& name) { return bindings_.GetDigitalReleased(name); }
    float GetAnalog(const std::string& name) { return bindings_.GetAnalog(name); }
    const InputBindings& Bindings() const { return bindings_; }

private:
    struct Pad {
        bool connected = false;
        std::array<float, kPadAxisCount> axes{};
        float rumbleFine = 0.0f;
        float rumbleCoarse = 0.0f;
        bool rumblePaused = false;
        bool rumbleDirty = false;
    };
    using CodeArray = std::array<uint8_t, INPUT_KEY_BUFFER_SIZE>;

    // A key record: the key itself, and the generic code of a left or right modifier key.
    void OnKey(uint32_t code, bool down);
    void OnMouse(const platform::RawMouse& mouse);
    void OnSixAxisReport(const std::vector<uint8_t>& report);
    void SetSixAxisCodes(const std::vector<uint8_t>& report, float* values, int firstCode);
    void PollPads();
    void DisconnectPad(uint32_t pad);
    const float* AnalogSource(uint32_t code) const;
    uint32_t FirstCodeWhere(bool (*test)(uint8_t current, uint8_t previous)) const;

    CodeArray current_{};
    CodeArray previous_{};
    CodeArray pressed_{};
    CodeArray releaseMask_{};
    std::array<Pad, kPadCount> pads_{};
    std::array<float, kSixAxisCount> sixAxis_{};
    uint32_t sixAxisButtons_ = 0;
    int mouseX_ = 0;
    int mouseY_ = 0;
    int storedMouseX_ = 0;
    int storedMouseY_ = 0;
    bool devKeys_ = false;
    bool rumbleEnabled_ = false;
    InputBindings bindings_;
    uint8_t typedChar_ = 0;
    uint8_t previousTypedChar_ = 0;
    std::vector<std::unique_ptr<IInputInjector>> injectors_;
};

}  // namespace SD
