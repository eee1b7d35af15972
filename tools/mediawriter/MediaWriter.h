#pragma once
// Builds the engine's media files: RIFF/WAVE with the format chunk first, then cue points,
// their labels, the sampler loop, and the data last. Samples are 16-bit PCM, 32-bit float PCM
// or the engine's ADPCM, one to six channels.
#include <cstdint>
#include <string>
#include <vector>

namespace QV {
namespace media {

enum class Encoding { Pcm16, Float32, Adpcm };

struct Cue {
    uint32_t id = 0;
    uint32_t position = 0;  // frames
    std::string label;      // none when empty
};

struct Signal {
    uint32_t sampleRate = 48000;
    uint32_t channelMask = 0x4;  // centre for mono; 0x3 stereo, 0x3F 5.1
    std::vector<float> samples;  // interleaved frames, full scale +-1
    std::vector<Cue> cues;
    bool loop = false;
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;  // inclusive
};

// The channel mask the engine expects for a channel count: 1 centre, 2 stereo, 3 L R C,
// 4 quad, 5 L R C SL SR, 6 5.1. Zero past six.
uint32_t DefaultChannelMask(uint32_t channels);

// The media bytes. ADPCM pads the last block with silence.
std::vector<uint8_t> Build(const Signal& signal, Encoding encoding);

// Writes through a temporary file; false when it cannot be written.
bool Write(const std::string& path, const Signal& signal, Encoding encoding);

// Generated signals, interleaved with the same value on every channel.
Signal Sine(double frequency, double amplitude, uint32_t frames, uint32_t sampleRate, uint32_t channelMask);

// Reads a plain WAV file (integer PCM 8/16/24/32 bits or 32-bit float, up to six channels).
// False, with why in error, when it cannot.
bool ReadWav(const std::string& path, Signal& signal, std::string& error);

}  // namespace media
}  // namespace QV
