#pragma once
// The generated sounds of the sample banks: mono signals at 24 kHz, each ending in silence so
// that a looped one joins without a click.
#include <cstdint>
#include <vector>

#include "tools/mediawriter/MediaWriter.h"

namespace samplebanks {

constexpr uint32_t kSignalRate = 24000;

// Sines of the given frequencies summed to the peak amplitude, faded in and out over 20 ms.
QV::media::Signal Chord(const std::vector<double>& hz, double seconds, double amplitude);
// A spoken-length phrase: syllables of 180 ms with 70 ms pauses, the pitch rising and falling
// around hz, each syllable's own envelope.
QV::media::Signal Phrase(double hz, unsigned syllables, double amplitude);
// Noise through a two-pole resonator at hz (q about 4), seeded so it is the same every run; its
// level swells once over the length.
QV::media::Signal Noise(double hz, double seconds, double amplitude, uint32_t seed);

// The timbres a line of notes is played in: a plucked string, a small bell, a bowed pad, a
// round bass, a flute and a reed, each with the envelope of its kind.
enum class Voice { Pluck, Bell, Pad, Bass, Flute, Reed };
struct Note {
    std::vector<double> hz;  // sounding together; none for a rest
    double beats = 1.0;
};
// The notes one after the other at the tempo, over a stem of the given length in beats (what
// rings past its end is faded out there).
QV::media::Signal Notes(Voice voice, double bpm, double beats, const std::vector<Note>& notes, double amplitude);
// One call of a bird or an insect: sweeps from one pitch to another, 30 ms apart, each with
// a soft rise and fall and a faint octave above.
struct Sweep {
    double fromHz, toHz, ms;
};
QV::media::Signal Chirps(const std::vector<Sweep>& sweeps, double amplitude);
// Wind howling: noise through a resonator whose pitch wanders between low and high and back
// over the length, its level with it; the end runs into the start, so it loops seamlessly.
QV::media::Signal Howl(double lowHz, double highHz, double seconds, double amplitude, uint32_t seed);

}  // namespace samplebanks
