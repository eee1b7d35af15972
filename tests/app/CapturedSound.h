#pragma once
// The sound output the device captured, as stereo floats, and the level of one frequency in a
// stretch of it: windowed blocks of 16384 frames (about 3 Hz apart at 48 kHz), the amplitude of
// the sine at that frequency averaged over the blocks.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/audio/OutputCapture.h"

namespace qvtest {

struct CapturedSound {
    uint32_t rate = 48000;
    std::vector<float> left, right;

    static CapturedSound Take() {
        namespace control = platform::audio::control;
        CapturedSound sound;
        const std::vector<uint8_t> bytes = control::Captured();
        const uint32_t channels = std::max<uint32_t>(1, control::CapturedFormat().channels);
        sound.rate = control::CapturedFormat().sampleRate ? control::CapturedFormat().sampleRate : 48000;
        const size_t frames = bytes.size() / 2 / channels;
        sound.left.resize(frames);
        sound.right.resize(frames);
        for (size_t i = 0; i < frames; ++i) {
            int16_t l, r;
            std::memcpy(&l, &bytes[i * channels * 2], 2);
            std::memcpy(&r, &bytes[(i * channels + (channels > 1 ? 1 : 0)) * 2], 2);
            sound.left[i] = l / 32768.0f;
            sound.right[i] = r / 32768.0f;
        }
        return sound;
    }
    // A 16-bit PCM WAV file as the game saves it (the format chunk first, then the data); empty
    // when it is not one.
    static CapturedSound FromWav(const std::string& path) {
        CapturedSound sound;
        std::ifstream in(path, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.size() < 44 || std::string(bytes.data(), 4) != "RIFF") return sound;
        uint16_t channels;
        std::memcpy(&channels, &bytes[22], 2);
        std::memcpy(&sound.rate, &bytes[24], 4);
        channels = std::max<uint16_t>(1, channels);
        const size_t frames = (bytes.size() - 44) / 2 / channels;
        for (size_t i = 0; i < frames; ++i) {
            int16_t l, r;
            std::memcpy(&l, &bytes[44 + i * channels * 2], 2);
            std::memcpy(&r, &bytes[44 + (i * channels + (channels > 1 ? 1 : 0)) * 2], 2);
            sound.left.push_back(l / 32768.0f);
            sound.right.push_back(r / 32768.0f);
        }
        return sound;
    }
    // The frame a number of captured bytes reaches.
    static size_t FrameAt(uint64_t bytes) {
        const uint32_t channels = std::max<uint32_t>(1, platform::audio::control::CapturedFormat().channels);
        return static_cast<size_t>(bytes / 2 / channels);
    }

    // Amplitude of a sine at the frequency in `count` frames of one channel from `start`, seen
    // through a Hann window (which halves it, hence the 4 / count).
    double Amplitude(const std::vector<float>& channel, double hz, size_t start, size_t count) const {
        const double pi = 3.14159265358979323846;
        const double k = 2.0 * std::cos(2.0 * pi * hz / rate);
        double s1 = 0.0, s2 = 0.0;
        for (size_t i = 0; i < count; ++i) {
            const double window = 0.5 - 0.5 * std::cos(2.0 * pi * i / (count - 1));
            const double s = channel[start + i] * window + k * s1 - s2;
            s2 = s1;
            s1 = s;
        }
        return std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)) * 4.0 / count;
    }
    // Amplitude of the frequency in [from, to) of one channel; 0 for a stretch under a block.
    double Level(const std::vector<float>& channel, double hz, size_t from, size_t to) const {
        constexpr size_t kBlock = 16384;
        to = std::min(to, channel.size());
        double sum = 0.0;
        int blocks = 0;
        for (size_t start = from; start + kBlock <= to; start += kBlock, ++blocks)
            sum += Amplitude(channel, hz, start, kBlock);
        return blocks ? sum / blocks : 0.0;
    }
    double Level(double hz, size_t from, size_t to) const {
        return 0.5 * (Level(left, hz, from, to) + Level(right, hz, from, to));
    }
    // The level of the frequency (both channels) in short windows that start every quarter
    // window from `from` on: the frequency's rise and fall in time.
    std::vector<double> Envelope(double hz, size_t from, size_t to, size_t window) const {
        std::vector<double> levels;
        to = std::min(to, left.size());
        for (size_t start = from; start + window <= to; start += window / 4)
            levels.push_back(0.5 * (Amplitude(left, hz, start, window) + Amplitude(right, hz, start, window)));
        return levels;
    }
    float Peak() const {
        float peak = 0.0f;
        for (const std::vector<float>* channel : {&left, &right})
            for (float v : *channel) peak = std::max(peak, std::fabs(v));
        return peak;
    }
};

inline double Db(double ratio) { return 20.0 * std::log10(std::max(ratio, 1e-9)); }

}  // namespace qvtest
