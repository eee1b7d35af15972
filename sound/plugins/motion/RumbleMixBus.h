#pragma once
// The motion device of a game pad: what the motion buses mix for one player becomes two motor
// levels per half frame, queued in a small ring and sent to the pad one pair per frame.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/plugin/ISxMotionMixBus.h"
#include "sound/plugins/motion/SxRumbleController.h"

namespace SX {

class RumbleMixBus final : public ISxMotionMixBus {
public:
    static constexpr uint32_t kRingFloats = 32;  // 16 (left, right) pairs
    static constexpr int16_t kMaxQueuedPairs = 8;

    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override { return SX_Success; }
    SXRESULT GetPluginInfo(SxPluginInfo&) override { return static_cast<SXRESULT>(0); }
    // A pad port for the player; deviceData names a device of another kind, which this
    // platform does not have: the bus then works without a controller.
    SXRESULT Init(ISxPluginMemAlloc* allocator, const SxPlatformInitSettings* settings, int32_t player,
                  void* deviceData) override;
    SXRESULT MixAudio(SxAudioBuffer* buffer) override;
    SXRESULT MixMotion(SxAudioBuffer* buffer) override;
    SXRESULT EndFrame() override;
    SXRESULT SendNextPair() override;
    void Stop() override {}
    float TakePeak() override;
    bool IsActive() override { return m_controller && m_controller->IsConnected(); }
    uint32_t GetChannelMask() override { return 0x3; }
    void SetVolume(float volume) override { m_volume = volume; }

private:
    friend struct platform::TestProbe<RumbleMixBus>;

    SXRESULT Send(float left, float right);

    float m_lastRight = 0.0f;
    float m_lastLeft = 0.0f;
    ISxRumbleController* m_controller = nullptr;
    bool m_silent = true;
    float m_ring[kRingFloats] = {};
    uint16_t m_write = 0;
    uint16_t m_read = 0;
    float m_peak = 0.0f;
    float m_volume = 1.0f;
    int32_t m_player = 0;
    int16_t m_queued = 0;
    bool m_dataThisFrame = false;
};

ISxPlugin* CreateRumbleMixBus(ISxPluginMemAlloc* allocator);

}  // namespace SX
