#pragma once
// A motion source: two channels of motor drive, each following a curve of (x, y) points that
// repeats with a fixed period, shaped by an optional attack-decay-sustain-release envelope.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

// A parameter block's curve list holds at most this many curves, each of at most
// kMaxMotionCurvePoints points; more curves are ignored, more points refuse the list.
constexpr uint16_t kMotionCurveCount = 2;
constexpr uint16_t kMaxMotionCurvePoints = 4096;
constexpr uint32_t kMotionParamsFixedSize = 34;

class CSxMotionGeneratorParams final : public ISxPluginParam {
public:
    explicit CSxMotionGeneratorParams(ISxPluginMemAlloc* allocator) : allocator(allocator) {}
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;

    enum DurationMode : uint16_t { kOnePeriod = 0, kFixedDuration = 1, kEnvelope = 2 };

    float period = 1.0f;     // x span after which time wraps to 0
    float timeScale = 1.0f;  // seconds of playback per unit of x
    float duration = 1.0f;   // seconds, fixed-duration mode
    float attack = 0.0f;
    float decay = 0.0f;
    float sustainTime = 0.0f;
    float release = 0.0f;
    float sustainLevel = 1.0f;  // linear
    uint16_t durationMode = kOnePeriod;
    CSxConversionTable curves[kMotionCurveCount];
    ISxPluginMemAlloc* allocator;

    // Seconds of one pass by the duration mode (0 for an unknown mode).
    float PassDuration() const;

private:
    // Replaces the curves from a curve list; SX_InvalidParameter, leaving every curve as it
    // was, when the list runs past its size or a curve has too many points.
    SXRESULT SetCurves(const uint8_t* list, uint32_t size);
};

class CSxMotionGenerator final : public ISxSourcePlugin {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    float GetDuration() const override;
    SXRESULT StopLooping() override;
    SXRESULT Seek() override { return SX_Success; }
    SXRESULT TimeSkip(uint32_t&) override { return static_cast<SXRESULT>(0); }  // the host skips
    void Execute(SxAudioBuffer* buffer) override;

    float EnvelopeGain() const { return m_envelopeGain; }

private:
    friend struct platform::TestProbe<CSxMotionGenerator>;

    struct Segment {
        uint32_t end = kAbsent;  // sample of the pass where the segment ends
        float step = 0.0f;       // gain change per sample
        float startGain = 0.0f;
    };
    static constexpr uint32_t kAbsent = 0xFFFFFFFFu;
    static constexpr uint32_t kEndless = 0xFFFFFFFFu;

    uint32_t TotalSamples() const;

    uint32_t m_rate = 0;
    float m_time = 0.0f;
    uint32_t m_total = 0;
    uint32_t m_produced = 0;
    uint32_t m_loopsLeft = 1;
    float m_envelopeGain = 1.0f;
    uint32_t m_cursors[kMotionCurveCount] = {};
    Segment m_segments[4];
    uint8_t m_segment = 0;
    CSxMotionGeneratorParams* m_params = nullptr;
    ISxSourcePluginContext* m_context = nullptr;
};

ISxPlugin* CreateMotionGenerator(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateMotionGeneratorParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
