#include <algorithm>
#include <cmath>

#include "sound/plugins/studio/DeviceSimStageSetUp.h"
#include "sound/plugins/studio/DeviceSimStages.h"
#include "sound/plugins/studio/StudioFilterDesign.h"

namespace SX {

namespace {

// Per distortion type: rise time A and fall time B at no drive and at full drive (ms; B
// follows the drive's square root itself where sigmaFall is set), the detector's cutoffs
// and the makeup offset in dB.
struct DistortionType {
    double rise0, rise1;
    double fall0, fall1;
    bool sigmaFall;
    double detectorLow, detectorMid, detectorHigh;
    double makeupOffset;
};

const DistortionType kTypes[10] = {
    {4.35, 12.15, 0.85, 0.35, false, 100, 150, 17500, -8}, {1.15, 18.25, 0.25, 0.1, false, 100, 300, 20000, -7},
    {2.35, 1.4, 0.35, 0.25, false, 300, 300, 10000, -6},   {0.95, 0.75, 0.25, 0.1, false, 150, 300, 12000, -6},
    {8.25, 0.35, 0.25, 0.25, false, 100, 200, 14000, -6},  {2.15, 0.25, 0.5, 0.2, false, 150, 300, 16000, -6},
    {0.7, 0.15, 0, 0, true, 200, 400, 18000, -6},          {0.35, 0.1, 0, 0, true, 100, 1000, 20000, -5},
    {0.25, 0.05, 0, 0, true, 200, 2000, 20000, -2},        {0.1, 0.01, 0, 0, true, 150, 1500, 20000, 0},
};

// The makeup gain's base, read at 20 x drive.
const double kMakeup[22] = {1.0,    2.2387, 2.0893, 1.4791, 1.0233, 0.7674, 0.5957, 0.4732, 0.3936, 0.335,  0.2884,
                            0.2512, 0.2239, 0.1995, 0.1841, 0.1679, 0.1585, 0.1496, 0.1334, 0.1259, 0.1259, 0.1259};

double Linear(double start, double end, double sigma) { return start + sigma * (end - start); }

}  // namespace

void DeviceSimDistortionStage::SetUp(const DeviceSimSetUp& s, const DeviceSimDistortionParams& p) {
    const double drive = Percent(p.drive, 0.0f) / 100.0;
    const double detector = Percent(p.detector, 0.0f) / 100.0;
    const DistortionType& type = kTypes[std::min<uint32_t>(p.type, 9)];
    const double sigma = drive > 0.0 ? std::sqrt(drive) : drive;
    const double range = std::pow(10.0, 2.4);
    const double exponent = 1.0 / (1.0 + 9.0 * drive) - 1.0;

    float table[256];
    for (int i = 0; i < 256; ++i) table[i] = float(std::pow(1.0 + (i / 256.0) * range, exponent));

    const double rise = Linear(type.rise0, type.rise1, sigma);
    const double fall = type.sigmaFall ? sigma : Linear(type.fall0, type.fall1, sigma);
    const double riseCoefficient = TimeToCoefficient(s.time, rise);
    const double fallCoefficient = TimeToCoefficient(s.time, fall);
    const double boost = TimeToCoefficient(s.time, 0.01) - fallCoefficient;

    const double cutoff = type.detectorLow + drive * ((type.detectorMid - type.detectorLow) +
                                                      detector * (type.detectorHigh - type.detectorMid));
    const BiquadDesign detectorDesign = DesignLowPass1(s.design, cutoff);

    const double position = 20.0 * drive;
    const int index = std::min(int(position), 20);
    const double base = kMakeup[index] + (position - index) * (kMakeup[index + 1] - kMakeup[index]);
    const double peakGain = std::pow(range, exponent);
    const double q = 1.0 + drive * (1.0 / peakGain - 1.0);
    const double makeup = std::pow(10.0, (20.0 * std::log10(base * q) + type.makeupOffset * drive) / 20.0);

    // 50 % halves the negative excursions and 100 % removes them.
    const float asymmetry = float(-0.01 * Percent(p.asymmetry, 0.0f));
    const BiquadCoefs post = ToCoefs(DesignHighPass1(s.design, 20.0));

    ForEachRecord<Record>(s.header, [&](Record& r) {
        r.threshold = float(std::pow(10.0, -2.4));
        std::copy(table, table + 256, r.table);
        r.rise = float(riseCoefficient);
        r.fall = float(fallCoefficient);
        r.envelopeBoost = float(boost);
        r.detectorB0 = float(detectorDesign.b0);
        r.detectorB1 = float(detectorDesign.b1);
        r.detectorA1 = float(detectorDesign.a1);
        r.makeup = float(makeup);
        r.asymmetry = asymmetry;
        r.post = post;
        r.inputGain = 1.0f;
        r.outputGain = 1.0f;
        r.wet = 1.0f;
        r.dry = 0.0f;
    });
}

DeviceSimDistortionRecord* DeviceSimDistortionStage::Process(Record* r, float* samples, uint32_t frames) {
    for (uint32_t n = 0; n < frames; ++n) {
        const float xg = samples[n] * r->inputGain;
        float level = std::min(std::fabs(xg), 1.0f) - r->threshold;
        if (!(level > 0.0f)) level = 0.0f;
        const float e = 0.5f * (r->detectorB0 * level + r->detectorB1 * r->detectorInput) - r->detectorA1 * r->envelope;
        r->detectorInput = level;
        r->envelope = e;
        // The detector can overshoot [0, 1] slightly: the lookup stays inside the table.
        float position = 255.0f * e;
        position = position > 255.0f ? 255.0f : (position > 0.0f ? position : 0.0f);
        const uint32_t i = std::min(uint32_t(position), 254u);
        const float fraction = position - float(i);
        const float target = r->table[i] + fraction * (r->table[i + 1] - r->table[i]);
        const float delta = target - r->gain;
        const float c = delta < 0.0f ? r->fall : r->rise;
        r->gain += (c + e * r->envelopeBoost) * delta;
        float v = r->gain * xg * r->makeup;
        if (v < 0.0f) v += r->asymmetry * v;
        const float w = std::min(std::max(v, -1.0f), 1.0f);
        const float y = RunSection(r->post, r->postState, w);
        samples[n] = r->dry * xg + r->wet * (r->outputGain * y);
    }
    return r + 1;
}

}  // namespace SX
