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

namespace {

// The partials of a voice: their frequency as a multiple of the note's, amplitude, and decay
// rate (per second; 0 holds).
struct Partial {
    double ratio, amplitude, decay;
};
struct VoiceShape {
    std::vector<Partial> partials;
    double attack, release;  // seconds
    double vibratoCents;     // at 5 Hz, from a fifth of a second in
    double detuneCents;      // a second voice this far above, for width
};

const VoiceShape& ShapeOf(Voice voice) {
    static const VoiceShape kPluck{
        {{1, 1.0, 2.2}, {2, 0.5, 3.0}, {3, 0.3, 4.0}, {4, 0.2, 5.5}, {5, 0.12, 7.0}, {6, 0.08, 9.0}},
        0.004,
        0.08,
        0,
        0};
    static const VoiceShape kBell{
        {{1, 1.0, 1.6}, {2.0, 0.45, 2.4}, {2.76, 0.3, 3.5}, {5.4, 0.15, 6.0}}, 0.002, 0.12, 0, 0};
    static const VoiceShape kPad{{{1, 1.0, 0}, {2, 0.45, 0}, {3, 0.25, 0}, {4, 0.12, 0}}, 0.18, 0.25, 4, 7};
    static const VoiceShape kBass{{{1, 1.0, 0.8}, {2, 0.45, 1.2}, {3, 0.2, 2.0}}, 0.01, 0.1, 0, 0};
    static const VoiceShape kFlute{{{1, 1.0, 0}, {2, 0.3, 0}, {3, 0.1, 0}}, 0.04, 0.08, 10, 0};
    static const VoiceShape kReed{{{1, 1.0, 0.3}, {3, 0.4, 0.5}, {5, 0.2, 0.8}, {7, 0.1, 1.0}}, 0.025, 0.08, 6, 0};
    switch (voice) {
        case Voice::Pluck:
            return kPluck;
        case Voice::Bell:
            return kBell;
        case Voice::Pad:
            return kPad;
        case Voice::Bass:
            return kBass;
        case Voice::Flute:
            return kFlute;
        default:
            return kReed;
    }
}

// Adds one note of the voice from sample `at`, held for `held` samples and then released.
void AddNote(const VoiceShape& shape, double hz, size_t at, size_t held, std::vector<float>& out) {
    const size_t release = static_cast<size_t>(shape.release * kSignalRate);
    const size_t attack = std::max<size_t>(1, static_cast<size_t>(shape.attack * kSignalRate));
    const size_t length = std::min(held + release, out.size() - std::min(at, out.size()));
    // One voice, or two with the second detuned; each keeps its phase as the vibrato moves it.
    const int voices = shape.detuneCents > 0 ? 2 : 1;
    double phase[2] = {0.0, 0.0};
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kSignalRate;
        double envelope = i < attack ? 0.5 - 0.5 * std::cos(kPi * static_cast<double>(i) / attack) : 1.0;
        if (i >= held) envelope *= 0.5 + 0.5 * std::cos(kPi * static_cast<double>(i - held) / release);
        const double vibrato = t > 0.2 ? shape.vibratoCents * std::sin(2.0 * kPi * 5.0 * (t - 0.2)) : 0.0;
        double v = 0.0;
        for (int k = 0; k < voices; ++k) {
            phase[k] += 2.0 * kPi * hz * std::exp2((vibrato + k * shape.detuneCents) / 1200.0) / kSignalRate;
            for (const Partial& p : shape.partials)
                v += p.amplitude * std::exp(-p.decay * t) * std::sin(phase[k] * p.ratio) / voices;
        }
        out[at + i] += static_cast<float>(v * envelope);
    }
}

}  // namespace

QV::media::Signal Notes(Voice voice, double bpm, double beats, const std::vector<Note>& notes, double amplitude) {
    const double beat = 60.0 / bpm;
    QV::media::Signal signal = Empty(beats * beat);
    const VoiceShape& shape = ShapeOf(voice);
    double at = 0.0;
    for (const Note& note : notes) {
        const auto start = static_cast<size_t>(at * beat * kSignalRate);
        const auto held = static_cast<size_t>(note.beats * beat * kSignalRate);
        for (double hz : note.hz) AddNote(shape, hz, start, held, signal.samples);
        at += note.beats;
    }
    // What still rings at the end of the stem fades out over its last 20 ms.
    const size_t n = signal.samples.size(), ramp = kSignalRate / 50;
    for (size_t i = n > ramp ? n - ramp : 0; i < n; ++i) signal.samples[i] *= static_cast<float>(Envelope(i, n, ramp));
    Normalise(signal.samples, amplitude);
    return signal;
}

QV::media::Signal Chirps(const std::vector<Sweep>& sweeps, double amplitude) {
    const size_t gap = kSignalRate * 30 / 1000;
    double total = 0.0;
    for (const Sweep& sweep : sweeps) total += sweep.ms / 1000.0 + 0.03;
    QV::media::Signal signal = Empty(total);
    size_t at = 0;
    for (const Sweep& sweep : sweeps) {
        const auto length = static_cast<size_t>(sweep.ms / 1000.0 * kSignalRate);
        double phase = 0.0;
        for (size_t i = 0; i < length && at + i < signal.samples.size(); ++i) {
            const double u = static_cast<double>(i) / static_cast<double>(length);
            // The pitch glides along a curve that moves fastest at the start, as calls do.
            phase += 2.0 * kPi * (sweep.fromHz + (sweep.toHz - sweep.fromHz) * std::sqrt(u)) / kSignalRate;
            const double v = std::sin(phase) + 0.15 * std::sin(2.0 * phase);
            signal.samples[at + i] = static_cast<float>(v * std::pow(std::sin(kPi * u), 2.0));
        }
        at += length + gap;
    }
    Normalise(signal.samples, amplitude);
    return signal;
}

QV::media::Signal Howl(double lowHz, double highHz, double seconds, double amplitude, uint32_t seed) {
    // Made a crossfade longer than asked, the tail then laid over the head.
    const size_t n = static_cast<size_t>(seconds * kSignalRate), fade = kSignalRate / 2;
    std::vector<double> raw(n + fade);
    double y1 = 0.0, y2 = 0.0;
    uint32_t state = seed ? seed : 1;
    for (size_t i = 0; i < raw.size(); ++i) {
        const double u = static_cast<double>(i) / static_cast<double>(n);
        const double wander = 0.5 - 0.5 * std::cos(2.0 * kPi * u) + 0.15 * std::sin(6.0 * kPi * u);
        const double hz = lowHz * std::pow(highHz / lowHz, std::clamp(wander, 0.0, 1.0));
        const double w = 2.0 * kPi * hz / kSignalRate, r = 1.0 - w / 10.0;
        state = state * 1664525u + 1013904223u;
        const double x = static_cast<double>(state >> 8) / 8388608.0 - 1.0;
        const double y = x * w + 2.0 * r * std::cos(w) * y1 - r * r * y2;
        y2 = y1;
        y1 = y;
        raw[i] = y * (0.4 + 0.6 * wander);
    }
    QV::media::Signal signal = Empty(seconds);
    for (size_t i = 0; i < n; ++i) {
        double v = raw[i];
        if (i < fade) {
            const double u = static_cast<double>(i) / fade;
            v = raw[i] * std::sqrt(u) + raw[n + i] * std::sqrt(1.0 - u);
        }
        signal.samples[i] = static_cast<float>(v);
    }
    Normalise(signal.samples, amplitude);
    return signal;
}

}  // namespace samplebanks
