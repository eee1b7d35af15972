// A bus limits how many sounds play through it: four posts of a tone in one frame through a bus
// that allows two, heard at the output (two tones in phase) and seen in which events end at once.
#include <algorithm>

#include "SxVoiceFixture.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kMaster = 1, kBus = 2;

struct Limit {
    uint16_t max = 0;
    bool killNewest = false, useVirtual = false, own = false;
};

class BusInstanceLimit : public VoiceFixture {
protected:
    // The sound plays through the bus, which lies below the master bus.
    void Load(const Limit& master, const Limit& bus, uint8_t belowThresholdBehavior) {
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.1, 48000, 48000, 0x4), QV::media::Encoding::Pcm16);
        auto busOf = [](const Limit& limit, SxUniqueID parent) {
            bw::Bus b;
            b.parentBusID = parent;
            b.maxInstances = limit.max;
            b.killNewest = limit.killNewest;
            b.useVirtualBehavior = limit.useVirtual;
            b.ownInstanceLimit = limit.own;
            return b;
        };
        bw::NodeBase node;
        node.busID = kBus;
        node.advanced.belowThresholdBehavior = belowThresholdBehavior;
        bw::Source source;
        source.pluginID = 1 << 16 | 1;
        source.mediaID = kMedia;
        source.size = static_cast<uint32_t>(g_media.size());
        const bw::Bytes chunk = bw::HircChunk({
            bw::Record(SxHirc_Bus, bw::BusBody(kMaster, busOf(master, 0))),
            bw::Record(SxHirc_Bus, bw::BusBody(kBus, busOf(bus, kMaster))),
            bw::Record(SxHirc_Sound, bw::SoundBody(kSound, source, node)),
            bw::Record(SxHirc_Action, bw::ActionBody(kEvent + 1, 0x0403, kSound, {}, {}, bw::PlayParams(4, 0))),
            bw::Record(SxHirc_Event, bw::EventBody(kEvent, {kEvent + 1})),
        });
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RegisterGameObj(kGameObject);
    }
};

TEST_F(BusInstanceLimit, TwoOfFourPlayByTheBussKillRule) {
    struct Case {
        const char* what;
        Limit master, bus;
        uint8_t belowThreshold;
        std::vector<int> endAtOnce;  // which posts (0-3) end in the first frames
        int heard;                   // tones heard together
    } cases[] = {
        {"the top bus refuses the newest", {2, true}, {}, 0, {2, 3}, 2},
        {"the top bus stops the oldest", {2, false}, {}, 0, {0, 1}, 2},
        {"the top bus sends the newest to virtual", {2, true, true}, {}, 2, {}, 2},
        {"a bus of its own limit counts alone", {2, true}, {3, true, false, true}, 0, {3}, 3},
        {"a bus without its own limit leaves it to the top", {3, true}, {2, true}, 0, {3}, 3},
        {"no limit", {}, {}, 0, {}, 4},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        Load(c.master, c.bus, c.belowThreshold);
        control::StartCapture();
        SxPlayingID ids[4];
        for (SxPlayingID& id : ids) id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
        for (int frame = 0; frame < 12; ++frame) Frame();
        std::vector<SxPlayingID> endedAtOnce = g_ended, expected;
        for (int i : c.endAtOnce) expected.push_back(ids[i]);
        std::sort(endedAtOnce.begin(), endedAtOnce.end());
        EXPECT_EQ(endedAtOnce, expected) << c.what;
        EXPECT_EQ(qvtest::VoiceProbe::VoiceCount(), uint32_t(4 - c.endAtOnce.size())) << c.what;
        const std::vector<float> left = TakeLeft();
        const double one = 0.1 * LeftGain(0.0f);
        // Past the first frames, where a voice sent to virtual fades out.
        EXPECT_NEAR(PeakOf(left, 4 * 1024, left.size()), one * c.heard, one * 0.05) << c.what;
        SoundEngine::StopAll();
        Frame();
    }
}

}  // namespace
