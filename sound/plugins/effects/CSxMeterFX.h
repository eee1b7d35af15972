#pragma once
// Meter: leaves the audio unchanged and measures its level in decibels with meter ballistics
// (attack, hold, release, range). With a game parameter assigned, the reading is written into
// it once per audio frame by one writer that all meters share.
#include <cstdint>

#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

constexpr uint32_t SxMeterFXParamsBlockSize = 25;

struct SxMeterFXParams {
    float attack = 0.0f;       // s, 0 instant
    float release = 0.1f;      // s, 0 instant
    float minLevel = -48.0f;   // dB
    float maxLevel = 6.0f;     // dB
    float hold = 0.0f;         // s
    uint8_t mode = 0;          // 0 peak, other RMS
    uint32_t gameParamID = 0;  // 0: none
};

class CSxMeterFXParams final : public ISxPluginParam, public SxMeterFXParams {
public:
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // A block of any other size than 25 bytes is refused and the defaults are kept.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;
};

class CSxMeterRTPCWriter;

class CSxMeterFX final : public ISxInPlaceEffectPlugin {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    void Execute(SxAudioBuffer* buffer) override;
    SXRESULT TimeSkip(uint32_t) override { return SX_DataReady; }

    float Reading() const { return m_output; }

private:
    float Level(const SxAudioBuffer& buffer, const SxMeterFXParams& params) const;
    void Ballistics(float level, float dt, const SxMeterFXParams& params);

    CSxMeterFXParams* m_params = nullptr;
    ISxEffectPluginContext* m_context = nullptr;
    ISxPluginMemAlloc* m_allocator = nullptr;
    CSxMeterRTPCWriter* m_writer = nullptr;
    uint32_t m_sampleRate = 0;
    float m_holdTimer = 0.0f;
    float m_held = 0.0f;
    float m_output = 0.0f;
    float m_slots[8] = {};
};

// The writer's frame function, for the tests and the engine's frame: merges the values that
// the meters posted this frame (the larger level per game parameter) and writes them as global
// game-parameter values; it goes away at the first frame with no meter left.
void SxMeterWriterFrame(bool lastCall);
// True while the shared writer exists.
bool SxMeterWriterExists();

ISxPlugin* CreateMeterFX(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateMeterFXParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
