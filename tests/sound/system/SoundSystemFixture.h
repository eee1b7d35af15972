#pragma once
// What the output device captured, and a known tone found in it; the Manager started on bank
// files in a temporary tree, with frames run on a manual clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os/Clock.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/system/SoundManager.h"
#include "support/TempTree.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/system/SoundSystemBanks.h"

namespace soundtest {

// What the device received: the left and right channels, one float per frame each.
struct Capture {
    std::vector<float> left, right;
};

inline Capture TakeCapture() {
    namespace control = platform::audio::control;
    const std::vector<uint8_t> bytes = control::Captured();
    const uint32_t channels = std::max<uint32_t>(1, control::CapturedFormat().channels);
    Capture c;
    const size_t frames = bytes.size() / 2 / channels;
    c.left.resize(frames);
    c.right.resize(channels > 1 ? frames : 0);
    for (size_t i = 0; i < frames; ++i) {
        int16_t s;
        std::memcpy(&s, &bytes[i * channels * 2], 2);
        c.left[i] = s / 32768.0f;
        if (channels < 2) continue;
        std::memcpy(&s, &bytes[(i * channels + 1) * 2], 2);
        c.right[i] = s / 32768.0f;
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

class ManagerRun : public ::testing::Test {
protected:
    void SetUp() override {
        platform::audio::control::Reset();
        tree.Write("Audio/Init.bnk", InitBank());
        tree.Write("Audio/Game.bnk", GameBank());
    }
    void TearDown() override { platform::audio::control::Reset(); }
    SD::Manager::Settings Settings(const std::string& banks, const std::string& packages = "") {
        return SD::Manager::Settings{tree.Path("Audio/"), banks, packages};
    }
    qvtest::TempTree tree;
};

// The audio thread stopped and its frames run here, on a manual clock.
class ManagerFrames : public ManagerRun {
protected:
    // Frames of about 21 ms rendered on the manual clock, the audio thread's work done here.
    void RunFrames(SD::Manager& manager, int frames) {
        for (int i = 0; i < frames; ++i) {
            manager.Update(0.0214f);
            clock.Advance(0.0214);
            SX::g_pAudioMgr->Perform();
        }
    }
    // Banks unload through the audio thread: it runs again before Term.
    void RestartAudioThread() { ASSERT_EQ(SX::g_pAudioMgr->Start(SX::SxThreadProperties()), SX::SX_Success); }
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
};

}  // namespace soundtest
