#pragma once
// Bank files for the sound system's tests and benchmarks: an "Init.bnk" and a "Game.bnk" whose
// event "Play_Tone" plays a known tone from the bank's media.
#include <string>

#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/hierarchy/SxHircReader.h"
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

}  // namespace soundtest
