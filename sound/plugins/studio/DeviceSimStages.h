#pragma once
// The DeviceSim's seven optional stages and its noise source. Each stage has one record per
// channel (carved zeroed from its arena), a set-up that writes the same coefficients into
// every channel's record without touching the history, and a processing function that runs in
// place on one channel and returns the next channel's record.
#include <cstdint>

#include "sound/plugins/studio/DeviceSimModelTable.h"
#include "sound/plugins/studio/DeviceSimParams.h"
#include "sound/plugins/studio/StudioDsp.h"

namespace SX {

// The damping of a resonance percentage: 1.414 at 0 %, 0.283 at 100 %.
double DeviceSimDamping(double resonancePercent);

struct DeviceSimFilterRecord {
    BiquadCoefs sections[4];  // high-pass 1, high-pass 2, low-pass 1, low-pass 2
    BiquadState states[4];
};

struct DeviceSimDistortionRecord {
    float threshold;
    float detectorB0, detectorB1, detectorA1;
    float rise, fall, envelopeBoost;
    BiquadCoefs post;
    float inputGain;
    float detectorInput;
    float envelope;
    float gain;
    float makeup;
    float asymmetry;
    BiquadState postState;
    float outputGain;
    float wet, dry;
    float table[256];
};

struct DeviceSimEQRecord {
    BiquadCoefs section;
    BiquadState state;
};

struct DeviceSimNoiseRecord {
    BiquadCoefs highPass;
    BiquadCoefs lowPass;
    float duckThreshold, duckLevel, holdLength, fall, rise, noiseGain;
    BiquadState highPassState, lowPassState;
    float fullLevel, holdCounter, duckGain;
};

struct DeviceSimModelRecord {
    BiquadCoefs sections[kDeviceSimModelSections];
    float wet, dry;
    BiquadState states[kDeviceSimModelSections];
};

struct DeviceSimGateRecord {
    float threshold, closedGain, holdLength, release, attack, openGain, holdCounter, gain;
};

struct DeviceSimLoFiRecord {
    float shift, holdLength;
    BiquadCoefs bandPass;
    float inputGain, held, holdCounter;
    BiquadState bandPassState;
    float outputGain;
};

// What a set-up needs besides its parameters: the stage's records and the instance's contexts.
struct DeviceSimSetUp {
    const DSPStageHeader& header;
    StudioDesignContext& design;
    StudioTimeContext& time;
};

struct DeviceSimFilterStage {
    using Record = DeviceSimFilterRecord;
    static void SetUp(const DeviceSimSetUp& s, const DeviceSimFilterParams& p);
    static Record* Process(Record* r, float* samples, uint32_t frames);
};

struct DeviceSimDistortionStage {
    using Record = DeviceSimDistortionRecord;
    static void SetUp(const DeviceSimSetUp& s, const DeviceSimDistortionParams& p);
    static Record* Process(Record* r, float* samples, uint32_t frames);
};

struct DeviceSimEQStage {
    using Record = DeviceSimEQRecord;
    static void SetUp(const DeviceSimSetUp& s, const DeviceSimEQParams& p);
    static Record* Process(Record* r, float* samples, uint32_t frames);
};

struct DeviceSimNoiseStage {
    using Record = DeviceSimNoiseRecord;
    static void SetUp(const DeviceSimSetUp& s, const DeviceSimNoiseParams& p);
    // noise: the generator's samples for this channel.
    static Record* Process(Record* r, float* samples, const float* noise, uint32_t frames);
};

struct DeviceSimModelStage {
    using Record = DeviceSimModelRecord;
    static void SetUp(const DeviceSimSetUp& s, const DeviceSimModelParams& p);
    static Record* Process(Record* r, float* samples, uint32_t frames);
};

struct DeviceSimGateStage {
    using Record = DeviceSimGateRecord;
    static void SetUp(const DeviceSimSetUp& s, const DeviceSimGateParams& p);
    static Record* Process(Record* r, float* samples, uint32_t frames);
};

struct DeviceSimLoFiStage {
    using Record = DeviceSimLoFiRecord;
    static void SetUp(const DeviceSimSetUp& s, const DeviceSimLoFiParams& p);
    static Record* Process(Record* r, float* samples, uint32_t frames);
};

// A linear congruential source of noise in [-0.5, 0.5); its state runs on across channels and calls.
class DeviceSimNoiseGenerator {
public:
    static constexpr uint32_t kSeed = 784329;
    void Generate(float* out, uint32_t frames);
    uint32_t state = kSeed;
};

}  // namespace SX
