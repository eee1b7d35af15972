#pragma once
// What the output device captured, and a known tone found in it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/audio/AudioTestControl.h"
#include "platform/os/Clock.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "support/TempTree.h"
#include "tests/sound/system/SoundSystemBanks.h"

namespace soundtest {

// What the device received: the left channel, one float per frame.
struct Capture {
    std::vector<float> left;
};

inline Capture TakeCapture() {
    namespace control = platform::audio::control;
    const std::vector<uint8_t> bytes = control::Captured();
    const uint32_t channels = std::max<uint32_t>(1, control::CapturedFormat().channels);
    Capture c;
    c.left.resize(bytes.size() / 2 / channels);
    for (size_t i = 0; i < c.left.size(); ++i) {
        int16_t s;
        std::memcpy(&s, &bytes[i * channels * 2], 2);
        c.left[i] = s / 32768.0f;
    }
    return c;
}

// Where a sound is: the first and last frames above a tenth of the peak, the peak, and the
// frequency from the zero crossings in between.
struct Heard {
    size_t first = 0, last = 0;
    double peak = 0.0, frequency = 0.0;
};

inline Heard Listen(const std::vector<float>& x) {
    Heard h;
    for (float v : x) h.peak = std::max<double>(h.peak, std::fabs(v));
    if (h.peak == 0.0) return h;
    bool found = false;
    for (size_t i = 0; i < x.size(); ++i)
        if (std::fabs(x[i]) > 0.1 * h.peak) {
            if (!found) h.first = i;
            found = true;
            h.last = i;
        }
    size_t crossings = 0;
    for (size_t i = h.first + 1; i <= h.last; ++i)
        if ((x[i - 1] < 0.0f) != (x[i] < 0.0f)) ++crossings;
    if (h.last > h.first) h.frequency = crossings / 2.0 / ((h.last - h.first) / 48000.0);
    return h;
}

}  // namespace soundtest
