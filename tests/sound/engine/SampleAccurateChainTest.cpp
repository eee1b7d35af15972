// A continuous sequence container whose items follow sample-accurately, played from a bank
// through the voices: the items must join end to start on the device, without a gap or a step.
#include "SxVoiceFixture.h"
#include "sound/engine/containers/CSxPlayList.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kSound2 = 200, kMedia2 = 78, kContainer = 50, kBreakEvent = 2000;
constexpr SxUniqueID kSwitch = 60, kSound3 = 300, kMedia3 = 79;

class SampleAccurateChain : public VoiceFixture {
protected:
    // Two sounds in a continuous sequence played loopCount times with the transition mode.
    // One 1 kHz tone cut in two at a crest, not on an output frame: each item ends where the
    // next one's first sample belongs.
    static constexpr uint32_t kWhole = 2 * 64 * 249, kCut = 64 * 249 + 12;
    void LoadMedia() {
        const QV::media::Signal whole = QV::media::Sine(1000.0, 0.5, kWhole, 48000, 0x4);
        QV::media::Signal first = whole, second = whole;
        first.samples.resize(kCut);
        second.samples.assign(whole.samples.begin() + kCut, whole.samples.end());
        g_mediaByID[kMedia] = QV::media::Build(first, QV::media::Encoding::Pcm16);
        g_mediaByID[kMedia2] = QV::media::Build(second, QV::media::Encoding::Pcm16);
    }
    // With a switch item, the second item is a switch container whose list holds the second
    // sound and, after it, a 3 kHz tone of the same length.
    void Load(uint8_t transitionMode, uint16_t loopCount, bool switchItem = false) {
        const SxUniqueID second = switchItem ? kSwitch : kSound2;
        bw::RanSeq sequence;
        sequence.playMode = 1;
        sequence.continuous = true;
        sequence.resetAtEachPlay = true;
        sequence.loopCount = loopCount;
        sequence.transitionMode = transitionMode;
        sequence.children = {kSound, second};
        sequence.playList = {{kSound, CSxPlayList::kDefaultWeight}, {second, CSxPlayList::kDefaultWeight}};
        bw::NodeBase child;
        child.parentID = kContainer;
        bw::NodeBase switchChild;
        switchChild.parentID = kSwitch;
        std::vector<bw::Bytes> records;
        for (const auto& [sound, media] :
             {std::pair{kSound, kMedia}, std::pair{kSound2, kMedia2}, std::pair{kSound3, kMedia3}}) {
            if (sound == kSound3 && !switchItem) continue;
            bw::Source source;
            source.pluginID = 1 << 16 | 1;
            source.mediaID = media;
            source.size = static_cast<uint32_t>(g_mediaByID[media].size());
            records.push_back(bw::Record(
                SxHirc_Sound, bw::SoundBody(sound, source, sound == kSound || !switchItem ? child : switchChild)));
        }
        if (switchItem) {
            bw::Switch container;
            container.defaultSwitch = 1;
            container.children = {kSound2, kSound3};
            container.switches = {{1, {kSound2, kSound3}}};
            records.push_back(bw::Record(SxHirc_Switch, bw::SwitchBody(kSwitch, child, container)));
        }
        records.push_back(bw::Record(SxHirc_RanSeq, bw::RanSeqBody(kContainer, bw::NodeBase(), sequence)));
        records.push_back(
            bw::Record(SxHirc_Action, bw::ActionBody(kEvent + 1, 0x0403, kContainer, {}, {}, bw::PlayParams(4, 0))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(kEvent, {kEvent + 1})));
        records.push_back(bw::Record(SxHirc_Action, bw::ActionBody(kBreakEvent + 1, 0x1C03, kContainer, {}, {}, {})));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(kBreakEvent, {kBreakEvent + 1})));
        const bw::Bytes chunk = bw::HircChunk(records);
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RegisterGameObj(kGameObject);
    }
};

TEST_F(SampleAccurateChain, ItemsJoinEndToStartWithoutAGapOrAStep) {
    struct Case {
        const char* what;
        uint16_t loopCount;
    } cases[] = {
        {"one pass", 1},
        // The tone is whole cycles long, so the second pass joins the first as smoothly.
        {"two passes", 2},
    };
    const double plain = 0.5 * LeftGain(0.0f);
    const double w = 2 * kPi * 1000.0 / 48000.0;
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        LoadMedia();
        Load(4, c.loopCount);
        SxPlayingID id = 0;
        const std::vector<float> left = PlayAndCapture(id, 300);
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
        EXPECT_EQ(qvtest::VoiceProbe::VoiceCount(), 0u) << c.what;
        size_t start = 0;
        while (start < left.size() && left[start] == 0.0f) ++start;
        size_t end = left.size();
        while (end > start && left[end - 1] == 0.0f) --end;
        EXPECT_NEAR(double(end - start), double(c.loopCount) * kWhole, 3.0) << c.what;
        // No sample of silence inside: the longest run of zeros is a zero crossing's.
        size_t longest = 0, run = 0;
        for (size_t i = start; i < end; ++i) {
            run = left[i] == 0.0f ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        EXPECT_LE(longest, 1u) << c.what;
        const Tone tone = Measure(left);
        EXPECT_NEAR(tone.frequency, 1000.0, 2.0) << c.what;
        EXPECT_NEAR(tone.peak, plain, plain * 0.03) << c.what;
        EXPECT_LT(tone.largestStep, plain * w * w * 1.5 + 4.0 / 32768) << c.what << ": no click at a join";
    }
}

// A switch container as the joined item starts only the first child of its list: a second
// one would claim the same join and be heard over it.
TEST_F(SampleAccurateChain, ASwitchItemJoinsWithItsFirstChildOnly) {
    LoadMedia();
    g_mediaByID[kMedia3] = QV::media::Build(
        QV::media::Sine(3000.0, 0.5, static_cast<uint32_t>(kWhole - kCut), 48000, 0x4), QV::media::Encoding::Pcm16);
    Load(4, 1, true);
    SxPlayingID id = 0;
    const std::vector<float> left = PlayAndCapture(id, 300);
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    const double plain = 0.5 * LeftGain(0.0f);
    const Tone tone = Measure(left);
    EXPECT_NEAR(tone.frequency, 1000.0, 2.0);
    EXPECT_NEAR(tone.peak, plain, plain * 0.03);
    EXPECT_EQ(qvtest::VoiceProbe::VoiceCount(), 0u);
}

TEST_F(SampleAccurateChain, ABreakWhileTheNextItemWaitsEndsTheChainAfterTheItemThatPlays) {
    LoadMedia();
    Load(4, 2);
    control::StartCapture();
    const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
    for (int frame = 0; frame < 60; ++frame) {
        if (frame == 5) SoundEngine::PostEvent(kBreakEvent, kGameObject);
        Frame();
    }
    const std::vector<float> left = TakeLeft();
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    EXPECT_EQ(qvtest::VoiceProbe::VoiceCount(), 0u);
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
    size_t start = 0;
    while (start < left.size() && left[start] == 0.0f) ++start;
    size_t end = left.size();
    while (end > start && left[end - 1] == 0.0f) --end;
    EXPECT_NEAR(double(end - start), double(kCut), 3.0) << "the first item alone";
}

}  // namespace
