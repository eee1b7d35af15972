// A positioned sound is heard through its attenuation: at each distance from the listener its
// volume curve's value in dB, and turned away from the listener its cone's volume, measured on
// the output device.
#include "SxVoiceFixture.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kAttenuation = 40, kConeVolumeParameter = 0x51;

class AttenuatedVoice : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        g_mediaByID[kMedia] =
            QV::media::Build(QV::media::Sine(1000.0, 0.5, 64 * 249, 48000, 0x4), QV::media::Encoding::Pcm16);
        // Beyond the cone's outside angle: -6 dB.
        bw::Attenuation attenuation;
        attenuation.coneEnabled = true;
        attenuation.insideDegrees = 90.0f;
        attenuation.outsideDegrees = 180.0f;
        attenuation.coneValue1 = -6.0f;
        attenuation.curveUse[0] = 0;
        attenuation.curves = {{0, {{0, 0, 4}, {100, -20, 4}, {200, -40, 4}}}};
        const bw::Bytes chunk =
            bw::HircChunk({bw::Record(SxHirc_Attenuation, bw::AttenuationBody(kAttenuation, attenuation))});
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
    }
    // The sound positioned through the attenuation (type 3 turns with the emitter's cone); with
    // the cone's game parameter, the volume beyond the cone follows it one to one.
    void LoadPositioned(uint32_t type, bool coneParameter) {
        bw::NodeBase node;
        node.positioning.overrideParent = true;
        node.positioning.is3D = true;
        node.positioning.type = type;
        node.positioning.attenuationID = kAttenuation;
        if (coneParameter)
            node.rtpcs = {{kConeVolumeParameter, SxRTPC_ConeOutsideVolume, 1, 0, {{-96, -96, 4}, {0, 0, 4}}}};
        LoadSoundNode(node, 1);
    }
    // The sound that far in front of the listener, facing it or turned away.
    void Place(float distance, bool facingAway = false) {
        SxSoundPosition at;
        at.position.z = distance;
        at.orientation.z = facingAway ? 1.0f : -1.0f;
        EXPECT_EQ(SoundEngine::SetPosition(kGameObject, at), SX_Success);
    }
    // The loudest sample heard with the sound that far in front of the listener.
    double PeakAt(float distance) {
        Place(distance);
        g_ended.clear();
        SxPlayingID id = 0;
        double peak = 0.0;
        for (float v : PlayAndCapture(id)) peak = std::max(peak, std::fabs(static_cast<double>(v)));
        return peak;
    }
};

TEST_F(AttenuatedVoice, ItsVolumeCurveLowersItWithDistance) {
    LoadPositioned(1, false);
    const double near = PeakAt(0.5f);
    ASSERT_GT(near, 0.05);
    for (const auto& [distance, db] : {std::pair<float, double>{100.0f, -20.0}, {150.0f, -30.0}, {400.0f, -40.0}})
        EXPECT_NEAR(20.0 * std::log10(PeakAt(distance) / near), db + 0.1, 0.5) << distance;
}

TEST_F(AttenuatedVoice, BeyondItsConeItFollowsTheConeVolumeItsGameParameterSets) {
    // Turned away, the sound plays at the attenuation's -6 dB, or at what the game parameter
    // gives; a change while it plays is heard a frame later.
    struct Case {
        const char* what;
        bool coneParameter;
        bool facingAway;
        float first, then;  // the game parameter before the play and a third of the way in
        double firstDb, thenDb;
    } cases[] = {
        {"facing the listener", true, false, -12.0f, -20.0f, 0.0, 0.0},
        {"turned away, the attenuation's cone", false, true, -12.0f, -20.0f, -6.0, -6.0},
        {"turned away, the game parameter's cone", true, true, -12.0f, -20.0f, -12.0, -20.0},
    };
    double reference = 0.0;  // the first case's level in its first frames
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        LoadPositioned(3, c.coneParameter);
        Place(1.0f, c.facingAway);
        SoundEngine::SetRTPCValue(kConeVolumeParameter, c.first);
        control::StartCapture();
        SoundEngine::PostEvent(kEvent, kGameObject);
        for (int frame = 0; frame < 5; ++frame) Frame();
        SoundEngine::SetRTPCValue(kConeVolumeParameter, c.then);
        for (int frame = 0; frame < 10; ++frame) Frame();
        const std::vector<float> left = TakeLeft();
        // The sound's first frames, then those after the change.
        if (&c == cases) reference = PeakOf(left, 2048, 4096);
        ASSERT_GT(reference, 0.05) << c.what;
        EXPECT_NEAR(20.0 * std::log10(PeakOf(left, 2048, 4096) / reference), c.firstDb, 0.3) << c.what;
        EXPECT_NEAR(20.0 * std::log10(PeakOf(left, 7 * 1024, 9 * 1024) / reference), c.thenDb, 0.3) << c.what;
    }
}

}  // namespace
