#include "tools/samplebanks/DescriptionSignals.h"

#include <algorithm>
#include <cmath>

namespace samplebanks {

namespace {

constexpr double kPi = 3.14159265358979323846;

QV::media::Signal Empty(double seconds) {
    QV::media::Signal signal;
    signal.sampleRate = kSignalRate;
    signal.channelMask = 0x4;
    signal.samples.assign(static_cast<size_t>(seconds * kSignalRate), 0.0f);
    return signal;
}

// 0 at the ends, 1 inside, with raised-cosine ramps of the given length.
double Envelope(size_t i, size_t length, size_t ramp) {
    const size_t edge = std::min(i, length - 1 - i);
    if (edge >= ramp) return 1.0;
    return 0.5 - 0.5 * std::cos(kPi * static_cast<double>(edge) / static_cast<double>(ramp));
}

void Normalise(std::vector<float>& samples, double amplitude) {
    float peak = 0.0f;
    for (float v : samples) peak = std::max(peak, std::fabs(v));
    if (peak == 0.0f) return;
    const auto scale = static_cast<float>(amplitude / peak);
    for (float& v : samples) v *= scale;
}

}  // namespace

QV::media::Signal Chord(const std::vector<double>& hz, double seconds, double amplitude) {
    QV::media::Signal signal = Empty(seconds);
    const size_t n = signal.samples.size();
    for (size_t i = 0; i < n; ++i) {
        double v = 0.0;
        for (double f : hz) v += std::sin(2.0 * kPi * f * static_cast<double>(i) / kSignalRate);
        signal.samples[i] = static_cast<float>(v * Envelope(i, n, kSignalRate / 50));
    }
    Normalise(signal.samples, amplitude);
    return signal;
}

QV::media::Signal Phrase(double hz, unsigned syllables, double amplitude) {
    const size_t syllable = kSignalRate * 180 / 1000, pause = kSignalRate * 70 / 1000;
    QV::media::Signal signal = Empty(static_cast<double>(syllables * (syllable + pause)) / kSignalRate);
    // The pitch of each syllable: up a step, up a third, back, down, as a sentence goes.
    const double steps[] = {1.0, 1.125, 1.25, 1.125, 1.0, 0.9};
    double phase = 0.0;
    for (unsigned s = 0; s < syllables; ++s) {
        const double f = hz * steps[s % 6];
        for (size_t i = 0; i < syllable; ++i) {
            phase += 2.0 * kPi * f / kSignalRate;
            // A voice-like tone: the fundamental with two weaker harmonics.
            const double v = std::sin(phase) + 0.4 * std::sin(2.0 * phase) + 0.2 * std::sin(3.0 * phase);
            signal.samples[s * (syllable + pause) + i] = static_cast<float>(v * Envelope(i, syllable, syllable / 4));
        }
    }
    Normalise(signal.samples, amplitude);
    return signal;
}

QV::media::Signal Noise(double hz, double seconds, double amplitude, uint32_t seed) {
    QV::media::Signal signal = Empty(seconds);
    const size_t n = signal.samples.size();
    // Two-pole resonator: y = x + 2r cos(w) y1 - r^2 y2.
    const double w = 2.0 * kPi * hz / kSignalRate;
    const double r = 1.0 - w / 8.0;
    const double a1 = 2.0 * r * std::cos(w), a2 = -r * r;
    double y1 = 0.0, y2 = 0.0;
    uint32_t state = seed ? seed : 1;
    for (size_t i = 0; i < n; ++i) {
        state = state * 1664525u + 1013904223u;
        const double x = static_cast<double>(state >> 8) / 8388608.0 - 1.0;
        const double y = x + a1 * y1 + a2 * y2;
        y2 = y1;
        y1 = y;
        const double swell = 0.6 + 0.4 * std::sin(kPi * static_cast<double>(i) / static_cast<double>(n));
        signal.samples[i] = static_cast<float>(y * swell * Envelope(i, n, kSignalRate / 50));
    }
    Normalise(signal.samples, amplitude);
    return signal;
}

}  // namespace samplebanks
