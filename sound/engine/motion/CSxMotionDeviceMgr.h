#pragma once
// The motion devices of up to four players (game-pad rumble), and the mixing of motion voices
// and of audio voices sent to motion into them. Each player's device gets, every audio frame,
// what was mixed for that player (a motion mix and an audio-derived mix), then closes its
// frame; once per audio-thread wake every device sends its result to the hardware.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/SxTypes.h"
#include "sound/engine/plugin/ISxMotionMixBus.h"

namespace SX {

class CSxAudioMgr;

// Per-player gain of a motion voice: level = player level + a - b (dB); above 0 dB the
// reciprocal of the attenuation of -level (65535 when that is 0), else the attenuation.
float SxMotionPlayerGain(float playerLevelDb, float a, float b);

class CSxMotionDeviceMgr {
public:
    static constexpr uint32_t kMaxPlayers = 4;
    static constexpr uint32_t kMaxDevicesPerPlayer = 4;
    // Frames of a motion mix per audio frame: the motion rate of 375 Hz at the output rate.
    static uint32_t MotionFrames(uint32_t outputRate) { return outputRate >= 375 ? 384000 / outputRate : 1024; }

    // The manager, made on first use through the lower engine's plug-in allocator; null when
    // it cannot be made.
    static CSxMotionDeviceMgr* Get();
    // The manager once a device was added, else null: what the frame steps look at.
    static CSxMotionDeviceMgr* Active();
    // At lower-engine termination: terminates every device and frees everything.
    static void Destroy();

    // SX_Success for a new device; SX_Success as well, with no second device, when that
    // (player, company, device) has one; SX_Fail when the device cannot be made, the player is
    // out of range or the player has no room for another device.
    SXRESULT AddPlayerMotionDevice(uint8_t player, uint16_t companyID, uint16_t deviceID, void* initParam);
    SXRESULT RemovePlayerMotionDevice(uint8_t player, uint16_t companyID, uint16_t deviceID);
    bool IsDeviceActive() const { return m_playerMask != 0; }
    bool IsPlayerUsingDevice(uint16_t companyID, uint16_t deviceID) const;

    SXRESULT SetPlayerListener(uint8_t player, uint8_t listener);
    SXRESULT SetPlayerVolume(uint8_t player, float volumeDb);
    float PlayerVolumeDb(uint8_t player) const { return player < kMaxPlayers ? m_players[player].volumeDb : 0.0f; }
    // Bit i for each player with devices whose listener is in both masks.
    uint32_t PlayersReached(uint32_t gameObjectListenerMask, uint32_t motionListenerMask) const;

    // Adds a voice's valid frames, times each reached player's gain, to that player's motion
    // mix (motion voices) or audio-derived mix (audio voices) of every device. Channel c goes to
    // channel c of the device's mix; a mono voice goes to every channel.
    void MixVoice(const SxAudioBuffer& voice, bool motion, uint32_t playerMask, const float gains[kMaxPlayers]);
    // The frame's end: each device gets its mixes that hold data, then EndFrame; the mixes are
    // cleared.
    void ProcessFrame();
    // Every device sends its next result to the hardware.
    void RenderData();
    // At sound-engine termination.
    void StopAll();

private:
    friend struct platform::TestProbe<CSxMotionDeviceMgr>;

    struct Mix {
        float* samples = nullptr;
        SxAudioBuffer buffer;
    };
    struct Device {
        uint32_t key = 0;  // device ID << 16 | company ID
        ISxMotionMixBus* bus = nullptr;
        Mix audio;
        Mix motion;
    };
    struct Player {
        Device devices[kMaxDevicesPerPlayer];
        uint32_t count = 0;
        uint8_t listener = 0;
        float volumeDb = 0.0f;
    };

    explicit CSxMotionDeviceMgr(ISxPluginMemAlloc* allocator, uint32_t outputRate);
    ~CSxMotionDeviceMgr();
    bool MakeMix(Mix& mix, uint32_t channelMask, uint16_t frames);
    void FreeDevice(Device& device);
    void UpdatePlayers();

    ISxPluginMemAlloc* m_allocator;
    uint32_t m_outputRate;
    Player m_players[kMaxPlayers];
    uint8_t m_playerMask = 0;
    uint8_t m_playerCount = 0;
    bool m_active = false;
};

// The motion calls of the API reach the manager through the audio manager's queue.
void InstallMotionHandlers(CSxAudioMgr& mgr);

namespace MotionEngine {
// Registers the creation function of a motion device (it has no parameter object).
SXRESULT RegisterMotionDevice(uint16_t companyID, uint16_t deviceID, SxCreatePluginCallback create);
}  // namespace MotionEngine

}  // namespace SX
