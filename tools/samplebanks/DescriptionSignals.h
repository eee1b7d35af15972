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

}  // namespace samplebanks
