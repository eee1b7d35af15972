#pragma once
// A bank tree on disk (an "Init.bnk" and a "Game.bnk" whose event "Play_Tone" plays a known
// tone from the bank's media), and a sound engine driven frame by frame on a manual clock with
// the output device's samples captured.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/audio/AudioTestControl.h"
#include "platform/os/Clock.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "support/TempTree.h"
#include "tools/bankwriter/BankFile.h"
#include "tools/bankwriter/BankWriter.h"
#include "tools/mediawriter/MediaWriter.h"

namespace soundtest {

constexpr double kToneHz = 1000.0;
constexpr double kToneAmplitude = 0.5;
constexpr uint32_t kToneFrames = 24000;  // half a second at 48 kHz

inline uint32_t ID(const char* name) { return SX::SoundEngine::GetIDFromString(name); }

inline std::string BankBytes(const bankwriter::BankFile& bank) {
    const bankwriter::Bytes bytes = bankwriter::WriteBank(bank);
    return std::string(bytes.begin(), bytes.end());
}

inline std::string InitBank() {
    bankwriter::BankFile bank;
    bank.id = ID("Init");
    return BankBytes(bank);
}

// "Play_Tone" plays "Tone_Sound", a mono 16-bit tone held in the bank.
inline std::string GameBank(const char* bankName = "Game") {
    namespace bw = bankwriter;
    bw::BankFile bank;
    bank.id = ID(bankName);
    const auto tone = QV::media::Sine(kToneHz, kToneAmplitude, kToneFrames, 48000, 0x4);
    bank.media = {{ID("Tone"), QV::media::Build(tone, QV::media::Encoding::Pcm16)}};
    bw::Source source;
    source.pluginID = 1u << 16 | 1;
    source.mediaID = ID("Tone");
    source.size = static_cast<uint32_t>(bank.media[0].bytes.size());
    bank.records = {
        bw::Record(SX::SxHirc_Sound, bw::SoundBody(ID("Tone_Sound"), source, bw::NodeBase())),
        bw::Record(SX::SxHirc_Action,
                   bw::ActionBody(ID("Play_Tone.play"), 0x0403, ID("Tone_Sound"), {}, {}, bw::PlayParams(4, bank.id))),
        bw::Record(SX::SxHirc_Event, bw::EventBody(ID("Play_Tone"), {ID("Play_Tone.play")})),
    };
    return BankBytes(bank);
}

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
