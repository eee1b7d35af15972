#pragma once
// What a listener hears in a capture, measured: the notes sounding in short stretches (spectral
// lines at the pitches of equal temperament, standing out of what surrounds them), how often that
// set of notes changes, the balance of the twelve pitch classes, the level of a band of
// frequencies over time, and steady tones (lines that keep their pitch and level for a while).
#include <algorithm>
#include <cmath>
#include <complex>
#include <set>
#include <vector>

#include "tests/app/CapturedSound.h"

namespace qvtest {

// The amplitude spectrum of n frames (a power of two) of both channels' mean from `start`, seen
// through a Hann window: bin k holds the amplitude of a sine at k * rate / n.
inline std::vector<double> Spectrum(const CapturedSound& sound, size_t start, size_t n) {
    const double pi = 3.14159265358979323846;
    std::vector<std::complex<double>> x(n);
    for (size_t i = 0; i < n && start + i < sound.left.size(); ++i)
        x[i] = 0.5 * (sound.left[start + i] + sound.right[start + i]) * (0.5 - 0.5 * std::cos(2.0 * pi * i / n));
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2.0 * pi / len);
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1.0;
            for (size_t k = 0; k < len / 2; ++k, w *= step) {
                const std::complex<double> a = x[i + k], b = x[i + k + len / 2] * w;
                x[i + k] = a + b;
                x[i + k + len / 2] = a - b;
            }
        }
    }
    std::vector<double> amplitude(n / 2);
    for (size_t k = 0; k < n / 2; ++k) amplitude[k] = std::abs(x[k]) * 4.0 / n;
    return amplitude;
}

// A bin stands out as a line when it is a local peak at least this far above the median of the
// bins around it.
constexpr double kLineProminenceDb = 12.0;

inline bool IsLine(const std::vector<double>& spectrum, size_t k) {
    constexpr size_t kAround = 24, kSkirt = 3;
    if (k < kAround || k + kAround >= spectrum.size()) return false;
    if (spectrum[k] < spectrum[k - 1] || spectrum[k] < spectrum[k + 1]) return false;
    std::vector<double> around;
    for (size_t j = k - kAround; j <= k + kAround; ++j)
        if (j + kSkirt < k || j > k + kSkirt) around.push_back(spectrum[j]);
    std::nth_element(around.begin(), around.begin() + around.size() / 2, around.end());
    return Db(spectrum[k] / std::max(around[around.size() / 2], 1e-12)) >= kLineProminenceDb;
}

// MIDI note numbers: 60 is C4, 69 A4 at 440 Hz.
inline double NoteHz(int note) { return 440.0 * std::exp2((note - 69) / 12.0); }

constexpr size_t kNoteWindow = 16384;  // a third of a second at 48 kHz, bins 3 Hz apart

// The notes from `lowest` to `highest` that sound as lines in the window from `start`, at least
// `floorDb` loud and no more than 24 dB under the loudest of them.
inline std::set<int> NotesSounding(const CapturedSound& sound, size_t start, int lowest, int highest,
                                   double floorDb = -50.0) {
    const std::vector<double> spectrum = Spectrum(sound, start, kNoteWindow);
    std::vector<std::pair<int, double>> lines;
    double loudest = 0.0;
    for (int note = lowest; note <= highest; ++note) {
        const auto centre = static_cast<size_t>(std::lround(NoteHz(note) * kNoteWindow / sound.rate));
        for (size_t k = centre - 1; k <= centre + 1; ++k)
            if (IsLine(spectrum, k) && Db(spectrum[k]) >= floorDb) {
                lines.emplace_back(note, spectrum[k]);
                loudest = std::max(loudest, spectrum[k]);
                break;
            }
    }
    std::set<int> notes;
    for (const auto& [note, level] : lines)
        if (Db(level / loudest) >= -24.0) notes.insert(note);
    return notes;
}

// How often the set of notes sounding changes over [from, to), looked at every quarter second.
inline int NoteChanges(const CapturedSound& sound, size_t from, size_t to, int lowest, int highest) {
    int changes = 0;
    std::set<int> before;
    for (size_t start = from; start + kNoteWindow <= to; start += sound.rate / 4) {
        std::set<int> now = NotesSounding(sound, start, lowest, highest);
        if (start != from && now != before) ++changes;
        before = std::move(now);
    }
    return changes;
}

// The share of each pitch class (C, C#, ... B) in the notes from `lowest` to `highest` over
// [from, to): their levels summed, each stretch's loudest note counted whether or not it is a
// line; the shares add up to 1.
inline std::vector<double> PitchClasses(const CapturedSound& sound, size_t from, size_t to, int lowest, int highest) {
    std::vector<double> classes(12, 0.0);
    for (size_t start = from; start + kNoteWindow <= to; start += kNoteWindow / 2) {
        const std::vector<double> spectrum = Spectrum(sound, start, kNoteWindow);
        for (int note = lowest; note <= highest; ++note) {
            const auto centre = static_cast<size_t>(std::lround(NoteHz(note) * kNoteWindow / sound.rate));
            classes[note % 12] += std::max({spectrum[centre - 1], spectrum[centre], spectrum[centre + 1]});
        }
    }
    double total = 0.0;
    for (double c : classes) total += c;
    for (double& c : classes) c /= std::max(total, 1e-12);
    return classes;
}

// How alike two balances of pitch classes are: 1 the same, 0 nothing in common.
inline double Likeness(const std::vector<double>& a, const std::vector<double>& b) {
    double ab = 0.0, aa = 0.0, bb = 0.0;
    for (size_t i = 0; i < a.size(); ++i) ab += a[i] * b[i], aa += a[i] * a[i], bb += b[i] * b[i];
    return ab / std::sqrt(std::max(aa * bb, 1e-24));
}

// The root-mean-square level of both channels over [from, to); 0 for an empty stretch.
inline double Loudness(const CapturedSound& sound, size_t from, size_t to) {
    to = std::min(to, sound.left.size());
    if (to <= from) return 0.0;
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += sound.left[i] * sound.left[i] + sound.right[i] * sound.right[i];
    return std::sqrt(sum / (2.0 * static_cast<double>(to - from)));
}

// The summed amplitude of the bins in [lowHz, highHz) over [from, to), in windows of 4096.
inline double BandLevel(const CapturedSound& sound, size_t from, size_t to, double lowHz, double highHz) {
    constexpr size_t kWindow = 4096;
    double sum = 0.0;
    int windows = 0;
    for (size_t start = from; start + kWindow <= to; start += kWindow, ++windows) {
        const std::vector<double> spectrum = Spectrum(sound, start, kWindow);
        for (size_t k = static_cast<size_t>(lowHz * kWindow / sound.rate); k * sound.rate < highHz * kWindow; ++k)
            sum += spectrum[k] * spectrum[k];
    }
    return windows ? std::sqrt(sum / windows) : 0.0;
}

// The level of the band [lowHz, highHz) in windows of `window` frames that start every quarter
// window from `from` on: the band's rise and fall in time.
inline std::vector<double> BandEnvelope(const CapturedSound& sound, size_t from, size_t to, size_t window, double lowHz,
                                        double highHz) {
    std::vector<double> levels;
    for (size_t start = from; start + window <= to; start += window / 4) {
        const std::vector<double> spectrum = Spectrum(sound, start, window);
        double sum = 0.0;
        for (size_t k = static_cast<size_t>(lowHz * window / sound.rate); k * sound.rate < highHz * window; ++k)
            sum += spectrum[k] * spectrum[k];
        levels.push_back(std::sqrt(sum));
    }
    return levels;
}

struct SteadyTone {
    double hz, seconds, db;
    size_t from;  // the frame where it began
};

// Lines that hold their frequency (within a bin, 6 Hz) and their level (within 6 dB) for more
// than `seconds`, at least `floorDb` loud, in [from, to).
inline std::vector<SteadyTone> SteadyTones(const CapturedSound& sound, size_t from, size_t to, double floorDb,
                                           double seconds) {
    constexpr size_t kWindow = 8192, kHop = 2048;
    // A line followed from window to window: where it was first and last seen, its range of level.
    struct Run {
        size_t bin, first, last;
        double low, high;
    };
    std::vector<SteadyTone> found;
    std::vector<Run> runs;
    const auto report = [&](const Run& run) {
        const double length = double(run.last - run.first + kHop) / sound.rate;
        if (length > seconds)
            found.push_back({double(run.bin) * sound.rate / kWindow, length, Db(run.high), run.first});
    };
    for (size_t start = from; start + kWindow <= to; start += kHop) {
        const std::vector<double> spectrum = Spectrum(sound, start, kWindow);
        std::vector<Run> next;
        for (size_t k = 1; k + 1 < spectrum.size(); ++k) {
            if (Db(spectrum[k]) < floorDb || !IsLine(spectrum, k)) continue;
            const auto held = std::find_if(runs.begin(), runs.end(), [&](const Run& r) {
                return r.bin + 1 >= k && r.bin <= k + 1 &&
                       Db(std::max(r.high, spectrum[k]) / std::min(r.low, spectrum[k])) <= 6.0;
            });
            if (held == runs.end()) {
                next.push_back({k, start, start, spectrum[k], spectrum[k]});
            } else {
                next.push_back(
                    {k, held->first, start, std::min(held->low, spectrum[k]), std::max(held->high, spectrum[k])});
                runs.erase(held);
            }
        }
        for (const Run& ended : runs) report(ended);
        runs = std::move(next);
    }
    for (const Run& run : runs) report(run);
    return found;
}

}  // namespace qvtest
