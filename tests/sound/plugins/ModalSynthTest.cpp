// Modal synth: a struck mode rings at its frequency and decays by its bandwidth; the mode list
// randomisation works on each instance's own copy; tails, layouts and malformed blocks.
#include <limits>

#include "platform/os/Random.h"
#include "sound/plugins/effects/CSxModalSynth.h"
#include "SxFxTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

constexpr uint32_t kRate = 48000;
using ModalRig = Rig<CSxModalSynth, CSxModalSynthParams>;

struct Mode {
    float frequency, second, bandwidth;
};

Block ModalBlock(std::vector<Mode> modes, float dryDb = -200.0f, float freqShift = 0, float freqRange = 0,
                 float bwShift = 0, float spread = 0, float used = 100, float listLevel = 0) {
    Block b;
    b.F32(dryDb).F32(0).F32(freqShift).F32(freqRange).F32(bwShift).F32(0).F32(spread).F32(used);
    b.U8(1).U8(1).U8(1).F32(listLevel).U16(static_cast<uint16_t>(modes.size()));
    for (const Mode& m : modes) b.F32(m.frequency).F32(m.second).F32(m.bandwidth);
    return b;
}

std::vector<float> StrikeResponse(ModalRig& rig, int buffers) {
    std::vector<float> out;
    for (int i = 0; i < buffers; ++i) {
        Buffer b(0x4);
        if (i == 0) b.Channel(0)[0] = 1.0f;
        rig.effect->Execute(&b.buffer);
        out.insert(out.end(), b.Channel(0), b.Channel(0) + 1024);
    }
    return out;
}

TEST(ModalSynth, AStruckModeRingsAtItsFrequencyAndDecaysByItsBandwidth) {
    struct Case {
        float frequency, bandwidth;
    };
    for (const Case& c : {Case{1000.0f, 10.0f}, Case{440.0f, 5.0f}, Case{3000.0f, 20.0f}}) {
        ModalRig rig(CreateModalSynth, CreateModalSynthParams);
        const Block block = ModalBlock({{c.frequency, 0, c.bandwidth}});
        ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
        const std::vector<float> out = StrikeResponse(rig, 24);
        int crossings = 0;
        for (size_t i = 1; i < 9600; ++i) crossings += (out[i - 1] < 0) != (out[i] < 0);
        EXPECT_NEAR(crossings / 2.0 / 0.2, c.frequency, 0.01 * c.frequency);
        // The envelope falls as e^(-pi bandwidth t).
        const double early = Peak(out.data() + 4800, 960), late = Peak(out.data() + 9600, 960);
        EXPECT_NEAR(ToDb(late / early), ToDb(std::exp(-kPi * c.bandwidth * 0.1)), 0.5) << c.frequency;
    }
}

TEST(ModalSynth, RandomisationShiftsDropsAndRaisesModesOfTheInstanceOnly) {
    ModalRig rig(CreateModalSynth, CreateModalSynthParams);
    const Block block = ModalBlock({{1000, 7, 10}, {15000, 0, 10}, {8, 0, 10}, {2000, 0, 10}}, -200.0f, 100.0f);
    ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
    ASSERT_EQ(qvtest::ModalSynthProbe::ModeCount(*rig.effect), 3u) << "15 kHz an octave up reaches half the rate";
    std::vector<float> frequencies;
    for (uint32_t i = 0; i < 3; ++i) frequencies.push_back(qvtest::ModalSynthProbe::Modes(*rig.effect)[i].frequency);
    EXPECT_FLOAT_EQ(frequencies[0], 2000.0f);
    EXPECT_FLOAT_EQ(frequencies[1], 4000.0f) << "the last mode moved into the dropped one's place";
    EXPECT_FLOAT_EQ(frequencies[2], 20.0f) << "16 Hz is raised to 20 Hz";
    EXPECT_EQ(qvtest::ModalSynthProbe::Modes(*rig.effect)[0].secondValue, 7.0f);
    // The shared parameter object keeps its list: a second instance shifts from the same start.
    EXPECT_EQ(rig.params->modeCount, 4u);
    EXPECT_FLOAT_EQ(rig.params->modes[0].frequency, 1000.0f);
    CSxModalSynth* second = static_cast<CSxModalSynth*>(CreateModalSynth(&rig.allocator));
    SxAudioFormat format = Format(kRate, 0x4);
    ASSERT_EQ(second->Init(&rig.allocator, &rig.context, rig.params, format), SX_Success);
    EXPECT_FLOAT_EQ(qvtest::ModalSynthProbe::Modes(*second)[0].frequency, 2000.0f);
    second->Term(&rig.allocator);
}

TEST(ModalSynth, LevelSpreadPairsAndModesUsed) {
    struct Case {
        uint32_t modes;
        float used;
        uint32_t wantUsed;
        uint32_t wantSpread;
    };
    const Case cases[] = {{8, 100, 8, 4}, {5, 50, 3, 2}, {1, 100, 1, 0}, {2, 100, 2, 2}, {0, 100, 0, 0}};
    for (const Case& c : cases) {
        platform::crt_srand(7);
        std::vector<Mode> modes;
        for (uint32_t i = 0; i < c.modes; ++i) modes.push_back({500.0f + 100.0f * i, 0, 10});
        ModalRig rig(CreateModalSynth, CreateModalSynthParams);
        const Block block = ModalBlock(modes, -200.0f, 0, 0, 0, 6.0f, c.used);
        ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
        EXPECT_EQ(qvtest::ModalSynthProbe::ModesUsed(*rig.effect), c.wantUsed) << c.modes;
        uint32_t spread = 0;
        for (uint32_t i = 0; i < qvtest::ModalSynthProbe::ModeCount(*rig.effect); ++i)
            spread += qvtest::ModalSynthProbe::Modes(*rig.effect)[i].levelOffset != 0.0f;
        EXPECT_EQ(spread, c.wantSpread) << c.modes;
        for (uint32_t i = c.wantSpread; i < qvtest::ModalSynthProbe::ModeCount(*rig.effect); ++i)
            EXPECT_EQ(qvtest::ModalSynthProbe::Modes(*rig.effect)[i].levelOffset, 0.0f);
        if (c.wantSpread) {
            EXPECT_EQ(qvtest::ModalSynthProbe::Modes(*rig.effect)[0].levelOffset,
                      -qvtest::ModalSynthProbe::Modes(*rig.effect)[1].levelOffset);
        }
    }
}

TEST(ModalSynth, RingOutKeepsTheVoiceAliveDownToMinus72Db) {
    ModalRig rig(CreateModalSynth, CreateModalSynthParams);
    const Block block = ModalBlock({{800, 0, 10}});
    ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
    Buffer strike(0x4);
    strike.Channel(0)[0] = 1.0f;
    strike.buffer.validFrames = 10;
    strike.buffer.state = SX_NoMoreData;
    rig.effect->Execute(&strike.buffer);
    EXPECT_EQ(strike.buffer.validFrames, 1024) << "padded with silence";
    EXPECT_EQ(strike.buffer.state, SX_DataReady);
    int buffers = 1;
    double lastLevel = 0.0;
    while (true) {
        Buffer b(0x4);
        b.buffer.validFrames = 0;
        b.buffer.state = SX_NoMoreData;
        rig.effect->Execute(&b.buffer);
        if (b.buffer.state == SX_NoMoreData) {
            lastLevel = ToDb(Rms(b.Channel(0), 1024));
            break;
        }
        ASSERT_LT(++buffers, 200);
    }
    EXPECT_LT(lastLevel, -72.0);
    EXPECT_GT(buffers, 8);  // about 0.26 s to fall by 72 dB

    ModalRig quiet(CreateModalSynth, CreateModalSynthParams);
    ASSERT_EQ(quiet.Start(kRate, 0x4, &block), SX_Success);
    Buffer silent(0x4);
    silent.buffer.state = SX_NoMoreData;
    quiet.effect->Execute(&silent.buffer);
    EXPECT_EQ(silent.buffer.state, SX_NoMoreData) << "nothing rings: the voice ends at once";
}

TEST(ModalSynth, StereoIsRefusedAndMalformedBlocksKeepDefaults) {
    ModalRig stereo(CreateModalSynth, CreateModalSynthParams);
    const Block one = ModalBlock({{500, 0, 10}});
    EXPECT_EQ(stereo.Start(kRate, 0x3, &one), SX_UnsupportedChannelConfig);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Block cut = ModalBlock({{500, 0, 10}, {700, 0, 10}});
    cut.bytes.resize(cut.bytes.size() - 1);
    Block extra = ModalBlock({{500, 0, 10}});
    extra.U8(1);
    for (const Block& block : {cut, extra}) {
        ModalRig rig(CreateModalSynth, CreateModalSynthParams);
        EXPECT_EQ(rig.Start(kRate, 0x4, &block), SX_InvalidParameter);
        EXPECT_EQ(rig.params->modeCount, 0u);
    }
    for (const Block& block : {ModalBlock({{nan, nan, nan}, {inf, inf, inf}}, nan, nan, nan, nan, nan, nan, nan),
                               ModalBlock({{-inf, 0, -inf}, {1000, 0, 0}}, inf, inf, -inf, inf, inf, inf, inf)}) {
        ModalRig rig(CreateModalSynth, CreateModalSynthParams);
        ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
        const std::vector<float> out = StrikeResponse(rig, 3);
        for (float v : out) ASSERT_TRUE(std::isfinite(v));
    }
    CountingAllocator allocator;
    ISxPluginParam* params = CreateModalSynthParams(&allocator);
    params->Init(&allocator, nullptr, 0);
    const float v = 1.0f;
    EXPECT_EQ(params->SetParam(11, &v, 4), SX_InvalidParameter);
    EXPECT_EQ(params->SetParam(0, nullptr, 4), SX_InvalidParameter);
    Block list;
    list.F32(0).U16(2).F32(100).F32(0).F32(3);  // says two modes, holds one
    EXPECT_EQ(params->SetParam(32767, list.Data(), list.Size()), SX_InvalidParameter);
    list.F32(200).F32(0).F32(3);
    EXPECT_EQ(params->SetParam(32767, list.Data(), list.Size()), SX_Success);
    ISxPluginParam* copy = params->Clone(&allocator);
    EXPECT_EQ(static_cast<CSxModalSynthParams*>(copy)->modeCount, 2u);
    copy->Term(&allocator);
    params->Term(&allocator);
    EXPECT_EQ(allocator.live, 0);
}

}  // namespace
}  // namespace fxtest
