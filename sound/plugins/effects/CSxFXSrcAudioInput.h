#pragma once
// Audio input source: samples from the game (a microphone, a voice chat stream, any audio the
// game makes) through three callbacks that it installs. The source asks the game for the
// format when a voice starts, asks it to fill each buffer, and applies a smoothed gain: the
// sound designer's gain times a gain the game may give per voice.
#include <cstdint>

#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

constexpr uint32_t SxAudioInputFXParamsBlockSize = 4;

// The voice identifier is the playing ID that the source's context gives for the voice.
using SxAudioInputExecuteCallback = void (*)(uint32_t voiceID, SxAudioBuffer* buffer);
using SxAudioInputFormatCallback = void (*)(uint32_t voiceID, SxAudioFormat& format);
using SxAudioInputGainCallback = float (*)(uint32_t voiceID);

// Stores the three only when the execute and format callbacks are both given; the gain
// callback may be null. A seam (docs/seams.md): while one game's callbacks are installed,
// another's are refused.
void SetAudioInputCallbacks(SxAudioInputExecuteCallback execute, SxAudioInputFormatCallback format,
                            SxAudioInputGainCallback gain);
// Removes the callbacks only if `execute` is the one installed.
void RemoveAudioInputCallbacks(SxAudioInputExecuteCallback execute);

struct SxAudioInputFXParams {
    float gain = 0.0f;  // dB
};

class CSxFxSrcAudioInputParams final : public ISxPluginParam, public SxAudioInputFXParams {
public:
    // Only ID 1, the gain in dB.
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // A block of any other size than 4 bytes is refused and the default (0 dB) kept.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;
};

class CSxFXSrcAudioInput final : public ISxSourcePlugin {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override { return SX_Success; }
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    float GetDuration() const override { return 0.0f; }
    SXRESULT StopLooping() override { return SX_Fail; }
    SXRESULT Seek() override { return SX_Success; }
    // 0: not supported, the host skips by itself.
    SXRESULT TimeSkip(uint32_t&) override { return static_cast<SXRESULT>(0); }
    void Execute(SxAudioBuffer* buffer) override;

    float CurrentGain() const { return m_current; }

private:
    float VoiceGain() const;
    uint32_t VoiceID() const;
    float NextGain();

    CSxFxSrcAudioInputParams* m_params = nullptr;
    ISxSourcePluginContext* m_context = nullptr;
    float m_step = 0.0f;
    float m_signedStep = 0.0f;
    float m_target = 1.0f;
    float m_current = 1.0f;
    uint32_t m_ramped = 0;
    uint32_t m_rampLength = 0;
    uint32_t m_sampleRate = 0;
    SxAudioFormat m_format;
};

ISxPlugin* CreateAudioInputSource(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateAudioInputSourceParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
