#pragma once
// Whoosh: the rush of an object moving through the air along a path around the listener.
// Noise of a chosen colour excites resonators (deflectors) whose pitch and loudness follow the
// object's speed; the sound is attenuated by distance and panned by direction. The speed
// curve is jittered afresh for every cycle.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/plugins/synth/CSxWindSynth.h"
#include "sound/plugins/synth/SxDeflectorBank.h"
#include "sound/plugins/synth/SxSynthSource.h"

namespace SX {

struct SxWhooshDeflector {
    float frequency;
    float q;
    float gain;  // linear
};

struct SxWhooshPathPoint {
    float position;  // along the path, 0 .. length
    float x;
    float y;
};

constexpr uint16_t kMaxWhooshPathPoints = 4096;
// Control points per buffer are held to 1 .. this.
constexpr uint16_t kMaxWhooshControlPoints = 256;

class CSxWhooshSynthParams final : public ISxPluginParam, public SxSynthShape {
public:
    enum Value { kSpeed, kPitch, kQ, kGain, kValueCount };
    static constexpr uint32_t kChangeAll = 15;
    static constexpr uint32_t kFixedSize = 77;

    explicit CSxWhooshSynthParams(ISxPluginMemAlloc* allocator) : allocator(allocator) { SetDefaults(); }
    ~CSxWhooshSynthParams() override;
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // SX_InvalidParameter, keeping every value, for a block that is short, lists more than it
    // holds or exceeds the bounds.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;

    CSxConversionTable curves[kValueCount];
    int32_t centreIndex = -1;
    uint16_t noiseColour = 0;
    float pathJitter = 0.0f;
    float speedJitter = 0.0f;
    uint16_t controlPoints = 1;
    SxSynthValue values[kValueCount];
    uint8_t attenuationOn = 1;
    ISxPluginMemAlloc* allocator;
    uint32_t changeMask = kChangeAll;
    SxWhooshDeflector* deflectors = nullptr;
    uint16_t deflectorCount = 0;
    SxWhooshPathPoint* path = nullptr;
    uint16_t pathCount = 0;
    float pathLength = 0.0f;

private:
    void SetDefaults();
    // Deflectors, curves and path, from the deflector count on: validated as a whole first.
    SXRESULT SetLists(const uint8_t* list, uint32_t size);
};

class CSxWhooshSynth final : public CSxSynthSource {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    void Execute(SxAudioBuffer* buffer) override;

    // The shaped-noise filter of colour 3, on its own for tests.
    static float ShapedNoiseDcGain(uint32_t samples);

private:
    friend struct platform::TestProbe<CSxWhooshSynth>;

    SXRESULT NextCycle() override;
    SXRESULT StartCycle();
    void Excite(float* out, uint32_t count);
    void Locate(float position);
    void FreeState();

    CSxWhooshSynthParams* m_params = nullptr;
    float m_speedOffset = 0.0f;
    uint32_t m_cursors[CSxWhooshSynthParams::kValueCount] = {};
    bool m_firstStep = true;
    // Taken at Init: lists replaced during play reach only new sources, and the control
    // points stay those the curve values were sized for.
    uint32_t m_controlPoints = 1;
    SxWhooshDeflector* m_deflectors = nullptr;
    uint32_t m_deflectorCount = 0;
    SxWhooshPathPoint* m_path = nullptr;
    uint32_t m_pathCount = 0;
    float m_pathLength = 0.0f;
    SxCurvePoint* m_speedCurve = nullptr;  // the speed curve as it was at Init
    SxCurvePoint* m_jittered = nullptr;    // this cycle's copy
    uint32_t m_speedPoints = 0;
    float* m_curveValues = nullptr;  // control points x 4
    float* m_randoms = nullptr;      // per deflector: pitch, Q, gain factor
    float* m_speeds = nullptr;
    float* m_excitation = nullptr;
    SxResonatorBank m_bank;
    SxSynthRandom m_random;
    SxSynthRandom m_white;
    SxPinkExcitation m_pink;
    float m_red = 0.0f;
    BiquadFilter m_shaped;
    float m_pathTotal = 0.0f;
    float m_pathFraction = 0.0f;
    float m_lastTime = 0.0f;
    float m_lastSpeed = 0.0f;
    uint32_t m_segment = 0;
    float m_x = 0.0f;
    float m_y = 0.0f;
};

ISxPlugin* CreateWhooshSynth(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateWhooshSynthParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
