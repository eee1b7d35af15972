#pragma once
// Wind: a gusting wind speed travels across deflectors placed around the listener; each is a
// noise-excited resonator whose pitch and loudness follow the speed that reaches it, delayed
// by its distance upwind, panned to one, two or four channels.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/plugins/synth/SxDeflectorBank.h"
#include "sound/plugins/synth/SxSynthCurves.h"
#include "sound/plugins/synth/SxSynthParams.h"
#include "sound/plugins/synth/SxSynthSource.h"

namespace SX {

struct SxWindDeflector {
    float distance;   // m
    float angle;      // degrees, 0 ahead, 90 to the right
    float frequency;  // Hz at a wind speed of 8
    float q;
    float gain;  // linear
};

// A block or replacement list may hold at most this many deflectors.
constexpr uint16_t kMaxSynthDeflectors = 1024;

class CSxWindSynthParams final : public ISxPluginParam, public SxSynthShape {
public:
    enum Value { kSpeed, kDirection, kGustiness, kGustRate, kPitch, kQ, kGain, kValueCount };
    static constexpr uint32_t kChangeAll = 63;
    static constexpr uint32_t kChangeDirection = 0x10000;
    static constexpr uint32_t kChangeDeflectors = 0x10016;
    static constexpr uint32_t kFixedSize = 89;

    explicit CSxWindSynthParams(ISxPluginMemAlloc* allocator) : allocator(allocator) { SetDefaults(); }
    ~CSxWindSynthParams() override;
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // SX_InvalidParameter, keeping every value, for a block that is short, lists more than
    // it holds, exceeds the bounds above or has a maximum distance that is not above 0.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;

    CSxConversionTable curves[kValueCount];
    float maxDistance = 30.0f;
    SxSynthValue values[kValueCount];
    ISxPluginMemAlloc* allocator;
    SxWindDeflector* deflectors = nullptr;
    uint16_t deflectorCount = 0;
    uint32_t changeMask = kChangeAll;

private:
    void SetDefaults();
    // Deflector list and curve list from offset 89 of a block: validated as a whole first.
    SXRESULT SetDeflectorsAndCurves(const uint8_t* list, uint32_t size);
};

class CSxWindSynth final : public CSxSynthSource {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    void Execute(SxAudioBuffer* buffer) override;

    float CycleDuration() const { return m_cycleDuration; }

private:
    friend struct platform::TestProbe<CSxWindSynth>;

    struct DeflectorState {
        float delayDistance, windSpeed, frequency, q, targetGain, pitchRandom, qRandom, gainFactor;
    };
    struct Gust {
        float target = 0, step = 0, value = 0, exponent = 0;
        SxSynthRandom random;
        float Sample(float speed, float gustiness, float gustRate, float bufferTime);
    };
    SXRESULT NextCycle() override;
    void FreeState();

    CSxWindSynthParams* m_params = nullptr;
    float m_offsets[4] = {};  // speed, direction, gustiness, gust rate
    uint32_t m_cursors[CSxWindSynthParams::kValueCount] = {};
    bool m_firstBuffer = true;
    // The deflectors as they were at Init: a list replaced during play does not reach a
    // source that is already playing.
    SxWindDeflector* m_deflectors = nullptr;
    uint32_t m_deflectorCount = 0;
    DeflectorState* m_states = nullptr;
    SxResonatorBank m_bank;
    float* m_excitation = nullptr;
    SxPinkExcitation m_noise;
    SxSynthRandom m_random;
    Gust m_gust;
    float* m_ring = nullptr;
    uint32_t m_ringSize = 0;
    uint32_t m_ringWrite = 0;
};

ISxPlugin* CreateWindSynth(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateWindSynthParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
