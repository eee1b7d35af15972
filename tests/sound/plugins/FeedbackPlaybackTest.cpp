// Feedback nodes and feedback sends heard on the pad: events of writer-made banks posted on an
// engine with a rumble pad for player 0, the pad's recorded motor speeds measured, and the
// loudspeakers checked for what must not reach them.
#include "platform/pad/Pad.h"
#include "sound/engine/hierarchy/CSxFeedbackNode.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/motion/RumbleMixBus.h"
#include "sound/plugins/motion/SxMotionPluginsRegistry.h"
#include "tests/sound/engine/SxNodeProbes.h"
#include "tests/sound/engine/SxVoiceFixture.h"

namespace {

using namespace sxtest;
using platform::PadVibration;

constexpr SxUniqueID kFeedback = 300, kFeedbackEvent = 3000, kStopEvent = 4000;

// A motion generator block: one pass of 0.5 s holding the left motor at `left` and the right
// at `right`.
bw::Bytes ConstantMotion(float left, float right) {
    bw::Writer w;
    w.F32(1.0f).F32(0.5f).F32(0.0f).F32(0).F32(0).F32(0).F32(0).F32(0).U16(0).U16(2);
    for (float level : {left, right}) w.U16(1).F32(0.0f).F32(level).U32(SxCurve_Linear);
    return w.Take();
}

bw::FeedbackSource PadSource(uint16_t deviceID, float offsetDb, float left = 0.9f, float right = 0.6f) {
    bw::FeedbackSource source;
    source.companyID = 0;
    source.deviceID = deviceID;
    source.volumeOffset = offsetDb;
    source.source.pluginID = SxPluginKey(SxPluginType_MotionSource, 0, kMotionGeneratorPluginID);
    source.source.streamType = 1;
    source.source.pluginParams = ConstantMotion(left, right);
    return source;
}

class FeedbackPlayback : public VoiceFixture {
protected:
    void SetUp() override {
        platform::ResetPads();
        platform::ConnectPad(0);
        VoiceFixture::SetUp();
        SxPluginTable::Clear();
        ASSERT_EQ(RegisterMotionPlugins(), SX_Success);
        ASSERT_EQ(SoundEngine::SetListenerPipeline(0, true, true), SX_Success);
        ASSERT_EQ(MotionEngine::AddPlayerMotionDevice(0, 0, kRumbleDeviceID, nullptr), SX_Success);
        Frame();
        platform::Lock lock(g_csMain);
        ASSERT_NE(CSxMotionDeviceMgr::Active(), nullptr);
    }
    void TearDown() override {
        VoiceFixture::TearDown();
        SxPluginTable::Clear();
        platform::ResetPads();
    }
    void LoadFeedback(const std::vector<bw::FeedbackSource>& sources, const bw::NodeBase& node = {},
                      std::vector<bw::Bytes> records = {}) {
        std::vector<bw::Bytes> own = {
            bw::Record(SxHirc_FeedbackNode, bw::FeedbackNodeBody(kFeedback, sources, node)),
            bw::Record(SxHirc_Action,
                       bw::ActionBody(kFeedbackEvent + 1, 0x0403, kFeedback, {}, {}, bw::PlayParams(4, 0))),
            bw::Record(SxHirc_Event, bw::EventBody(kFeedbackEvent, {kFeedbackEvent + 1})),
            bw::Record(SxHirc_Action,
                       bw::ActionBody(kStopEvent + 1, 0x0103, kFeedback, {}, {}, bw::ActiveParams(4, {}))),
            bw::Record(SxHirc_Event, bw::EventBody(kStopEvent, {kStopEvent + 1})),
        };
        records.insert(records.end(), own.begin(), own.end());
        const bw::Bytes chunk = bw::HircChunk(records);
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RegisterGameObj(kGameObject);
    }
    // Frames until the event ends and the pad is at rest again (the device sends one pair of
    // speeds a frame, only when they change); the speeds that were not at rest.
    std::vector<PadVibration> Play(SxUniqueID event, SxPlayingID& id) {
        control::StartCapture();
        id = SoundEngine::PostEvent(event, kGameObject, SxCallback_EndOfEvent, OnEvent, nullptr, 0, nullptr);
        for (uint32_t frame = 0; frame < 300; ++frame) {
            Frame();
            const std::vector<PadVibration> sent = platform::RecordedVibrations(0);
            if (!g_ended.empty() && (sent.empty() || sent.back() == PadVibration{})) break;
        }
        std::vector<PadVibration> moving;
        for (const PadVibration& v : platform::RecordedVibrations(0))
            if (!(v == PadVibration{})) moving.push_back(v);
        return moving;
    }
    static float Loudest(const std::vector<float>& samples) {
        float loudest = 0.0f;
        for (float s : samples) loudest = std::max(loudest, std::fabs(s));
        return loudest;
    }
};

TEST_F(FeedbackPlayback, AFeedbackNodeDrivesThePadAtItsLevelsAndNotTheLoudspeakers) {
    struct Case {
        const char* what;
        float offsetDb;
        std::vector<bw::Prop> props;
        float gain;
        float motionBusDb = 0.0f;  // the master motion bus's volume, with a child bus below it
    } cases[] = {
        {"plain", 0.0f, {}, 1.0f},
        {"the master motion bus", 0.0f, {}, 0.5f, -6.0206f},
        {"the source's offset", -6.0206f, {}, 0.5f},
        {"the offset and the node's feedback volume", -6.0206f, {bw::PropF(SxProp_FeedbackVolume, -6.0206f)}, 0.25f},
        {"the node's volume", 0.0f, {bw::PropF(SxProp_Volume, -6.0206f)}, 0.5f},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        bw::NodeBase node;
        node.props = c.props;
        // The second source is for a device no player has: it starts nothing.
        bw::Bus master, child;
        master.props = {bw::PropF(SxProp_Volume, c.motionBusDb)};
        child.parentBusID = 500;
        child.props = {bw::PropF(SxProp_Volume, -20.0f)};
        LoadFeedback({PadSource(kRumbleDeviceID, c.offsetDb), PadSource(999, 0.0f, 1.0f, 1.0f)}, node,
                     {bw::Record(SxHirc_FeedbackBus, bw::BusBody(500, master)),
                      bw::Record(SxHirc_FeedbackBus, bw::BusBody(501, child))});
        SxPlayingID id = 0;
        const std::vector<PadVibration> moving = Play(kFeedbackEvent, id);
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
        ASSERT_FALSE(moving.empty()) << c.what;
        // One level held for the whole pass.
        EXPECT_EQ(moving.size(), 1u) << c.what;
        EXPECT_NEAR(moving[0].leftMotor, SxRumbleControllerPad::LeftSpeed(0.9f * c.gain), 40) << c.what;
        EXPECT_NEAR(moving[0].rightMotor, SxRumbleControllerPad::RightSpeed(0.6f * c.gain), 40) << c.what;
        EXPECT_EQ(Loudest(TakeLeft()), 0.0f) << c.what << ": motion is never heard";
        EXPECT_TRUE(platform::RecordedVibrations(0).back() == PadVibration{}) << c.what << ": at rest after";
    }
}

TEST_F(FeedbackPlayback, MotionPlaysThroughItsNodesMotionBusAndNeverThroughTheAudioBuses) {
    // The bank's nodes name their motion bus: 501 below the master motion bus 500.
    struct Case {
        const char* what;
        uint32_t feedbackBus;
        float masterDb, childDb, childPitch, audioMasterDb;
        float gain;
        uint32_t longest, shortest;  // frames until the event ends
    } cases[] = {
        {"no motion bus named: the master motion bus", 0, -6.0206f, -6.0206f, 0.0f, 0.0f, 0.5f, 132, 124},
        {"its own motion bus and the one above it", 501, -6.0206f, -6.0206f, 0.0f, 0.0f, 0.25f, 132, 124},
        {"the audio master bus's volume is not the motors'", 0, 0.0f, 0.0f, 0.0f, -6.0206f, 1.0f, 132, 124},
        {"its motion bus's pitch plays the pass an octave faster", 501, 0.0f, 0.0f, 1200.0f, 0.0f, 1.0f, 68, 60},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        SxSetNodesCarryFeedbackBus(true);
        bw::Bus master, child, audioMaster;
        master.withFeedbackBus = child.withFeedbackBus = audioMaster.withFeedbackBus = true;
        master.props = {bw::PropF(SxProp_Volume, c.masterDb)};
        child.parentBusID = 500;
        child.props = {bw::PropF(SxProp_Volume, c.childDb), bw::PropF(SxProp_Pitch, c.childPitch)};
        audioMaster.props = {bw::PropF(SxProp_Volume, c.audioMasterDb)};
        bw::NodeBase node;
        node.withFeedbackBus = true;
        node.feedbackBusID = c.feedbackBus;
        LoadFeedback({PadSource(kRumbleDeviceID, 0.0f)}, node,
                     {bw::Record(SxHirc_Bus, bw::BusBody(1, audioMaster)),
                      bw::Record(SxHirc_FeedbackBus, bw::BusBody(500, master)),
                      bw::Record(SxHirc_FeedbackBus, bw::BusBody(501, child))});
        SxSetNodesCarryFeedbackBus(false);
        control::StartCapture();
        const SxPlayingID id =
            SoundEngine::PostEvent(kFeedbackEvent, kGameObject, SxCallback_EndOfEvent, OnEvent, nullptr, 0, nullptr);
        uint32_t frames = 0;
        for (; frames < 300 && g_ended.empty(); ++frames) Frame();
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
        EXPECT_LE(frames, c.longest) << c.what;
        EXPECT_GE(frames, c.shortest) << c.what;
        std::vector<PadVibration> moving;
        for (const PadVibration& v : platform::RecordedVibrations(0))
            if (!(v == PadVibration{})) moving.push_back(v);
        ASSERT_FALSE(moving.empty()) << c.what;
        EXPECT_NEAR(moving[0].leftMotor, SxRumbleControllerPad::LeftSpeed(0.9f * c.gain), 40) << c.what;
        EXPECT_NEAR(moving[0].rightMotor, SxRumbleControllerPad::RightSpeed(0.6f * c.gain), 40) << c.what;
        TakeLeft();
    }
}

TEST_F(FeedbackPlayback, AudioWhoseNodeNamesAMotionBusSendsThroughIt) {
    // No feedback volume: naming the bus is the send. The bus chain halves it twice.
    g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 48000 / 2, 48000, 0x4), QV::media::Encoding::Pcm16);
    SxSetNodesCarryFeedbackBus(true);
    bw::Bus master, child;
    master.withFeedbackBus = child.withFeedbackBus = true;
    master.props = {bw::PropF(SxProp_Volume, -6.0206f)};
    child.parentBusID = 500;
    child.props = {bw::PropF(SxProp_Volume, -6.0206f)};
    const bw::Bytes buses = bw::HircChunk({bw::Record(SxHirc_FeedbackBus, bw::BusBody(500, master)),
                                           bw::Record(SxHirc_FeedbackBus, bw::BusBody(501, child))});
    ASSERT_EQ(SxReadHircChunk(buses.data(), static_cast<uint32_t>(buses.size()), loaded), SX_Success);
    bw::NodeBase node;
    node.withFeedbackBus = true;
    node.feedbackBusID = 501;
    LoadSoundNode(node, 1);
    SxSetNodesCarryFeedbackBus(false);
    SxPlayingID id = 0;
    EXPECT_GT(Loudest(PlayAndCapture(id)), 0.3f) << "the sound is heard all the same";
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    uint16_t top = 0;
    for (const PadVibration& v : platform::RecordedVibrations(0)) top = std::max(top, v.leftMotor);
    EXPECT_GE(top, SxRumbleControllerPad::LeftSpeed(0.12f));
    EXPECT_LE(top, SxRumbleControllerPad::LeftSpeed(0.13f));
}

TEST_F(FeedbackPlayback, AnOffsetChangedWhilePlayingAndAStopActionReachThePad) {
    LoadFeedback({PadSource(kRumbleDeviceID, 0.0f)});
    control::StartCapture();
    const SxPlayingID id =
        SoundEngine::PostEvent(kFeedbackEvent, kGameObject, SxCallback_EndOfEvent, OnEvent, nullptr, 0, nullptr);
    for (int i = 0; i < 4; ++i) Frame();
    {
        platform::Lock lock(g_csMain);
        auto* node = static_cast<CSxFeedbackNode*>(g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, kFeedback));
        ASSERT_NE(node, nullptr);
        node->SetSourceVolumeOffset(SxPluginKey(SxPluginType_MotionSource, 0, kMotionGeneratorPluginID), -6.0206f);
        node->Release();
    }
    for (int i = 0; i < 4; ++i) Frame();
    SoundEngine::PostEvent(kStopEvent, kGameObject);
    uint32_t frames = 0;
    for (; frames < 300; ++frames) {
        Frame();
        const std::vector<PadVibration> sent = platform::RecordedVibrations(0);
        if (!g_ended.empty() && sent.back() == PadVibration{}) break;
    }
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    // The pass lasts 23 frames; the stop ends it well before.
    EXPECT_LT(frames, 12u);
    std::vector<PadVibration> moving;
    for (const PadVibration& v : platform::RecordedVibrations(0))
        if (!(v == PadVibration{})) moving.push_back(v);
    ASSERT_EQ(moving.size(), 2u);
    EXPECT_NEAR(moving[0].leftMotor, SxRumbleControllerPad::LeftSpeed(0.9f), 40);
    EXPECT_NEAR(moving[1].leftMotor, SxRumbleControllerPad::LeftSpeed(0.45f), 40);
    EXPECT_NEAR(moving[1].rightMotor, SxRumbleControllerPad::RightSpeed(0.3f), 40);
}

TEST_F(FeedbackPlayback, AFeedbackNodeForDevicesNoPlayerUsesStartsNothing) {
    LoadFeedback({PadSource(999, 0.0f), PadSource(kRumbleDeviceID, 0.0f)});
    ASSERT_EQ(MotionEngine::RemovePlayerMotionDevice(0, 0, kRumbleDeviceID), SX_Success);
    Frame();
    SxPlayingID id = 0;
    EXPECT_TRUE(Play(kFeedbackEvent, id).empty());
    EXPECT_NE(id, 0u);
}

TEST_F(FeedbackPlayback, AudioWithAFeedbackSendGivesTheMotorsALowPassedCopy) {
    struct Case {
        const char* what;
        std::vector<bw::Prop> props;
        float lowest, highest;  // bounds of the left motor's level
    } cases[] = {
        {"no feedback send", {}, -1.0f, -1.0f},
        {"a send, unfiltered", {bw::PropF(SxProp_FeedbackVolume, 0.0f)}, 0.49f, 0.51f},
        {"a send at -6 dB", {bw::PropF(SxProp_FeedbackVolume, -6.0206f)}, 0.245f, 0.255f},
        {"a send filtered far below the tone",
         {bw::PropF(SxProp_FeedbackVolume, 0.0f), bw::PropF(SxProp_FeedbackLPF, 100.0f)},
         0.0f,
         0.01f},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 48000 / 2, 48000, 0x4), QV::media::Encoding::Pcm16);
        LoadSound(c.props);
        SxPlayingID id = 0;
        control::StartCapture();
        id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent, nullptr, 0, nullptr);
        for (uint32_t frame = 0, after = 0; frame < 200 && after < 3; ++frame) {
            Frame();
            if (!g_ended.empty()) ++after;
        }
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
        EXPECT_GT(Loudest(TakeLeft()), 0.3f) << c.what << ": the sound is heard all the same";
        const std::vector<PadVibration> all = platform::RecordedVibrations(0);
        uint16_t top = 0;
        for (const PadVibration& v : all) top = std::max(top, v.leftMotor);
        if (c.highest < 0.0f) {
            EXPECT_EQ(top, 0u) << c.what;
            continue;
        }
        // The copy is mixed before the voice's own volume ramps: the tone's peak at the send's level.
        EXPECT_GE(top, SxRumbleControllerPad::LeftSpeed(c.lowest)) << c.what;
        EXPECT_LE(top, SxRumbleControllerPad::LeftSpeed(c.highest)) << c.what;
    }
}

TEST_F(FeedbackPlayback, MalformedFeedbackRecordsAreRefusedWholeAndTheBankKeepsTheRest) {
    const bw::Bytes body = bw::FeedbackNodeBody(kFeedback, {PadSource(kRumbleDeviceID, -3.0f)}, bw::NodeBase());
    bw::Bus motionBus;
    motionBus.props = {bw::PropF(SxProp_Volume, -3.0f)};
    const bw::Bytes busBody = bw::BusBody(500, motionBus);
    // Cut at every length: a clear failure, nothing made.
    for (const auto& [type, whole] : {std::pair{SxHirc_FeedbackNode, body}, std::pair{SxHirc_FeedbackBus, busBody}}) {
        for (size_t length = 0; length < whole.size(); ++length) {
            const bw::Bytes chunk = bw::HircChunk({bw::Record(type, bw::Cut(whole, length))});
            std::vector<CSxIndexable*> out;
            EXPECT_NE(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), out), SX_Success)
                << int(type) << " cut at " << length;
            EXPECT_TRUE(out.empty()) << int(type) << " cut at " << length;
            platform::Lock lock(g_csMain);
            for (CSxIndexable* object : out) object->Release();
        }
    }
    // A source count far past what a record can hold is refused before anything is read.
    const bw::Bytes huge = bw::WithU32At(body, 4, 0x40000000u);
    std::vector<CSxIndexable*> out;
    const bw::Bytes hugeChunk = bw::HircChunk({bw::Record(SxHirc_FeedbackNode, huge)});
    EXPECT_NE(SxReadHircChunk(hugeChunk.data(), static_cast<uint32_t>(hugeChunk.size()), out), SX_Success);
    EXPECT_TRUE(out.empty());
    // The same node whole still loads, keeps its source's offset and plays.
    LoadFeedback({PadSource(kRumbleDeviceID, -3.0f)});
    {
        platform::Lock lock(g_csMain);
        auto* node = static_cast<CSxFeedbackNode*>(g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, kFeedback));
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(qvtest::FeedbackNodeProbe::SourceCount(*node), 1u);
        node->Release();
    }
    SxPlayingID id = 0;
    EXPECT_FALSE(Play(kFeedbackEvent, id).empty());
}

}  // namespace
