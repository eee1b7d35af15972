// Builds, from the input, a continuous chain whose items are sounds, an inner chain, a switch
// container (following its group or not) and a layer container, with the transitions, loop
// counts and children the bytes choose; loads it into the running sound system, posts it and
// drives it with pauses, resumes, switch changes, stops and breaks of its levels while the
// audio frames run; then stops everything and unloads the bank.
#include <cstddef>
#include <cstdint>

#include "fuzz/sound/system/SoundSystemFuzz.h"
#include "tools/mediawriter/MediaWriter.h"

namespace {

namespace bw = bankwriter;

constexpr SX::SxBankID kChainBankID = 0x5EED0003;
constexpr uint32_t kGroup = 0x5EED0500, kA = kGroup + 1, kB = kGroup + 2;
constexpr SX::SxUniqueID kInner = 40, kOuter = 50, kSwitch = 60, kLayer = 70;
constexpr SX::SxUniqueID kPlay = 100, kStopFirst = 101;

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    bool Left() const { return at_ < size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

bw::RanSeq Chain(Input& in, const std::vector<uint32_t>& items) {
    bw::RanSeq c;
    const uint8_t mode = in.Byte();
    c.playMode = mode & 1;
    c.continuous = true;
    c.resetAtEachPlay = (mode & 2) != 0;
    c.restartBackward = (mode & 4) != 0;
    c.loopCount = static_cast<uint16_t>(in.Byte() % 4);
    c.transitionMode = in.Byte() % 6;
    c.transitionMs = static_cast<float>(in.Byte()) * 4.0f;
    for (uint32_t id : items) {
        c.children.push_back(id);
        c.playList.push_back({id, 50000});
    }
    return c;
}

// Up to count distinct children among the candidates, as the bytes pick them.
std::vector<uint32_t> Pick(Input& in, std::initializer_list<uint32_t> candidates, size_t count) {
    std::vector<uint32_t> picked;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t id = *(candidates.begin() + in.Byte() % candidates.size());
        if (std::find(picked.begin(), picked.end(), id) == picked.end()) picked.push_back(id);
    }
    return picked;
}

bw::Bytes ChainBank(Input& in) {
    bw::BankFile bank;
    bank.id = kChainBankID;
    // Sounds 1 and 3 of 20 ms, 2 and 4 of 100 ms, looped as the bytes say.
    for (uint32_t media = 1; media <= 2; ++media) {
        const QV::media::Signal tone = QV::media::Sine(440.0 * media, 0.5, media == 1 ? 960 : 4800, 48000, 0x4);
        bank.media.push_back({0x5EED0600 + media, QV::media::Build(tone, QV::media::Encoding::Pcm16)});
    }
    for (uint32_t sound = 1; sound <= 4; ++sound) {
        bw::Source source;
        source.pluginID = 1 << 16 | 1;
        source.mediaID = 0x5EED0600 + (sound % 2 ? 1 : 2);
        source.size = static_cast<uint32_t>(bank.media[sound % 2 ? 0 : 1].bytes.size());
        bw::NodeBase node;
        node.props = {bw::PropI(SX::SxProp_LoopCount, in.Byte() % 3 == 0 ? 2 : 1)};
        bank.records.push_back(bw::Record(SX::SxHirc_Sound, bw::SoundBody(sound, source, node)));
    }
    bank.records.push_back(
        bw::Record(SX::SxHirc_RanSeq, bw::RanSeqBody(kInner, bw::NodeBase(), Chain(in, Pick(in, {1, 2, 3, 4}, 3)))));
    bw::Switch sw;
    sw.groupID = kGroup;
    sw.defaultSwitch = kA;
    sw.continuousValidation = (in.Byte() & 1) != 0;
    const std::vector<uint32_t> a = Pick(in, {1, 2, kInner}, 2), b = Pick(in, {3, 4, kInner}, 2);
    sw.switches = {{kA, a}, {kB, b}};
    for (uint32_t id : a) sw.children.push_back(id);
    for (uint32_t id : b)
        if (std::find(a.begin(), a.end(), id) == a.end()) sw.children.push_back(id);
    const bool switchHoldsInner = std::find(sw.children.begin(), sw.children.end(), kInner) != sw.children.end();
    bank.records.push_back(bw::Record(SX::SxHirc_Switch, bw::SwitchBody(kSwitch, bw::NodeBase(), sw)));
    // The inner chain has one parent: the layer container takes it only when the switch does not.
    const std::vector<uint32_t> layers =
        switchHoldsInner ? Pick(in, {1, 2, 3, 4}, 3) : Pick(in, {1, 2, 3, 4, kInner}, 3);
    bank.records.push_back(bw::Record(SX::SxHirc_Layer, bw::LayerContainerBody(kLayer, bw::NodeBase(), layers, {})));
    const std::vector<uint32_t> items = Pick(in, {1, 2, 3, 4, kSwitch, kLayer}, 4);
    bank.records.push_back(bw::Record(SX::SxHirc_RanSeq, bw::RanSeqBody(kOuter, bw::NodeBase(), Chain(in, items))));
    const bw::Bytes play = bw::ActionBody(kPlay + 1000, 0x0403, kOuter, {}, {}, bw::PlayParams(4, bank.id));
    bank.records.push_back(bw::Record(SX::SxHirc_Action, play));
    bank.records.push_back(bw::Record(SX::SxHirc_Event, bw::EventBody(kPlay, {kPlay + 1000})));
    // Events 101 to 104 stop the inner chain, the switch and layer containers and the outer chain.
    SX::SxUniqueID event = kStopFirst;
    for (SX::SxUniqueID target : {kInner, kSwitch, kLayer, kOuter}) {
        const bw::Bytes stop = bw::ActionBody(event + 1000, 0x0103, target, {}, {}, bw::ActiveParams(4, {}));
        bank.records.push_back(bw::Record(SX::SxHirc_Action, stop));
        bank.records.push_back(bw::Record(SX::SxHirc_Event, bw::EventBody(event, {event + 1000})));
        ++event;
    }
    return bw::WriteBank(bank);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Never destroyed: the sound system would end after the statics it uses at exit.
    static fuzzsound::System& system = *new fuzzsound::System;
    if (!system.Started() || size > 4096) return 0;
    Input in(data, size);
    const bw::Bytes bank = ChainBank(in);
    const SX::SxGameObjectID object = SD::kDefaultSoundObject;
    system.WithMemoryBank(bank, [&] {
        SX::SoundEngine::SetSwitch(kGroup, kA, object);
        SX::SoundEngine::PostEvent(kPlay, object);
        for (int steps = 0; in.Left() && steps < 64; ++steps) {
            const uint8_t op = in.Byte(), arg = in.Byte();
            switch (op % 8) {
                case 0:
                    system.Frames(1 + arg % 8);
                    break;
                case 1:
                    SX::SoundEngine::ExecuteActionOnEvent(kPlay, SX::SxActionOnEvent_Pause, object, arg * 2);
                    break;
                case 2:
                    SX::SoundEngine::ExecuteActionOnEvent(kPlay, SX::SxActionOnEvent_Resume, object, arg % 2 * 50);
                    break;
                case 3:
                    SX::SoundEngine::SetSwitch(kGroup, arg % 2 ? kA : kB, object);
                    break;
                case 4:
                    SX::SoundEngine::PostEvent(kStopFirst + arg % 4, object);
                    break;
                case 5:
                    SX::SoundEngine::ExecuteActionOnEvent(kPlay, SX::SxActionOnEvent_Break, object);
                    break;
                case 6:
                    SX::SoundEngine::PostEvent(kPlay, object);
                    break;
                default:
                    system.Frames(20);
                    break;
            }
        }
        system.Frames(8);
        SX::SoundEngine::StopAll();
        system.Frames(4);
    });
    return 0;
}
