#include "sound/plugins/studio/DeviceSimStages.h"

#include <algorithm>
#include <cmath>

#include "sound/plugins/studio/DeviceSimStageSetUp.h"
#include "sound/plugins/studio/StudioFilterDesign.h"

namespace SX {

double DeviceSimDamping(double resonancePercent) {
    double s = resonancePercent / 100.0;
    if (s > 0.0) s = std::sqrt(s);
    return 1.414 * (1.0 - 0.8 * s);
}

// Filters.

void DeviceSimFilterStage::SetUp(const DeviceSimSetUp& s, const DeviceSimFilterParams& p) {
    const BiquadCoefs highPass =
        ToCoefs(DesignHighPass2(s.design, p.highPassFreq, DeviceSimDamping(Percent(p.highPassResonance, 0.0f))));
    const BiquadCoefs lowPass =
        ToCoefs(DesignLowPass2(s.design, p.lowPassFreq, DeviceSimDamping(Percent(p.lowPassResonance, 0.0f))));
    ForEachRecord<Record>(s.header, [&](Record& r) {
        r.sections[0] = highPass;
        r.sections[1] = p.highPassSlope == 1 ? highPass : BiquadCoefs();
        r.sections[2] = lowPass;
        r.sections[3] = p.lowPassSlope == 1 ? lowPass : BiquadCoefs();
    });
}

DeviceSimFilterRecord* DeviceSimFilterStage::Process(Record* r, float* samples, uint32_t frames) {
    for (uint32_t n = 0; n < frames; ++n) {
        float y = samples[n];
        for (uint32_t i = 0; i < 4; ++i) y = RunSection(r->sections[i], r->states[i], y);
        samples[n] = y;
    }
    return r + 1;
}

// EQ.

void DeviceSimEQStage::SetUp(const DeviceSimSetUp& s, const DeviceSimEQParams& p) {
    const double resonance = Percent(p.resonance, 0.0f);
    BiquadDesign design;
    switch (p.type) {
        case 0:
            design = DesignHighPass2(s.design, p.freq, DeviceSimDamping(resonance));
            break;
        case 1: {
            const double r = resonance / 100.0;
            design = DesignPeakWide(s.design, p.freq, 1.0 + 9.0 * r * r, Decibels(p.gain, -96.0f));
            break;
        }
        case 2:
            design = DesignLowPass2(s.design, p.freq, DeviceSimDamping(resonance));
            break;
        default:
            design = BiquadDesign::Unity();
            break;
    }
    const BiquadCoefs section = ToCoefs(design);
    ForEachRecord<Record>(s.header, [&](Record& r) { r.section = section; });
}

DeviceSimEQRecord* DeviceSimEQStage::Process(Record* r, float* samples, uint32_t frames) {
    for (uint32_t n = 0; n < frames; ++n) samples[n] = RunSection(r->section, r->state, samples[n]);
    return r + 1;
}

// Noise.

void DeviceSimNoiseGenerator::Generate(float* out, uint32_t frames) {
    const float scale = 2.3283064365386963e-10f;  // 2^-32
    for (uint32_t n = 0; n < frames; ++n) {
        state = state * 214013u + 2531011u;
        out[n] = float(int32_t(state)) * scale;
    }
}

void DeviceSimNoiseStage::SetUp(const DeviceSimSetUp& s, const DeviceSimNoiseParams& p) {
    const double v = Decibels(p.level, -96.0f) - 6.0;
    const float noiseGain = v < -143.0 ? 0.0f : float(std::pow(10.0, v / 20.0));
    const BiquadCoefs lowPass = ToCoefs(DesignLowPass2(s.design, p.lowPassFreq, 1.414));
    const BiquadCoefs highPass = ToCoefs(DesignHighPass2(s.design, p.highPassFreq, 1.414));
    const float threshold = float(std::pow(10.0, Decibels(p.duckThreshold, 0.0f) / 20.0));
    const float duckLevel = float(std::pow(10.0, Decibels(p.duckLevel, -20.0f) / 20.0));
    const float rise = float(TimeToCoefficient(s.time, Milliseconds(p.recoveryTime, 20.0f)));
    const float holdLength = float(TimeToSamples(s.time, 1.0));
    const float fall = float(TimeToCoefficient(s.time, 1.0));
    ForEachRecord<Record>(s.header, [&](Record& r) {
        r.noiseGain = noiseGain;
        r.lowPass = lowPass;
        r.highPass = highPass;
        r.duckThreshold = threshold;
        r.duckLevel = duckLevel;
        r.fullLevel = 1.0f;
        r.rise = rise;
        r.holdLength = holdLength;
        r.fall = fall;
    });
}

DeviceSimNoiseRecord* DeviceSimNoiseStage::Process(Record* r, float* samples, const float* noise, uint32_t frames) {
    for (uint32_t n = 0; n < frames; ++n) {
        const float x = samples[n];
        const float z =
            RunSection(r->highPass, r->highPassState, RunSection(r->lowPass, r->lowPassState, noise[n] * r->noiseGain));
        float target;
        if (std::fabs(x) > std::fabs(r->duckThreshold)) {
            target = r->duckLevel;
            r->holdCounter = r->holdLength;
        } else {
            target = r->fullLevel;
        }
        r->holdCounter -= 1.0f;
        if (r->holdCounter > 0.0f)
            target = r->duckLevel;
        else
            r->holdCounter = 0.0f;
        const float delta = target - r->duckGain;
        r->duckGain += delta * (delta > 0.0f ? r->rise : r->fall);
        samples[n] = x + z * r->duckGain;
    }
    return r + 1;
}

// Device model.

void DeviceSimModelStage::SetUp(const DeviceSimSetUp& s, const DeviceSimModelParams& p) {
    const uint32_t index = std::min(p.index, kDeviceSimModelCount - 1);
    const double scale = SxSanitizeParam(p.freqScale, -1e6f, 1e6f, 100.0f) * 0.01;
    BiquadDesign designs[kDeviceSimModelSections];
    DeviceSimModelTable(s.design, index, scale, designs);
    const double gain = DeviceSimModelGain(index);
    const float wet = float(gain < 0.0 ? std::pow(10.0, gain / 20.0) : gain);
    ForEachRecord<Record>(s.header, [&](Record& r) {
        for (uint32_t i = 0; i < kDeviceSimModelSections; ++i) r.sections[i] = ToCoefs(designs[i]);
        r.wet = wet;
        r.dry = 0.0f;
    });
}

DeviceSimModelRecord* DeviceSimModelStage::Process(Record* r, float* samples, uint32_t frames) {
    for (uint32_t n = 0; n < frames; ++n) {
        const float x = samples[n];
        float y = x;
        for (uint32_t i = 0; i < kDeviceSimModelSections; ++i) y = RunSection(r->sections[i], r->states[i], y);
        samples[n] = y * r->wet + x * r->dry;
    }
    return r + 1;
}

// Gate.

void DeviceSimGateStage::SetUp(const DeviceSimSetUp& s, const DeviceSimGateParams& p) {
    const float threshold = float(std::pow(10.0, Decibels(p.threshold, -40.0f) / 20.0));
    const float closed = float(std::pow(10.0, Decibels(p.floor, 0.0f) / 20.0));
    const float attack = float(TimeToCoefficient(s.time, Milliseconds(p.attack, 1.0f)));
    const float hold = float(TimeToSamples(s.time, Milliseconds(p.hold, 10.0f)));
    const float release = float(TimeToCoefficient(s.time, Milliseconds(p.release, 100.0f)));
    ForEachRecord<Record>(s.header, [&](Record& r) {
        r.threshold = threshold;
        r.closedGain = closed;
        r.openGain = 1.0f;
        r.attack = attack;
        r.holdLength = hold;
        r.release = release;
    });
}

DeviceSimGateRecord* DeviceSimGateStage::Process(Record* r, float* samples, uint32_t frames) {
    for (uint32_t n = 0; n < frames; ++n) {
        const float x = samples[n];
        float target;
        if (std::fabs(r->threshold) > std::fabs(x)) {
            target = r->closedGain;
        } else {
            target = r->openGain;
            r->holdCounter = r->holdLength;
        }
        r->holdCounter -= 1.0f;
        if (r->holdCounter > 0.0f)
            target = r->openGain;
        else if (r->holdCounter < 0.0f)
            r->holdCounter = 0.0f;
        const float delta = target - r->gain;
        r->gain += delta * (delta > 0.0f ? r->attack : r->release);
        samples[n] = x * r->gain;
    }
    return r + 1;
}

// Lo-fi.

void DeviceSimLoFiStage::SetUp(const DeviceSimSetUp& s, const DeviceSimLoFiParams& p) {
    static const int kBitDepths[16] = {24, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
    const int32_t index = std::min(std::max(p.bitsIndex, 0), 15);
    const float shift = float(24 - kBitDepths[index]);
    // In floating point, so that doubling a large hold cannot overflow.
    double hold = std::max(0, p.hold);
    if (s.header.sampleRate > 48000) hold *= 2.0;
    double band = Percent(p.bandLimit, 0.0f) / 100.0;
    if (band > 0.0) band = std::sqrt(band);
    const BiquadCoefs bandPass = ToCoefs(DesignBandPass1(s.design, 20.0, 20000.0 - 19000.0 * band));
    ForEachRecord<Record>(s.header, [&](Record& r) {
        r.shift = shift;
        r.holdLength = float(hold);
        r.bandPass = bandPass;
        r.inputGain = 1.0f;
        r.outputGain = 1.0f;
    });
}

namespace {

int32_t SaturateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return INT32_MIN;
    return int32_t(value);
}

}  // namespace

DeviceSimLoFiRecord* DeviceSimLoFiStage::Process(Record* r, float* samples, uint32_t frames) {
    const float h = float(std::pow(2.0, -double(r->shift)));
    const int32_t shift = int32_t(r->shift);
    const float unit = 1.1920930e-7f;  // one step above 2^-23
    for (uint32_t n = 0; n < frames; ++n) {
        const float xg = samples[n] * r->inputGain;
        float t = xg * 8388607.0f * h;
        t = t > 0.0f ? t + 0.5f : t - 0.5f;
        // Loud samples saturate at the integer range instead of wrapping around.
        const int32_t q = SaturateToInt32(t);
        const int32_t scaled = SaturateToInt32(double(q) * double(int64_t(1) << shift));
        const float u = float(scaled) * unit;
        r->holdCounter -= 1.0f;
        if (!(r->holdCounter > 0.0f)) {
            r->holdCounter = 0.0f;
            r->held = u;
        }
        if (r->holdCounter == 0.0f) r->holdCounter = r->holdLength;
        samples[n] = RunSection(r->bandPass, r->bandPassState, r->held) * r->outputGain;
    }
    return r + 1;
}

}  // namespace SX
