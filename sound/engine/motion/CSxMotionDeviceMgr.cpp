#include "sound/engine/motion/CSxMotionDeviceMgr.h"

#include <cstring>
#include <new>

#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/lower/SxDecibels.h"
#include "sound/engine/plugin/SxFXMemAlloc.h"
#include "sound/engine/plugin/SxPluginTable.h"

namespace SX {

namespace {
CSxMotionDeviceMgr* s_manager = nullptr;

uint32_t DeviceKey(uint16_t companyID, uint16_t deviceID) { return uint32_t(deviceID) << 16 | companyID; }
}  // namespace

float SxMotionPlayerGain(float playerLevelDb, float a, float b) {
    const float level = playerLevelDb + a - b;
    if (level > 0.0f) {
        const float attenuation = SxMath::DbToLinear(-level);
        return attenuation == 0.0f ? 65535.0f : 1.0f / attenuation;
    }
    return SxMath::DbToLinear(level);
}

CSxMotionDeviceMgr::CSxMotionDeviceMgr(ISxPluginMemAlloc* allocator, uint32_t outputRate)
    : m_allocator(allocator), m_outputRate(outputRate ? outputRate : 48000) {
    for (uint32_t p = 0; p < kMaxPlayers; ++p) m_players[p].listener = uint8_t(p);
}

CSxMotionDeviceMgr::~CSxMotionDeviceMgr() {
    for (Player& player : m_players) {
        for (uint32_t d = 0; d < player.count; ++d) FreeDevice(player.devices[d]);
        player.count = 0;
    }
}

CSxMotionDeviceMgr* CSxMotionDeviceMgr::Get() {
    if (s_manager) return s_manager;
    void* memory = g_LEngineFxAllocator.Malloc(sizeof(CSxMotionDeviceMgr));
    if (memory) s_manager = new (memory) CSxMotionDeviceMgr(&g_LEngineFxAllocator, CSxLEngine::OutputSampleRate());
    return s_manager;
}

CSxMotionDeviceMgr* CSxMotionDeviceMgr::Active() { return s_manager && s_manager->m_active ? s_manager : nullptr; }

void CSxMotionDeviceMgr::Destroy() {
    if (!s_manager) return;
    ISxPluginMemAlloc* allocator = s_manager->m_allocator;
    s_manager->~CSxMotionDeviceMgr();
    allocator->Free(s_manager);
    s_manager = nullptr;
}

bool CSxMotionDeviceMgr::MakeMix(Mix& mix, uint32_t channelMask, uint16_t frames) {
    const size_t bytes = size_t(SxChannelCount(channelMask)) * frames * sizeof(float);
    mix.samples = bytes ? static_cast<float*>(m_allocator->Malloc(bytes)) : nullptr;
    if (!mix.samples) return false;
    std::memset(mix.samples, 0, bytes);
    mix.buffer.data = mix.samples;
    mix.buffer.channelMask = channelMask;
    mix.buffer.maxFrames = frames;
    mix.buffer.validFrames = 0;
    mix.buffer.state = SX_DataReady;
    return true;
}

void CSxMotionDeviceMgr::FreeDevice(Device& device) {
    if (device.bus) {
        device.bus->Stop();
        device.bus->Term(m_allocator);
    }
    for (Mix* mix : {&device.audio, &device.motion})
        if (mix->samples) m_allocator->Free(mix->samples);
    device = Device();
}

void CSxMotionDeviceMgr::UpdatePlayers() {
    m_playerMask = 0;
    m_playerCount = 0;
    for (uint32_t p = 0; p < kMaxPlayers; ++p) {
        if (m_players[p].count == 0) continue;
        m_playerMask |= uint8_t(1u << p);
        m_playerCount = uint8_t(p + 1);
    }
}

SXRESULT CSxMotionDeviceMgr::AddPlayerMotionDevice(uint8_t player, uint16_t companyID, uint16_t deviceID,
                                                   void* initParam) {
    if (player >= kMaxPlayers) return SX_InvalidParameter;
    m_active = true;
    Player& p = m_players[player];
    const uint32_t key = DeviceKey(companyID, deviceID);
    for (uint32_t d = 0; d < p.count; ++d)
        if (p.devices[d].key == key) return SX_Success;
    if (p.count == kMaxDevicesPerPlayer) return SX_Fail;

    ISxPlugin* plugin = nullptr;
    if (SxPluginTable::CreatePlugin(SxPluginKey(SxPluginType_MotionDevice, companyID, deviceID), m_allocator, plugin) !=
        SX_Success)
        return SX_Fail;
    Device device;
    device.key = key;
    device.bus = static_cast<ISxMotionMixBus*>(plugin);
    SXRESULT result = device.bus->Init(m_allocator, nullptr, player, initParam);
    const uint32_t mask = device.bus->GetChannelMask();
    if (result == SX_Success && !(MakeMix(device.audio, mask, SxFrameLength) &&
                                  MakeMix(device.motion, mask, uint16_t(MotionFrames(m_outputRate)))))
        result = SX_InsufficientMemory;
    if (result != SX_Success) {
        FreeDevice(device);
        return result;
    }
    p.devices[p.count++] = device;
    UpdatePlayers();
    return SX_Success;
}

SXRESULT CSxMotionDeviceMgr::RemovePlayerMotionDevice(uint8_t player, uint16_t companyID, uint16_t deviceID) {
    if (player >= kMaxPlayers) return SX_InvalidParameter;
    Player& p = m_players[player];
    const uint32_t key = DeviceKey(companyID, deviceID);
    for (uint32_t d = 0; d < p.count; ++d) {
        if (p.devices[d].key != key) continue;
        FreeDevice(p.devices[d]);
        p.devices[d] = p.devices[--p.count];
        p.devices[p.count] = Device();
        UpdatePlayers();
        return SX_Success;
    }
    return SX_Fail;
}

bool CSxMotionDeviceMgr::IsPlayerUsingDevice(uint16_t companyID, uint16_t deviceID) const {
    const uint32_t key = DeviceKey(companyID, deviceID);
    for (const Player& p : m_players)
        for (uint32_t d = 0; d < p.count; ++d)
            if (p.devices[d].key == key && p.devices[d].bus->IsActive()) return true;
    return false;
}

SXRESULT CSxMotionDeviceMgr::SetPlayerListener(uint8_t player, uint8_t listener) {
    if (player >= kMaxPlayers || listener >= 8) return SX_InvalidParameter;
    m_players[player].listener = listener;
    return SX_Success;
}

SXRESULT CSxMotionDeviceMgr::SetPlayerVolume(uint8_t player, float volumeDb) {
    if (player >= kMaxPlayers || volumeDb != volumeDb) return SX_InvalidParameter;
    m_players[player].volumeDb = volumeDb;
    return SX_Success;
}

uint32_t CSxMotionDeviceMgr::PlayersReached(uint32_t gameObjectListenerMask, uint32_t motionListenerMask) const {
    uint32_t reached = 0;
    for (uint32_t p = 0; p < kMaxPlayers; ++p) {
        const uint32_t bit = 1u << m_players[p].listener;
        if (gameObjectListenerMask & motionListenerMask & bit) reached |= 1u << p;
    }
    return reached & m_playerMask;
}

void CSxMotionDeviceMgr::MixVoice(const SxAudioBuffer& voice, bool motion, uint32_t playerMask,
                                  const float gains[kMaxPlayers]) {
    const uint32_t voiceChannels = voice.Channels();
    if (voice.validFrames == 0 || voiceChannels == 0) return;
    for (uint32_t p = 0; p < m_playerCount; ++p) {
        if (!(playerMask & (1u << p))) continue;
        Player& player = m_players[p];
        for (uint32_t d = 0; d < player.count; ++d) {
            SxAudioBuffer& mix = motion ? player.devices[d].motion.buffer : player.devices[d].audio.buffer;
            const uint32_t frames = voice.validFrames < mix.maxFrames ? voice.validFrames : mix.maxFrames;
            for (uint32_t c = 0; c < mix.Channels(); ++c) {
                if (voiceChannels > 1 && c >= voiceChannels) break;
                const float* in = voice.Channel(voiceChannels == 1 ? 0 : c);
                float* out = mix.Channel(c);
                for (uint32_t i = 0; i < frames; ++i) out[i] += in[i] * gains[p];
            }
            if (frames > mix.validFrames) mix.validFrames = uint16_t(frames);
        }
    }
}

void CSxMotionDeviceMgr::ProcessFrame() {
    for (uint32_t p = 0; p < m_playerCount; ++p) {
        Player& player = m_players[p];
        for (uint32_t d = 0; d < player.count; ++d) {
            Device& device = player.devices[d];
            if (device.audio.buffer.validFrames) device.bus->MixAudio(&device.audio.buffer);
            if (device.motion.buffer.validFrames) device.bus->MixMotion(&device.motion.buffer);
            device.bus->EndFrame();
            for (Mix* mix : {&device.audio, &device.motion}) {
                std::memset(mix->samples, 0, size_t(mix->buffer.Channels()) * mix->buffer.maxFrames * sizeof(float));
                mix->buffer.validFrames = 0;
            }
        }
    }
}

void CSxMotionDeviceMgr::RenderData() {
    for (Player& player : m_players)
        for (uint32_t d = 0; d < player.count; ++d) player.devices[d].bus->SendNextPair();
}

void CSxMotionDeviceMgr::StopAll() {
    for (Player& player : m_players)
        for (uint32_t d = 0; d < player.count; ++d) player.devices[d].bus->Stop();
}

namespace MotionEngine {
SXRESULT RegisterMotionDevice(uint16_t companyID, uint16_t deviceID, SxCreatePluginCallback create) {
    return SxPluginTable::RegisterPlugin(SxPluginType_MotionDevice, companyID, deviceID, create, nullptr);
}
}  // namespace MotionEngine

}  // namespace SX
