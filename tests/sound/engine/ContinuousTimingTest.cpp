// A continuous sequence heard at the output: a trigger rate starts each item exactly its rate
// after the one before, to the sample; a chain paused from its start holds the items that wait
// until it is resumed, and one paused between items starts its next item paused.
#include "SxVoiceFixture.h"
#include "sound/engine/containers/CSxPlayList.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kContainer = 50, kPlay = 2000;

class ContinuousTiming : public VoiceFixture {
protected:
    // Three 20 ms tones in a continuous sequence with the given transition.
    void Load(uint8_t transitionMode, float transitionMs) {
        LoadChain({1, 2, 3}, {}, transitionMode, transitionMs, 960);
    }
    // Sounds 1 and 3 of 20 ms and sound 2 of the given length, the further records (containers
    // of them), then the continuous sequence of the items.
    void LoadChain(const std::vector<SxUniqueID>& items, const std::vector<bw::Bytes>& containers,
                   uint8_t transitionMode, float transitionMs, uint32_t secondSamples) {
        const SxUniqueID shortTone = kMedia, longTone = kMedia + 1;
        g_mediaByID[shortTone] =
            QV::media::Build(QV::media::Sine(1000.0, 0.5, 960, 48000, 0x4), QV::media::Encoding::Pcm16);
        g_mediaByID[longTone] =
            QV::media::Build(QV::media::Sine(1000.0, 0.5, secondSamples, 48000, 0x4), QV::media::Encoding::Pcm16);
        bw::RanSeq sequence;
        sequence.playMode = 1;
        sequence.continuous = true;
        sequence.resetAtEachPlay = true;
        sequence.transitionMode = transitionMode;
        sequence.transitionMs = transitionMs;
        std::vector<bw::Bytes> records;
        for (SxUniqueID id = 1; id <= 3; ++id) {
            bw::Source source;
            source.pluginID = 1 << 16 | 1;
            source.mediaID = id == 2 ? longTone : shortTone;
            source.size = static_cast<uint32_t>(g_mediaByID[source.mediaID].size());
            records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(id, source, bw::NodeBase())));
        }
        records.insert(records.end(), containers.begin(), containers.end());
        for (SxUniqueID id : items) {
            sequence.children.push_back(id);
            sequence.playList.push_back({id, CSxPlayList::kDefaultWeight});
        }
        records.push_back(bw::Record(SxHirc_RanSeq, bw::RanSeqBody(kContainer, bw::NodeBase(), sequence)));
        records.push_back(
            bw::Record(SxHirc_Action, bw::ActionBody(kPlay + 1, 0x0403, kContainer, {}, {}, bw::PlayParams(4, 0))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(kPlay, {kPlay + 1})));
        const bw::Bytes chunk = bw::HircChunk(records);
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RegisterGameObj(kGameObject);
    }
    // The first sample of each tone: a sample that sounds after at least 10 ms of silence.
    static std::vector<size_t> Onsets(const std::vector<float>& x) {
        std::vector<size_t> onsets;
        size_t silent = 480;
        for (size_t i = 0; i < x.size(); ++i) {
            if (x[i] == 0.0f) {
                ++silent;
                continue;
            }
            if (silent >= 480) onsets.push_back(i - 1);
            silent = 0;
        }
        return onsets;
    }
};

TEST_F(ContinuousTiming, ATriggerRateStartsEachItemItsRateAfterTheOneBefore) {
    for (const float rateMs : {100.0f, 37.5f, 250.0f}) {
        TearDown();
        SetUp();
        Load(5, rateMs);
        control::StartCapture();
        SoundEngine::PostEvent(kPlay, kGameObject);
        for (int frame = 0; frame < 60; ++frame) Frame();
        const std::vector<size_t> onsets = Onsets(TakeLeft());
        ASSERT_EQ(onsets.size(), 3u) << rateMs;
        const size_t rate = static_cast<size_t>(rateMs * 48.0f + 0.5f);
        EXPECT_EQ(onsets[1] - onsets[0], rate) << rateMs;
        EXPECT_EQ(onsets[2] - onsets[1], rate) << rateMs;
    }
}

TEST_F(ContinuousTiming, AChainPausedFromItsStartHoldsItsNextItemsUntilResumed) {
    // Paused as it is posted, the first item starts paused and so does the wait for the second:
    // nothing is heard until the resume, then the items follow at their rate.
    Load(5, 200.0f);
    control::StartCapture();
    SoundEngine::PostEvent(kPlay, kGameObject);
    SoundEngine::ExecuteActionOnEvent(kPlay, SxActionOnEvent_Pause, kGameObject);
    for (int frame = 0; frame < 30; ++frame) Frame();
    const size_t resumedAt = control::Captured().size() / 4;
    SoundEngine::ExecuteActionOnEvent(kPlay, SxActionOnEvent_Resume, kGameObject);
    for (int frame = 0; frame < 60; ++frame) Frame();
    const std::vector<size_t> onsets = Onsets(TakeLeft());
    ASSERT_EQ(onsets.size(), 3u);
    EXPECT_GE(onsets[0], resumedAt) << "nothing is heard while the chain is paused";
    EXPECT_EQ(onsets[1] - onsets[0], 9600u);
    EXPECT_EQ(onsets[2] - onsets[1], 9600u);
}

TEST_F(ContinuousTiming, AChainPausedBetweenItemsStartsItsNextItemPausedAndResumesItToTheSample) {
    // Unpaused, each tone starts with the frame after the one before ends.
    constexpr size_t kFrame = 1024;
    Load(0, 0.0f);
    control::StartCapture();
    SoundEngine::PostEvent(kPlay, kGameObject);
    for (int frame = 0; frame < 20; ++frame) Frame();
    const std::vector<float> reference = TakeLeft();
    ASSERT_EQ(PeakOf(reference, 960, kFrame), 0.0);
    ASSERT_GT(PeakOf(reference, kFrame, 2 * kFrame), 0.1);
    // The pause, posted while tone k plays, fades out over 50 ms: tone k ends under it, and the
    // next is due while the chain is paused.
    for (size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        TearDown();
        SetUp();
        Load(0, 0.0f);
        control::StartCapture();
        SoundEngine::PostEvent(kPlay, kGameObject);
        for (size_t frame = 0; frame < k; ++frame) Frame();
        SoundEngine::ExecuteActionOnEvent(kPlay, SxActionOnEvent_Pause, kGameObject, 50);
        for (int frame = 0; frame < 30; ++frame) Frame();
        EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 1u) << "the next tone waits, paused";
        const size_t resumedAt = control::Captured().size() / 4;
        SoundEngine::ExecuteActionOnEvent(kPlay, SxActionOnEvent_Resume, kGameObject);
        for (int frame = 0; frame < 30; ++frame) Frame();
        const std::vector<float> x = TakeLeft();
        EXPECT_EQ(PeakOf(x, k * kFrame + 960, resumedAt), 0.0) << "nothing is heard from tone k's end to the resume";
        // From the resume on, the tones left as they sound unpaused, sample for sample.
        const size_t left = (3 - k) * kFrame;
        size_t differing = 0;
        for (size_t i = 0; i < left; ++i)
            if (x[resumedAt + i] != reference[(k + 1) * kFrame + i]) ++differing;
        EXPECT_EQ(differing, 0u);
        EXPECT_EQ(PeakOf(x, resumedAt + left, x.size()), 0.0);
    }
}

TEST_F(ContinuousTiming, ATriggerRatePausedBetweenItemsKeepsItsRateToTheSampleAfterTheResume) {
    // Paused 3 frames after the first tone starts, for 30 frames: the second tone's wait runs
    // on after the resume, so it starts its rate plus the 30 frames after the first.
    Load(5, 200.0f);
    control::StartCapture();
    SoundEngine::PostEvent(kPlay, kGameObject);
    for (int frame = 0; frame < 3; ++frame) Frame();
    SoundEngine::ExecuteActionOnEvent(kPlay, SxActionOnEvent_Pause, kGameObject);
    for (int frame = 0; frame < 30; ++frame) Frame();
    SoundEngine::ExecuteActionOnEvent(kPlay, SxActionOnEvent_Resume, kGameObject);
    for (int frame = 0; frame < 60; ++frame) Frame();
    const std::vector<size_t> onsets = Onsets(TakeLeft());
    ASSERT_EQ(onsets.size(), 3u);
    EXPECT_EQ(onsets[1] - onsets[0], 9600u + 30 * 1024);
    EXPECT_EQ(onsets[2] - onsets[1], 9600u);
}

TEST_F(ContinuousTiming, AChainGoesOnAfterTheLastChildOfALayerContainerUnlessAFollowingSwitchHoldsIt) {
    // Sounds 1 (20 ms) and 2 (60 ms) played at once by container 60, then sound 3, 100 ms after
    // the item before: sound 3 follows the longer of the two as it follows sound 2 alone.
    auto capture = [this](const std::vector<SxUniqueID>& items, const std::vector<bw::Bytes>& containers) {
        TearDown();
        SetUp();
        LoadChain(items, containers, 3, 100.0f, 2880);
        control::StartCapture();
        SoundEngine::PostEvent(kPlay, kGameObject);
        for (int frame = 0; frame < 40; ++frame) Frame();
        return Onsets(TakeLeft());
    };
    const std::vector<size_t> alone = capture({2, 3}, {});
    ASSERT_EQ(alone.size(), 2u);
    const std::vector<size_t> layered =
        capture({60, 3}, {bw::Record(SxHirc_Layer, bw::LayerContainerBody(60, bw::NodeBase(), {1, 2}, {}))});
    ASSERT_EQ(layered.size(), 2u);
    EXPECT_EQ(layered[1] - layered[0], alone[1] - alone[0]);
    bw::Switch sw;
    sw.groupID = 0x20;
    sw.defaultSwitch = 0x21;
    sw.continuousValidation = true;
    sw.children = {1, 2};
    sw.switches = {{0x21, {1, 2}}};
    const std::vector<size_t> held =
        capture({60, 3}, {bw::Record(SxHirc_Switch, bw::SwitchBody(60, bw::NodeBase(), sw))});
    EXPECT_EQ(held.size(), 1u) << "the chain waits at the following switch container";
    sw.continuousValidation = false;
    const std::vector<size_t> switched =
        capture({60, 3}, {bw::Record(SxHirc_Switch, bw::SwitchBody(60, bw::NodeBase(), sw))});
    ASSERT_EQ(switched.size(), 2u);
    EXPECT_EQ(switched[1] - switched[0], alone[1] - alone[0]);
}

}  // namespace
