// A positioned sound is heard through its attenuation: at each distance from the listener its
// volume curve's value in dB, measured on the output device.
#include "SxVoiceFixture.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kAttenuation = 40;

class AttenuatedVoice : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        g_mediaByID[kMedia] =
            QV::media::Build(QV::media::Sine(1000.0, 0.5, 64 * 249, 48000, 0x4), QV::media::Encoding::Pcm16);
        bw::Attenuation attenuation;
        attenuation.curveUse[0] = 0;
        attenuation.curves = {{0, {{0, 0, 4}, {100, -20, 4}, {200, -40, 4}}}};
        const bw::Bytes chunk =
            bw::HircChunk({bw::Record(SxHirc_Attenuation, bw::AttenuationBody(kAttenuation, attenuation))});
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        bw::NodeBase node;
        node.positioning.overrideParent = true;
        node.positioning.is3D = true;
        node.positioning.type = 1;
        node.positioning.attenuationID = kAttenuation;
        LoadSoundNode(node, 1);
    }
    // The loudest sample heard with the sound that far in front of the listener.
    double PeakAt(float distance) {
        SxSoundPosition at;
        at.position.z = distance;
        at.orientation.z = -1.0f;
        EXPECT_EQ(SoundEngine::SetPosition(kGameObject, at), SX_Success);
        g_ended.clear();
        SxPlayingID id = 0;
        double peak = 0.0;
        for (float v : PlayAndCapture(id)) peak = std::max(peak, std::fabs(static_cast<double>(v)));
        return peak;
    }
};

TEST_F(AttenuatedVoice, ItsVolumeCurveLowersItWithDistance) {
    const double near = PeakAt(0.5f);
    ASSERT_GT(near, 0.05);
    for (const auto& [distance, db] : {std::pair<float, double>{100.0f, -20.0}, {150.0f, -30.0}, {400.0f, -40.0}})
        EXPECT_NEAR(20.0 * std::log10(PeakAt(distance) / near), db + 0.1, 0.5) << distance;
}

}  // namespace
