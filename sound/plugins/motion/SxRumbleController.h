#pragma once
// What drives a game pad's two rumble motors: levels in, a result out (1 done, 2 failed,
// 77 the pad is busy and the caller tries again later).
#include <cstdint>

#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

class ISxRumbleController {
public:
    virtual ~ISxRumbleController() = default;
    virtual SXRESULT SetMotors(float left, float right) = 0;
    virtual bool IsConnected() = 0;
    // Leaves the motors at rest, then frees the controller through the allocator.
    virtual SXRESULT Term(ISxPluginMemAlloc* allocator) = 0;
};

// A pad slot of the platform's pads, by player port.
class SxRumbleControllerPad final : public ISxRumbleController {
public:
    explicit SxRumbleControllerPad(uint8_t port) : m_port(port) {}
    SXRESULT SetMotors(float left, float right) override;
    bool IsConnected() override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;

    // Motor speeds of levels: the coarse left motor has a steeper upper segment above 0.4.
    static uint16_t LeftSpeed(float level);
    static uint16_t RightSpeed(float level);

private:
    uint8_t m_port;
};

}  // namespace SX
