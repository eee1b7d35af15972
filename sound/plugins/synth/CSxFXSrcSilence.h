#pragma once
// Silence for a set duration, lengthened or shortened at each start by a random offset: a
// timed gap in a sequence. It plays for the voice's loop count.
#include <cstdint>

#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

constexpr uint32_t kSilenceParamsSize = 12;

struct SxSilenceFXParams {
    float duration = 1.0f;       // seconds
    float randomMinimum = 0.0f;  // seconds added at least
    float randomMaximum = 0.0f;  // seconds added at most
};

class CSxFxSrcSilenceParams final : public ISxPluginParam {
public:
    // IDs 0 duration, 1 random minimum, 2 random maximum; SX_InvalidParameter for any other
    // ID or a missing value.
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;

    SxSilenceFXParams values;
};

class CSxFXSrcSilence final : public ISxSourcePlugin {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    // Leaves the format as offered; draws the random offset.
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    float GetDuration() const override;
    SXRESULT StopLooping() override;
    SXRESULT Seek() override { return SX_Success; }
    SXRESULT TimeSkip(uint32_t& frames) override;
    // Zeroes every channel of the frames it produces.
    void Execute(SxAudioBuffer* buffer) override;

private:
    uint32_t m_rate = 0;
    uint32_t m_bytesPerSample = 4;
    uint64_t m_produced = 0;  // bytes
    float m_offset = 0.0f;
    uint16_t m_loops = 1;
    float m_duration = 1.0f;
    CSxFxSrcSilenceParams* m_params = nullptr;
};

ISxPlugin* CreateSilenceSource(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateSilenceSourceParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
